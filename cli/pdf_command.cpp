#include "cli/pdf_command.h"

#include <QGuiApplication>
#include <iostream>
#include <memory>

#include "cli/cli_prompter.h"
#include "document/document_actions.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"

namespace velmora::cli {

int pdfCommand(int argc, char** argv, const std::vector<std::string>& args) {
  const bool help = args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
  if (help || args.size() != 2) {
    (help ? std::cout : std::cerr) << "用法: velmora-cli pdf IN OUT.pdf\n"
                                      "  打开 IN（如同程序的打开操作），把打印的申请书的全部页写入 OUT（PDF）。\n"
                                      "  正式文档带水印，其他文档带“非正式文档 仅供个人校对”。\n"
                                      "  退出码: 0 已写入, 2 文档被拒绝、无法读取或 OUT 无法写入。\n";
    return help ? 0 : 2;
  }
  const std::string& in = args[0];
  const std::string& out = args[1];

  FormState state;
  CliPrompter prompter;
  state.pendingPath = in;
  const OpenOutcome outcome = openDocument(state, prompter);
  for (const auto& m : prompter.messages) std::cerr << in << ": " << m << '\n';
  if (outcome != OpenOutcome::Opened && outcome != OpenOutcome::EmptyRoot) return 2;

  // Fonts and drawing need a GUI application, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);

  const auto sheets = report::generateSheets(report::filledReport(state.record, state.formal));
  QString error;
  if (!report::writePdf(sheets, QString::fromStdString(out), &error)) {
    std::cerr << out << ": " << error.toStdString() << '\n';
    return 2;
  }
  return 0;
}

}  // namespace velmora::cli
