// Help and the open dialog's folder, in a build tree and in an install tree
// laid out as the install rules lay it out (VELMORA_DATA_FROM_BIN).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/install_paths.h"

using namespace velmora;

namespace {

class InstallTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    bin = root.path() + QStringLiteral("/bin");
    data = QDir::cleanPath(bin + QStringLiteral("/" VELMORA_DATA_FROM_BIN));
    ASSERT_TRUE(QDir().mkpath(bin));
  }
  static void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  }
  void install() { ASSERT_TRUE(QDir().mkpath(data)); }

  QTemporaryDir root;
  QString bin;
  QString data;
};

// Restores an environment variable at the end of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

}  // namespace

TEST_F(InstallTree, BuildTreeHasNoDataFolderAndNoHelpButBesideTheProgram) {
  EXPECT_TRUE(installedDataFolder(bin).isEmpty());
  EXPECT_TRUE(helpToOpen(bin).isEmpty());
  // A guide beside the program is no help.doc.
  touch(bin + QStringLiteral("/help.html"));
  EXPECT_TRUE(helpToOpen(bin).isEmpty());
  // The guide the build copies beside the program (F1 found nothing there).
  ASSERT_TRUE(QDir().mkpath(bin + QStringLiteral("/docs")));
  touch(bin + QStringLiteral("/docs/help.html"));
  EXPECT_EQ(helpToOpen(bin), bin + QStringLiteral("/docs/help.html"));
  touch(bin + QStringLiteral("/help.doc"));
  EXPECT_EQ(helpToOpen(bin), bin + QStringLiteral("/help.doc"));
}

TEST_F(InstallTree, InstalledProgramFindsTheGuideInItsDataFolder) {
  install();
  EXPECT_EQ(installedDataFolder(bin), data);
  EXPECT_TRUE(helpToOpen(bin).isEmpty());
  touch(data + QStringLiteral("/help.html"));
  EXPECT_EQ(helpToOpen(bin), data + QStringLiteral("/help.html"));
  // help.doc in the data folder comes before the guide ...
  touch(data + QStringLiteral("/help.doc"));
  EXPECT_EQ(helpToOpen(bin), data + QStringLiteral("/help.doc"));
  // ... and help.doc in the program's folder before both.
  touch(bin + QStringLiteral("/help.doc"));
  EXPECT_EQ(helpToOpen(bin), bin + QStringLiteral("/help.doc"));
}

TEST_F(InstallTree, FoldersNamedLikeTheHelpDoNotCount) {
  install();
  ASSERT_TRUE(QDir().mkpath(bin + QStringLiteral("/help.doc")));
  ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/help.doc")));
  EXPECT_TRUE(helpToOpen(bin).isEmpty());
  touch(data + QStringLiteral("/help.html"));
  EXPECT_EQ(helpToOpen(bin), data + QStringLiteral("/help.html"));
}

TEST_F(InstallTree, OpenDialogStartsBesideABuiltProgramAndInTheDocumentsOfAnInstalledOne) {
  const QString home = root.path() + QStringLiteral("/home");
  ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config")));
  ScopedEnv homeEnv("HOME", home.toLocal8Bit());
  ScopedEnv config("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());

  EXPECT_EQ(openDialogFolder(bin), bin);
  install();
#ifdef _WIN32
  // Windows names the user's documents folder itself, whatever HOME says.
  EXPECT_EQ(QDir(openDialogFolder(bin)).canonicalPath(),
            QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).canonicalPath());
  return;
#endif
  // No documents folder: the home folder.
  EXPECT_EQ(QDir(openDialogFolder(bin)).canonicalPath(), QDir(home).canonicalPath());
  ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Documents")));
  EXPECT_EQ(QDir(openDialogFolder(bin)).canonicalPath(), QDir(home + QStringLiteral("/Documents")).canonicalPath());
}
