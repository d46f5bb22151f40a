// Velmora课题申报系统（个人版）: starts the window, opens the document named on
// the command line, runs until the window is closed.
#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <string_view>

#include "app/main_window.h"
#include "app/qt_window_services.h"
#include "app/translations.h"
#include "app/window_fonts.h"
#include "app/window_palette.h"
#include "document/messages.h"

int main(int argc, char** argv) {
  // Answered before Qt starts: no window, no display needed.
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::printf("velmora %s\n", VELMORA_VERSION);
    return 0;
  }
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::printf(
        "用法: velmora [文档.xdx]\n"
        "Velmora课题申报系统（个人版）：填写、检查、保存和打印课题申请书。\n"
        "给出文档时程序启动后打开它。\n\n"
        "  -h, --help     显示本帮助并退出\n"
        "      --version  显示版本并退出\n");
    return 0;
  }
  QApplication app(argc, argv);
  // No display name: Qt would append it to every dialog's title, and the
  // boxes carry exactly the titles the program gives them.
  QApplication::setApplicationName(QString::fromUtf8(velmora::msg::kAppTitle.data()));
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.velmora.Velmora"));
  velmora::registerWindowFonts();
  velmora::useWindowStyle();
  velmora::installChineseTranslations(app);

  velmora::QtWindowServices services;
  velmora::MainWindow window(services);
  services.setOwner(&window);
  services.setOpenFolder(QCoreApplication::applicationDirPath());

  // Centred first, so that the boxes of the command-line open are centred
  // on the window they belong to.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  QStringList args = QCoreApplication::arguments().mid(1);
  window.startUp(args);
  window.show();
  return QApplication::exec();
}
