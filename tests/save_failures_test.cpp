// Saves that cannot write their file: the earlier document of that name stays
// byte for byte, the user sees the reason, the modified flag stays set, and no
// temporary file is left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "document/document_actions.h"
#include "hardening_support.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;
namespace fs = std::filesystem;

namespace {

std::set<std::string> entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// Saves an edited record to `target` and returns what went differently from
// a failed save that keeps `earlier` (the file's bytes before) intact; empty
// when everything held.
std::string failedSave(const std::string& target, const std::string& earlier, const std::string& reason) {
  const std::string folder = fs::path(target).parent_path().string();
  const auto namesBefore = entries(folder);
  FormState s = savableState();
  const std::string idBefore = s.record().text(Field::ProjectID);
  ScriptedPrompter p;
  p.saveAnswers.push_back(target);
  std::string wrong;
  if (saveDocument(s, p) != SaveOutcome::Failed) wrong += "not failed; ";
  if (p.shown.size() != 1 || p.shown[0].kind != "error")
    wrong += "no single error box; ";
  else if (p.shown[0].text.find(reason) == std::string::npos || p.shown[0].text.find(target) == std::string::npos)
    wrong += "message without reason or path: " + p.shown[0].text + "; ";
  if (!s.modified()) wrong += "modified flag cleared; ";
  if (s.record().text(Field::ProjectID) == idBefore) wrong += "no new identifier; ";
  if (fs::is_regular_file(target) && readFile(target) != earlier) wrong += "earlier file changed; ";
  if (entries(folder) != namesBefore) wrong += "folder content changed; ";
  return wrong;
}

std::string earlierDocument() { return readFile(fixture("sample.xdx")); }

}  // namespace

TEST(SaveFailures, ReadOnlyTargetFile) {
  TempDir dir;
  writeFile(dir.path("a.xdx"), earlierDocument());
  ::chmod(dir.path("a.xdx").c_str(), 0444);
  EXPECT_EQ(failedSave(dir.path("a.xdx"), earlierDocument(), "Permission denied"), "");
}

TEST(SaveFailures, TargetReplacedByAFolder) {
  TempDir dir;
  fs::create_directory(dir.path("a.xdx"));
  writeFile(dir.path("a.xdx/inside.xdx"), earlierDocument());
  EXPECT_EQ(failedSave(dir.path("a.xdx"), "", "Is a directory"), "");
  EXPECT_EQ(readFile(dir.path("a.xdx/inside.xdx")), earlierDocument());
}

// Root may write into any folder: the save then runs as "nobody".
TEST(SaveFailures, FolderWithoutWritePermission) {
  TempDir dir;
  const std::string folder = dir.path("locked");
  fs::create_directory(folder);
  // Read before dropping privileges: the fixtures may lie in a folder only
  // root can enter.
  const std::string earlier = earlierDocument();
  writeFile(folder + "/a.xdx", earlier);
  ::chmod(dir.dir().c_str(), 0755);
  ::chmod(folder.c_str(), 0555);
  std::string why;
  auto failures = runInChild([&] { return failedSave(folder + "/a.xdx", earlier, "Permission denied"); },
                             /*unprivileged=*/true, 0, why);
  if (!failures) GTEST_SKIP() << why;
  EXPECT_EQ(*failures, "");
}

// A file system with no room left: a 64 KB tmpfs filled up after the earlier
// document was written.
TEST(SaveFailures, FullDisk) {
  TempDir dir;
  ScratchMount disk(dir.dir().string(), "64k");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  writeFile(dir.path("a.xdx"), earlierDocument());
  {
    int fd = ::open(dir.path("filler").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
  }
  EXPECT_EQ(failedSave(dir.path("a.xdx"), earlierDocument(), "No space left on device"), "");
}

TEST(SaveFailures, ReadOnlyFileSystem) {
  TempDir dir;
  ScratchMount disk(dir.dir().string(), "64k");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  writeFile(dir.path("a.xdx"), earlierDocument());
  ASSERT_TRUE(disk.makeReadOnly());
  EXPECT_EQ(failedSave(dir.path("a.xdx"), earlierDocument(), "Read-only file system"), "");
}

// The same short write without a mount: a file size limit stops the document
// after 1 KB, as a disk that runs full during the save would.
TEST(SaveFailures, WriteCutShort) {
  TempDir dir;
  writeFile(dir.path("a.xdx"), earlierDocument());
  std::string why;
  auto failures = runInChild([&] { return failedSave(dir.path("a.xdx"), earlierDocument(), "File too large"); },
                             /*unprivileged=*/false, 1024, why);
  if (!failures) GTEST_SKIP() << why;
  EXPECT_EQ(*failures, "");
}

// A document the reader would refuse for its size is never written: 20 MB of
// "<" in MaskName escape to 80 MB, over the 64 MB a document may have, and
// the save named nothing and left a file that could not be opened again.
TEST(SaveFailures, ADocumentTooLargeToOpenAgainIsNotWritten) {
  TempDir dir;
  writeFile(dir.path("a.xdx"), earlierDocument());
  FormState s = savableState();
  s.setText(Field::AnonymousTitle, std::string(20u << 20, '<'));
  ScriptedPrompter p;
  p.saveAnswers.push_back(dir.path("a.xdx"));
  EXPECT_EQ(saveDocument(s, p), SaveOutcome::Failed);
  ASSERT_EQ(p.shown.size(), 1u);
  EXPECT_EQ(p.shown[0].kind, "error");
  EXPECT_EQ(p.shown[0].text, "无法保存：文档将有 81 MB，超过能够打开的 64 MB；其中 MaskName 约占 80 MB.");
  EXPECT_EQ(readFile(dir.path("a.xdx")), earlierDocument());
  EXPECT_TRUE(s.modified());

  // Nor one of more entity references than the reader takes.
  s.setText(Field::AnonymousTitle, std::string(150000, '&'));
  p.saveAnswers.push_back(dir.path("a.xdx"));
  EXPECT_EQ(saveDocument(s, p), SaveOutcome::Failed);
  ASSERT_EQ(p.shown.size(), 2u);
  EXPECT_EQ(p.shown[1].text,
            "无法保存：这样保存的文档无法再打开（元素、属性、注释或实体引用过多（超过 100000 个），不是申报文档）；"
            "MaskName 含有 150000 个需转义的字符.");
  EXPECT_EQ(readFile(dir.path("a.xdx")), earlierDocument());

  // A long text below both limits is written and opens again.
  s.setText(Field::AnonymousTitle, std::string(50000, '<') + std::string(20u << 20, 'x'));
  p.saveAnswers.push_back(dir.path("a.xdx"));
  EXPECT_EQ(saveDocument(s, p), SaveOutcome::Written);
  FormState again;
  ScriptedPrompter q;
  again.setPendingPath(dir.path("a.xdx"));
  EXPECT_EQ(openDocument(again, q), OpenOutcome::Opened);
  EXPECT_EQ(again.record().text(Field::AnonymousTitle).size(), 50000 + (20u << 20));
}
