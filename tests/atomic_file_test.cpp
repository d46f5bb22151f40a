// Where a save puts its bytes, and what the saved file keeps: links followed,
// owner, group and mode kept, new files private under a private umask, stale
// temporary files of killed saves removed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "format/atomic_file.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;
namespace fs = std::filesystem;

namespace {

bool save(const std::string& path, const std::string& bytes) {
  std::string error;
  const bool ok = writeFileAtomically(path, bytes, error);
  EXPECT_TRUE(ok) << error;
  return ok;
}

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

}  // namespace

TEST(AtomicFile, SymbolicLinksAreFollowedAndStay) {
  struct Case {
    const char* name;
    std::string linkTarget;  // relative to the folder, or absolute
    bool targetExists;
  };
  TempDir dir;
  fs::create_directory(dir.path("docs"));
  const Case cases[] = {
      {"relative link", "docs/real.xdx", true},
      {"absolute link", dir.path("docs/abs.xdx"), true},
      {"dangling link", "docs/new.xdx", false},
      {"link to a link", "second.xdx", true},
  };
  writeFile(dir.path("docs/real.xdx"), "old");
  writeFile(dir.path("docs/abs.xdx"), "old");
  writeFile(dir.path("docs/last.xdx"), "old");
  fs::create_symlink("docs/last.xdx", dir.path("second.xdx"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string link = dir.path(std::string(c.name) + ".xdx");
    fs::create_symlink(c.linkTarget, link);
    ASSERT_TRUE(save(link, "new content"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(link), "new content");
    EXPECT_EQ(fs::read_symlink(link).string(), c.linkTarget);
  }
  EXPECT_EQ(readFile(dir.path("docs/real.xdx")), "new content");
  EXPECT_EQ(readFile(dir.path("docs/new.xdx")), "new content");
  EXPECT_EQ(readFile(dir.path("docs/last.xdx")), "new content");
  EXPECT_TRUE(fs::is_symlink(dir.path("second.xdx")));

  // A loop is refused without writing anything.
  fs::create_symlink("loop-b.xdx", dir.path("loop-a.xdx"));
  fs::create_symlink("loop-a.xdx", dir.path("loop-b.xdx"));
  std::string error;
  EXPECT_FALSE(writeFileAtomically(dir.path("loop-a.xdx"), "x", error));
  EXPECT_NE(error.find("Too many levels of symbolic links"), std::string::npos) << error;
}

TEST(AtomicFile, NewFilesFollowTheUmaskAndOldOnesKeepTheirMode) {
  TempDir dir;
  const mode_t before = ::umask(077);
  ASSERT_TRUE(save(dir.path("private.xdx"), "x"));
  ::umask(022);
  ASSERT_TRUE(save(dir.path("usual.xdx"), "x"));
  ::umask(before);
  EXPECT_EQ(statOf(dir.path("private.xdx")).st_mode & 0777, 0600u);
  EXPECT_EQ(statOf(dir.path("usual.xdx")).st_mode & 0777, 0644u);

  ::chmod(dir.path("private.xdx").c_str(), 0640);
  ASSERT_TRUE(save(dir.path("private.xdx"), "y"));
  EXPECT_EQ(statOf(dir.path("private.xdx")).st_mode & 0777, 0640u);
}

TEST(AtomicFile, OwnerAndGroupAreKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "changing a file's owner needs root";
  TempDir dir;
  const std::string path = dir.path("theirs.xdx");
  writeFile(path, "old");
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);  // nobody, nogroup
  ASSERT_TRUE(save(path, "new"));
  const struct stat st = statOf(path);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(readFile(path), "new");
}

TEST(AtomicFile, AHardLinkedFileIsReplacedWhole) {
  TempDir dir;
  writeFile(dir.path("a.xdx"), "old");
  fs::create_hard_link(dir.path("a.xdx"), dir.path("b.xdx"));
  ASSERT_TRUE(save(dir.path("a.xdx"), "new"));
  EXPECT_EQ(readFile(dir.path("a.xdx")), "new");
  EXPECT_EQ(readFile(dir.path("b.xdx")), "old");  // its other name keeps the earlier content
}

TEST(AtomicFile, StaleTemporaryFilesOfKilledSavesAreRemoved) {
  TempDir dir;
  std::string boot;
  {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::getline(in, boot);
    boot.erase(std::remove(boot.begin(), boot.end(), '-'), boot.end());
    boot.resize(8);
  }
  // A process that has ended: its temporaries are stale.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string ofGone = ".velmora-save-" + boot + "-" + std::to_string(gone) + "-Xy12Zw";
  const std::string ofRunning = ".velmora-save-" + boot + "-" + std::to_string(::getppid()) + "-Ab34Cd";
  const std::string ofEarlierBoot = ".velmora-save-00000000-" + std::to_string(::getppid()) + "-Ef56Gh";
  writeFile(dir.path(ofGone), "left by a killed save");
  writeFile(dir.path(ofRunning), "created, not locked yet");
  writeFile(dir.path(ofEarlierBoot), "left before a restart");
  writeFile(dir.path(".velmora-save-AbC123"), "left by a killed save");
  writeFile(dir.path(".velmora-save-Held99"), "a save still running");
  writeFile(dir.path(".velmora-other"), "not ours");
  const int held = ::open(dir.path(".velmora-save-Held99").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  ASSERT_TRUE(save(dir.path("doc.xdx"), "x"));
  EXPECT_FALSE(fs::exists(dir.path(".velmora-save-AbC123")));
  EXPECT_TRUE(fs::exists(dir.path(".velmora-save-Held99")));
  EXPECT_TRUE(fs::exists(dir.path(".velmora-other")));
  EXPECT_FALSE(fs::exists(dir.path(ofGone)));
  EXPECT_TRUE(fs::exists(dir.path(ofRunning)));
  EXPECT_FALSE(fs::exists(dir.path(ofEarlierBoot)));
  ::close(held);
}

// Saves of several processes into one folder at once (imports of an office,
// resaves of one file): the stale-temporary cleanup of one save must never
// take the fresh temporary of another.
TEST(AtomicFile, ParallelSavesIntoOneFolderAllSucceed) {
  TempDir dir;
  constexpr int kProcesses = 8, kSaves = 150;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int failures = 0;
      for (int i = 0; i < kSaves; ++i) {
        std::string error;
        // Half write files of their own, half one file all share.
        const std::string path = dir.path(p % 2 ? "shared.xdx" : "own" + std::to_string(p) + "-" + std::to_string(i));
        if (!writeFileAtomically(path, std::string(512, static_cast<char>('a' + p)), error)) ++failures;
      }
      ::_exit(failures > 0 ? 1 : 0);
    }
    children.push_back(child);
  }
  int failed = 0;
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    failed += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(failed, 0) << "processes with a failed save";
  for (const auto& e : fs::directory_iterator(dir.dir()))
    EXPECT_FALSE(e.path().filename().string().starts_with(".velmora-save-")) << e.path();
}

// An output that is a FIFO or a device is written into, never replaced by a
// regular file (`import a.json /dev/null` as root replaced /dev/null).
TEST(AtomicFile, FifosAndDevicesAreWrittenIntoNotReplaced) {
  TempDir dir;
  const std::string fifo = dir.path("out.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  const bool written = save(fifo, "through the pipe");
  reader.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));

  if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  const std::string null = dir.path("null");
  ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
  EXPECT_TRUE(save(null, "gone"));
  EXPECT_TRUE(S_ISCHR(statOf(null).st_mode));
  for (const auto& e : fs::directory_iterator(dir.dir()))
    EXPECT_FALSE(e.path().filename().string().starts_with(".velmora-save-")) << e.path();
}
