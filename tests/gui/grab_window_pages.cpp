// grab-window-pages [--dark] OUT_DIR [DOCUMENT]: a PNG of every page of the
// window; --dark runs it under a dark desktop palette.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QTabWidget>

#include "app/main_window.h"
#include "app/window_fonts.h"
#include "app/window_palette.h"
#include "dark_desktop.h"
#include "scripted_window_services.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  velmora::registerWindowFonts();
  velmora::useWindowStyle();
  if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--dark")) {
    QApplication::setPalette(velmora::test::darkDesktopPalette());
    --argc;
    ++argv;
  }
  if (argc < 2) return 2;
  velmora::test::ScriptedWindowServices services;
  velmora::MainWindow window(services);
  QStringList args;
  if (argc > 2) args << QString::fromLocal8Bit(argv[2]);
  window.startUp(args);
  window.show();
  QDir().mkpath(QString::fromLocal8Bit(argv[1]));
  for (int i = 0; i < window.pages()->count(); ++i) {
    window.pages()->setCurrentIndex(i);
    QApplication::processEvents();
    window.grab().save(
        QStringLiteral("%1/page%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(i + 1, 2, 10, QLatin1Char('0')));
  }
  return 0;
}
