// Runs the window tests in one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/window_fonts.h"
#include "app/window_palette.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Recovery copies of the windows under test stay out of the user's folders.
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
  qputenv("LOCALAPPDATA", QDir::toNativeSeparators(state.path()).toLocal8Bit());
  velmora::registerWindowFonts();
  velmora::useWindowStyle();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
