#include "cli/pdf_command.h"

#include <QGuiApplication>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/batch.h"
#include "cli/cli_prompter.h"
#include "document/document_actions.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"

namespace velmora::cli {

namespace {

// Many documents: each is printed by a child process of its own, as many at a
// time as there are cores, so one broken document never takes the batch down.
int pdfBatch(const std::string& outDir, const std::vector<std::string>& inputs) {
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir)) {
    std::cerr << outDir << ": 无法创建输出文件夹\n";
    return 2;
  }
  const auto docs = expandNamedDocuments(inputs);
  std::vector<int> results(docs.size(), 0);
  forEachInParallel(docs.size(), "生成PDF", [&](std::size_t i) {
    const std::filesystem::path out = std::filesystem::path(outDir) / (docs[i].name + ".pdf");
    std::filesystem::create_directories(out.parent_path(), ec);
    results[i] = runSelf({"pdf", docs[i].path, out.string()});
  });
  for (int r : results)
    if (r != 0) return 2;
  return 0;
}

}  // namespace

int pdfCommand(int argc, char** argv, const std::vector<std::string>& args) {
  const bool help = args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
  const bool batch = !args.empty() && args[0] == "--out-dir";
  if (batch && args.size() >= 3) return pdfBatch(args[1], {args.begin() + 2, args.end()});
  if (help || batch || args.size() != 2) {
    (help ? std::cout : std::cerr) << "用法: velmora-cli pdf IN OUT.pdf\n"
                                      "      velmora-cli pdf --out-dir DIR FILE|FOLDER...\n"
                                      "  打开 IN（如同程序的打开操作），把打印的申请书的全部页写入 OUT（PDF）。\n"
                                      "  正式文档带水印，其他文档带“非正式文档 仅供个人校对”。\n"
                                      "  --out-dir: 每个文档（文件夹代表其中所有 .xdx 文档）写成 DIR 下同名的 .pdf，\n"
                                      "  文件夹中的子文件夹结构保留；使用全部处理器核心。\n"
                                      "  退出码: 0 已写入, 2 有文档被拒绝、无法读取或无法写入。\n";
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
  // Without a session (cron, a service, su) Qt warns about the missing
  // runtime folder on every run; give it a private one.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const std::string runtime = "/tmp/velmora-runtime-" + std::to_string(::getuid());
    ::mkdir(runtime.c_str(), 0700);
    struct stat st {};
    if (::stat(runtime.c_str(), &st) == 0 && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700)
      qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
  }
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
