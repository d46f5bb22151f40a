// velmora-print IN OUT.pdf [a4|letter]: opens IN as the window would and
// writes every sheet of the printed application to OUT, on A4 unless told
// otherwise. velmora-cli pdf runs it, once per document, so that only
// printing loads Qt. Needs no display. A text the sheet cannot show whole is
// named on standard error; the PDF is still written.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <QGuiApplication>
#include <QPageSize>

#include <clocale>
#include <iostream>
#include <string>

#include "cli/cli_messages.h"
#include "cli/program_start.h"
#include "format/atomic_file.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"

int main(int argc, char** argv) {
  using namespace velmora;
  const cli::ConsoleInUtf8 console;
  cli::ArgumentsInUtf8 arguments(argc, argv);
  argc = arguments.count();
  argv = arguments.values();
  const std::string paperName = argc == 4 ? argv[3] : "a4";
  if ((argc != 3 && argc != 4) || (paperName != "a4" && paperName != "letter")) {
    std::cerr << "用法: velmora-print IN OUT.pdf [a4|letter]\n";
    return 2;
  }
  const std::string in = argv[1];
  const std::string out = argv[2];
  const QPageSize paper(paperName == "letter" ? QPageSize::Letter : QPageSize::A4);

#ifndef _WIN32
  // System errors in the user's language, as the window shows them. (On
  // Windows the C library tells them in English whatever the locale.)
  std::setlocale(LC_ALL, "");
#endif
  const std::optional<FormState> state = cli::openReporting(in);
  if (!state) return 2;

#ifndef _WIN32
  // Fonts and drawing need a GUI application, not a display. (Windows' own
  // platform needs none; its offscreen one finds no fonts.)
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
#endif
  QGuiApplication app(argc, argv);

  QString error;
  const auto sheets = report::generateSheets(report::filledReport(state->record(), state->formal()), {}, &error);
  if (!error.isEmpty()) {
    cli::report(in, error.toStdString());
    return 2;
  }
  // Written by the name's own bytes: a name that is no UTF-8 (GBK, from
  // Windows) would not survive a QString. A FIFO or a device is written into.
  const QByteArray pdf = report::pdfBytes(sheets, paper);
  std::string writeError;
  if (!writeFileAtomically(out, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())), writeError)) {
    cli::report(out, writeError);
    return 2;
  }
  if (const QString notice = report::incompleteNotice(sheets); !notice.isEmpty()) cli::report(in, notice.toStdString());
  return 0;
}
