#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "document/recovery.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;
namespace fs = std::filesystem;

namespace {

std::string copyOf(const std::string& projectName) {
  Record r = Record::initial();
  r.setText(Field::ProjectName, projectName);
  return buildXdx(r, {});
}

std::vector<fs::path> filesIn(const fs::path& dir) {
  std::vector<fs::path> out;
  if (fs::exists(dir))
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(Recovery, FolderFollowsXdgStateHome) {
  const char* saved = std::getenv("XDG_STATE_HOME");
  const std::string keep = saved ? saved : "";
  setenv("XDG_STATE_HOME", "/var/state-test", 1);
  EXPECT_EQ(defaultRecoveryFolder(), "/var/state-test/velmora/recovery");
  setenv("XDG_STATE_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(defaultRecoveryFolder(), std::string(std::getenv("HOME")) + "/.local/state/velmora/recovery");
  if (saved)
    setenv("XDG_STATE_HOME", keep.c_str(), 1);
  else
    unsetenv("XDG_STATE_HOME");
}

TEST(Recovery, ARunningWindowsCopyIsNeverOffered) {
  TempDir dir;
  const std::string folder = dir.path("state/velmora/recovery");
  RecoverySlot slot(folder);
  slot.save(copyOf("第一稿"), "/home/u/申请.xdx");
  slot.save(copyOf("第二稿"), "/home/u/申请.xdx");
  slot.flush();
  EXPECT_EQ(slot.lastError(), "");
  ASSERT_TRUE(fs::exists(slot.copyPath()));
  auto read = readXdxFile(slot.copyPath());
  ASSERT_TRUE(std::holds_alternative<DocumentContent>(read));
  EXPECT_EQ(std::get<DocumentContent>(read).values[index(Field::ProjectName)], "第二稿");
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);  // identity and bank numbers stay private
  EXPECT_TRUE(findLeftCopies(folder).empty());

  slot.discard();
  slot.flush();
  EXPECT_FALSE(fs::exists(slot.copyPath()));
}

TEST(Recovery, ACopyOutlivesItsWindowAndIsOfferedOnce) {
  TempDir dir;
  const std::string folder = dir.path("recovery");
  std::string path;
  {
    RecoverySlot older(folder);
    older.save(copyOf("旧的"), "");
    older.flush();
  }
  {
    RecoverySlot slot(folder);
    slot.save(copyOf("未保存的课题"), "/home/u/申请.xdx");
    slot.flush();
    path = slot.copyPath();
    // Touch it later than the other one.
    struct timespec times[2] = {{0, UTIME_NOW}, {::time(nullptr) + 60, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  }  // the window ends without discarding: as after a crash
  {
    RecoverySlot noCopy(folder);  // a window that never wrote a copy leaves nothing
  }

  auto left = findLeftCopies(folder);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].xdx, path);  // newest first
  EXPECT_EQ(left[0].origin, "/home/u/申请.xdx");
  EXPECT_EQ(left[1].origin, "");
  // While one start-up holds them, another does not see them.
  EXPECT_TRUE(findLeftCopies(folder).empty());

  removeLeftCopy(left[0]);
  const std::string aside = setLeftCopyAside(left[1]);
  left.clear();
  EXPECT_TRUE(findLeftCopies(folder).empty());
  ASSERT_EQ(filesIn(folder).size(), 1u);  // only the broken copy, kept aside
  EXPECT_EQ(fs::path(aside).filename(), filesIn(folder)[0]);
  EXPECT_TRUE(aside.ends_with(".xdx.broken"));
}

TEST(Recovery, AFolderThatCannotBeMadeIsReported) {
  TempDir dir;
  writeFile(dir.path("file"), "not a folder");
  RecoverySlot slot(dir.path("file/recovery"));
  slot.save(copyOf("x"), "");
  slot.flush();
  EXPECT_NE(slot.lastError().find("Not a directory"), std::string::npos) << slot.lastError();
  slot.save(copyOf("x"), "");
  slot.discard();  // the latest request wins; nothing to remove
  slot.flush();
}
