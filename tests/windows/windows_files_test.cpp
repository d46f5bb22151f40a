// The Windows side of the file boundary: paths in UTF-8 reaching the system
// as UTF-16, the atomic save with ReplaceFileW, the lock of the recovery
// folder with LockFileEx, and reading a whole file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/recovery.h"
#include "format/atomic_file.h"
#include "format/file_read.h"
#include "format/file_system.h"
#include "format/windows_system.h"
#include "format/xdx_reader.h"
#include "test_support.h"

namespace velmora {
namespace {

std::filesystem::path native(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TEST(WindowsFiles, ChineseNamesReachTheSystemAsTheyAre) {
  test::TempDir dir;
  const std::string path = dir.path("课题申报书 2026.xdx");
  std::string error;
  ASSERT_TRUE(writeFileAtomically(path, "内容", error)) << error;
  // The name the system holds is the Unicode name, not code page bytes.
  bool found = false;
  for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
    found |= e.path().filename().wstring() == L"课题申报书 2026.xdx";
  EXPECT_TRUE(found);
  const FileRead read = readWholeFile(path, 100);
  EXPECT_EQ(read.outcome, FileRead::Outcome::Read);
  EXPECT_EQ(read.bytes, "内容");
}

TEST(WindowsFiles, ASaveReplacesTheWholeFileOrNothing) {
  test::TempDir dir;
  const std::string path = dir.path("a.xdx");
  std::string error;
  ASSERT_TRUE(writeFileAtomically(path, "first, longer content", error)) << error;
  ASSERT_TRUE(writeFileAtomically(path, "second", error)) << error;
  EXPECT_EQ(test::readFile(path), "second");
  // No temporary is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.dir())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(WindowsFiles, RefusedTargetsSayWhy) {
  test::TempDir dir;
  const std::string readOnly = dir.path("read-only.xdx");
  test::writeFile(readOnly, "kept");
  ASSERT_TRUE(::SetFileAttributesW(widePath(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string folder = dir.path("folder.xdx");
  std::filesystem::create_directory(native(folder));
  struct Case {
    std::string path, message;
  } cases[] = {
      {readOnly, "无法写入文件“" + readOnly + "”：Permission denied"},
      {folder, "无法写入文件“" + folder + "”：Is a directory"},
      {dir.path("missing/a.xdx"), "无法写入文件“" + dir.path("missing/a.xdx") + "”：No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error;
    EXPECT_FALSE(writeFileAtomically(c.path, "new", error));
    EXPECT_EQ(error, c.message);
  }
  EXPECT_EQ(test::readFile(readOnly), "kept");
  ::SetFileAttributesW(widePath(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsFiles, TheNullDeviceIsWrittenIntoNotReplaced) {
  std::string error;
  EXPECT_TRUE(writeFileAtomically("NUL", "discarded", error)) << error;
}

TEST(WindowsFiles, StaleTemporariesGoAndLiveOnesStay) {
  test::TempDir dir;
  // One of a process that no longer runs (pid 1 is never a Windows
  // process's), one held open by a save in progress.
  const std::string stale = dir.path(".velmora-save-1-5-1");
  test::writeFile(stale, "left by a killed save");
  int fd = -1;
  std::string error;
  const std::string live = temporaryBeside(dir.path("b.xdx"), fd, error);
  ASSERT_FALSE(live.empty()) << error;
  ASSERT_TRUE(writeFileAtomically(dir.path("c.xdx"), "x", error)) << error;
  EXPECT_FALSE(std::filesystem::exists(native(stale)));
  EXPECT_TRUE(std::filesystem::exists(native(live)));
  ::_close(fd);
  removeFile(live);
}

TEST(WindowsFiles, ReadingRefusesFoldersMissingFilesAndTooMuch) {
  test::TempDir dir;
  test::writeFile(dir.path("big"), std::string(101, 'x'));
  EXPECT_EQ(readWholeFile(dir.path("big"), 100).outcome, FileRead::Outcome::TooLarge);
  EXPECT_EQ(readWholeFile(dir.path("big"), 101).bytes.size(), 101u);
  const FileRead folder = readWholeFile(dir.path(""), 100);
  EXPECT_EQ(folder.outcome, FileRead::Outcome::CannotOpen);
  EXPECT_EQ(folder.reason, "Is a directory");
  const FileRead missing = readWholeFile(dir.path("none.xdx"), 100);
  EXPECT_EQ(missing.outcome, FileRead::Outcome::CannotOpen);
  EXPECT_EQ(missing.reason, "No such file or directory");
}

TEST(WindowsFiles, AHeldLockKeepsOthersOutUntilReleased) {
  test::TempDir dir;
  const std::string path = dir.path("slot.lock");
  FileLock held = tryLockFile(path);
  ASSERT_TRUE(held);
  EXPECT_FALSE(tryLockFile(path));
  held.reset();
  EXPECT_TRUE(tryLockFile(path));
}

TEST(WindowsFiles, RecoveryCopiesLiveUnderLocalAppData) {
  const std::string folder = defaultRecoveryFolder();
  const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(folder, utf8FromWide(local) + "\\velmora\\recovery");
}

TEST(WindowsFiles, ACopyIsOfferedOnlyOnceItsWindowHasGone) {
  test::TempDir dir;
  const std::string folder = dir.path("状态/recovery");
  {
    RecoverySlot slot(folder);
    slot.save("<xdx/>", "D:\\申报\\a.xdx");
    slot.flush();
    EXPECT_EQ(slot.lastError(), "");
    EXPECT_TRUE(findLeftCopies(folder).empty());  // its window still runs
  }
  const auto left = findLeftCopies(folder);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].origin, "D:\\申报\\a.xdx");
  EXPECT_EQ(test::readFile(left[0].xdx), "<xdx/>");
  removeLeftCopy(left[0]);
  EXPECT_TRUE(findLeftCopies(folder).empty());
}

}  // namespace
}  // namespace velmora
