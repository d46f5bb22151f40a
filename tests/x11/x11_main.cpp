// Runs the window tests that need a real X server (started by
// with_x_session.sh): real input through XTest, the primary selection, real
// modal boxes under a window manager.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "app/window_fonts.h"
#include "app/window_palette.h"

int main(int argc, char** argv) {
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
  QApplication app(argc, argv);
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    fprintf(stderr, "These tests need a real X server: run them through with_x_session.sh\n");
    return 1;
  }
  velmora::registerWindowFonts();
  velmora::useWindowStyle();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
