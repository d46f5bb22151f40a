// Hostile and broken documents through the open action: each is refused with a
// readable reason, and the record, its states, the flag and the problem list
// stay exactly as they were. Nothing outside the file is ever read.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "document/document_actions.h"
#include "format/xdx_reader.h"
#include "hardening_support.h"
#include "record/gbk.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;

namespace {

// Empty when the failed open changed nothing; otherwise what it changed.
std::string changesAfterFailedOpen(const FormState& before, const FormState& after) {
  std::string changed;
  if (!(after.record() == before.record())) changed += " record";
  if (after.problems() != before.problems()) changed += " problems";
  if (after.modified() != before.modified()) changed += " modified";
  if (after.formal() != before.formal() || after.view().enabled != before.view().enabled) changed += " states";
  if (after.saveDialogName() != before.saveDialogName()) changed += " save-name";
  if (after.view().presider1 != before.view().presider1) changed += " mirrors";
  if (!after.pendingPath().empty()) changed += " pending-path";
  // Whatever else the window shows (the other mirror, shown and enabled
  // states, the save button).
  if (changed.empty() && !(after == before)) changed += " view";
  return changed;
}

struct Attempt {
  OpenOutcome outcome;
  std::vector<Shown> shown;
  std::string changed;  // parts of the state a failed open changed
};

Attempt openAt(const std::string& path) {
  const FormState before = editedState();
  FormState s = before;
  ScriptedPrompter p;
  s.setPendingPath(path);
  OpenOutcome outcome = openDocument(s, p);
  return {outcome, p.shown, changesAfterFailedOpen(before, s)};
}

void expectRefused(const Attempt& a, const std::string& reason, const std::string& label) {
  EXPECT_EQ(a.outcome, OpenOutcome::Failed) << label;
  ASSERT_EQ(a.shown.size(), 1u) << label;
  EXPECT_EQ(a.shown[0].kind, "error") << label;
  EXPECT_NE(a.shown[0].text.find(reason), std::string::npos) << label << ": " << a.shown[0].text;
  EXPECT_EQ(a.changed, "") << label;
}

std::string sparseFile(const TempDir& dir, const std::string& name, off_t size) {
  std::string path = dir.path(name);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
  return path;
}

// The sample document with `count` attributes on its root (or on the element
// named `on`).
std::string manyAttributes(const TempDir& dir, const std::string& name, int count, const std::string& on) {
  std::string bytes = readFile(fixture("sample.xdx"));
  const std::string tag = "<" + (on.empty() ? std::string("XMLPackage") : on);
  std::string attributes;
  for (int i = 0; i < count; ++i) attributes += " a" + std::to_string(i) + "=\"x\"";
  bytes.insert(bytes.find(tag) + tag.size(), attributes);
  writeFile(dir.path(name), bytes);
  return dir.path(name);
}

// The sample document with the text of `element` replaced by `text` (GBK
// bytes) and `extra` put in before the root's end tag.
std::string sampleWith(const TempDir& dir, const std::string& name, const std::string& element, const std::string& text,
                       const std::string& extra = {}) {
  std::string bytes = readFile(fixture("sample.xdx"));
  if (!element.empty()) {
    const std::size_t open = bytes.find("<" + element + ">") + element.size() + 2;
    const std::size_t close = bytes.find("</" + element + ">", open);
    bytes.replace(open, close - open, text);
  }
  bytes.insert(bytes.rfind("</XMLPackage>"), extra);
  writeFile(dir.path(name), bytes);
  return dir.path(name);
}

// The document at `path` rewritten in UTF-16 (little-endian, with its mark),
// declared as such.
std::string utf16(const std::string& path) {
  std::string text = *gbkToUtf8(readFile(path));
  text.replace(text.find("encoding=\"GBK\""), 14, "encoding=\"UTF-16\"");
  std::string out = "\xFF\xFE";
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = nextCodePoint(text, pos);
    auto unit = [&](char32_t u) {
      out.push_back(static_cast<char>(u & 0xFF));
      out.push_back(static_cast<char>(u >> 8));
    };
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  writeFile(path, out);
  return path;
}

std::string repeated(const std::string& unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

}  // namespace

// libxml2 refuses a text node of more than 10 MB ("Huge input lookup", then
// "Extra content at the end of the document"); documents are accepted up to
// 64 MB, and so are their texts.
TEST(HostileDocuments, TextsBeyondTenMegabytesOpen) {
  TempDir dir;
  const std::string gbkWord = "\xBD\xCC";  // 教
  struct Case {
    std::string label, element;
    std::string text;
  } cases[] = {
      {"12 MB of Chinese in a text field", "ProjectName", repeated(gbkWord, 6000000)},
      {"12 MB of Chinese in a table cell", "MainActor1", repeated(gbkWord, 6000000)},
      {"20 MB of one Latin word in a table cell", "MainActor1", std::string(20000000, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FormState s;
    ScriptedPrompter p;
    s.setPendingPath(sampleWith(dir, "large.xdx", c.element, c.text));
    ASSERT_EQ(openDocument(s, p), OpenOutcome::Opened) << c.label << ": " << (p.shown.empty() ? "" : p.shown[0].text);
    const std::string expected = *gbkToUtf8(c.text);
    if (c.element == "ProjectName") {
      EXPECT_TRUE(s.record().text(Field::ProjectName) == expected) << c.label;
    } else {
      EXPECT_TRUE(s.record().cell(Field::MainActor, 0, 0) == expected) << c.label;
    }
  }
}

// Markup the format never has, in amounts that cost libxml2 gigabytes, is
// refused by a scan before parsing; up to the bounds documents still open.
TEST(HostileDocuments, MarkupAndLinesBeyondTheBounds) {
  TempDir dir;
  struct Case {
    std::string label, path, reason;  // reason empty: opens
  } cases[] = {
      {"100 001 empty elements", sampleWith(dir, "elements.xdx", "", "", repeated("<a/>", 100001)),
       "元素、属性、注释或实体引用过多（超过 100000 个）"},
      {"100 001 comments", sampleWith(dir, "comments.xdx", "", "", repeated("<!---->", 100001)),
       "元素、属性、注释或实体引用过多"},
      {"100 001 entity references", sampleWith(dir, "refs.xdx", "ProjectName", repeated("&amp;", 100001)),
       "元素、属性、注释或实体引用过多"},
      {"50 000 empty elements", sampleWith(dir, "fewer.xdx", "", "", repeated("<a/>", 50000)), ""},
      {"400 elements of 256 attributes",
       sampleWith(dir, "attributes.xdx", "", "", repeated("<a" + repeated(" b=\"\"", 256) + "/>", 400)),
       "元素、属性、注释或实体引用过多"},
      {"a long text of 100 001 lines", sampleWith(dir, "lines.xdx", "ProjectAnalyze", repeated("x,", 100000)),
       "“ProjectAnalyze”的行数过多（超过 100000 行）"},
      {"a long text of 100 001 empty lines", sampleWith(dir, "commas.xdx", "HuoYe", std::string(100000, ',')),
       "“HuoYe”的行数过多"},
      {"200 elements in UTF-16", utf16(sampleWith(dir, "utf16.xdx", "", "", repeated("<a></a>", 200))), ""},
      // 丼 is 3C 4E in UTF-16LE: half of it is no "<".
      {"300 characters with a \"<\" byte in UTF-16",
       utf16(sampleWith(dir, "utf16-text.xdx", "ProjectName", repeated("\x81S", 300))), ""},
      {"300 nested elements in UTF-16",
       utf16(sampleWith(dir, "utf16-deep.xdx", "", "", repeated("<d>", 300) + repeated("</d>", 300))),
       "Excessive depth in document: 256"},
      {"a long text of 100 000 lines", sampleWith(dir, "most.xdx", "ProjectAnalyze", repeated("x,", 99999) + "x"), ""},
      {"a long text of 200 001 characters", sampleWith(dir, "long.xdx", "HuoYe", repeated("\xBD\xCC", 200001)),
       "“HuoYe”的文字过长（超过 200000 个字符）"},
      {"a long text of 200 000 characters", sampleWith(dir, "longest.xdx", "HuoYe", std::string(200000, 'x')), ""},
      {"one word of 20 MB in a long text", sampleWith(dir, "word.xdx", "ProjectAnalyze", std::string(20000000, 'x')),
       "“ProjectAnalyze”的文字过长"},
      // Above 10 MB the parser runs without its own limits; the depth bound stays.
      {"300 nested elements after 11 MB",
       sampleWith(dir, "deep.xdx", "ProjectName", std::string(11000000, 'x'),
                  repeated("<d>", 300) + repeated("</d>", 300)),
       "Excessive depth in document: 256"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.reason.empty()) {
      FormState s;
      ScriptedPrompter p;
      s.setPendingPath(c.path);
      EXPECT_EQ(openDocument(s, p), OpenOutcome::Opened) << c.label << ": " << (p.shown.empty() ? "" : p.shown[0].text);
      continue;
    }
    expectRefused(openAt(c.path), c.reason, c.label);
  }
}

TEST(HostileDocuments, AttributesUpToTheBoundStillOpen) {
  TempDir dir;
  for (const char* on : {"", "ver"}) {
    SCOPED_TRACE(std::string("256 attributes on ") + (*on ? on : "the root"));
    FormState s;
    ScriptedPrompter p;
    s.setPendingPath(manyAttributes(dir, "fine.xdx", 256, on));
    EXPECT_EQ(openDocument(s, p), OpenOutcome::Opened) << on;
    EXPECT_TRUE(p.shown.empty()) << on;
  }
  // Equals signs in text and in quoted values are no attributes.
  std::string bytes = readFile(fixture("sample.xdx"));
  bytes.insert(bytes.find("<XMLPackage") + 11, " a=\"" + std::string(1000, '=') + "\"");
  writeFile(dir.path("quoted.xdx"), bytes);
  FormState s;
  ScriptedPrompter p;
  s.setPendingPath(dir.path("quoted.xdx"));
  EXPECT_EQ(openDocument(s, p), OpenOutcome::Opened);
}

TEST(HostileDocuments, RefusedWithAReasonAndNothingChanged) {
  TempDir dir;
  ::mkdir(dir.path("folder.xdx").c_str(), 0755);
  ::mkfifo(dir.path("pipe.xdx").c_str(), 0644);
  struct Case {
    std::string label;
    std::string path;
    std::string reason;
  } cases[] = {
      {"external entity", fixture("external-entity.xdx"), "Element does not contain a single text node"},
      {"XInclude", fixture("hostile/xinclude.xdx"), "Element does not contain a single text node"},
      {"entity bomb", fixture("entity-bomb.xdx"), "Detected an entity reference loop"},
      {"nesting beyond the parser's depth", fixture("hostile/deep-nesting.xdx"), "Excessive depth in document"},
      {"nested elements in a value", fixture("hostile/nested-value.xdx"),
       "Element does not contain a single text node"},
      {"invalid GBK bytes", fixture("hostile/invalid-gbk.xdx"), "input conversion failed"},
      {"UTF-16 declaring GBK", fixture("hostile/utf16-declared-gbk.xdx"), "Start tag expected"},
      {"UTF-16 lone surrogate", fixture("hostile/utf16-lone-surrogate.xdx"), "input conversion failed"},
      {"truncated", fixture("truncated.xdx"), "Line:"},
      {"a folder", dir.path("folder.xdx"), "Is a directory"},
      {"missing", dir.path("missing.xdx"), "No such file or directory"},
      // 100 MB: refused by its size.
      {"100 MB", sparseFile(dir, "huge.xdx", 100 * 1024 * 1024), "文件过大"},
      // A device without end is cut off at the size limit.
      {"endless device", "/dev/zero", "文件过大"},
      // A named pipe nobody writes to reads as empty instead of hanging.
      {"named pipe", dir.path("pipe.xdx"), "Document is empty"},
      // libxml2 compares each attribute of a tag with all before it: 100 000
      // on the root took 17 s to check.
      {"100 000 attributes on the root", manyAttributes(dir, "attributes.xdx", 100000, ""),
       "元素的属性过多（超过 256 个）"},
      {"257 attributes on ver", manyAttributes(dir, "ver-attributes.xdx", 257, "ver"), "元素的属性过多"},
  };
  ::alarm(60);  // a read that blocks (the named pipe) ends the test instead of hanging it
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    expectRefused(openAt(c.path), c.reason, c.label);
  }
  ::alarm(0);
}

// The reason names the bytes; the parser prints nothing of its own (the
// window has no console, and velmora-cli's standard error is for messages).
TEST(HostileDocuments, InvalidGbkNamesTheBytesAndTheLine) {
  TempDir dir;
  const std::string errPath = dir.path("stderr.txt");
  std::fflush(stderr);
  int saved = ::dup(2);
  int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(err, 2);
  Attempt a = openAt(fixture("hostile/invalid-gbk.xdx"));
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  ::close(err);
  EXPECT_EQ(readFile(errPath), "");
  ASSERT_EQ(a.shown.size(), 1u);
  EXPECT_EQ(a.shown[0].text,
            "input conversion failed due to input error, bytes 0x81 0x3C 0x3C 0x2F\nLine: 2\n"
            "<XMLPackage><ver>VL2011v1.0</ver><Projec.");
}

// The documents point at a local file and a local port; neither may be touched.
TEST(HostileDocuments, NoFileOrNetworkIsRead) {
  TempDir dir;
  const std::string secret = dir.path("secret.dtd");
  writeFile(secret, "<!ENTITY name \"泄露的内容\">");

  int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, secret.c_str(), IN_OPEN | IN_ACCESS), 0);

  int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  socklen_t len = sizeof addr;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/evil.dtd";

  const std::string value = "<XMLPackage><ver>VL2011v1.0</ver><ProjectName>&name;</ProjectName></XMLPackage>";
  // A reference stays a reference (the element then holds no single text),
  // and an entity the unread file would have declared stays undeclared.
  const std::string notText = "Element does not contain a single text node";
  const std::string undeclared = "Entity 'name' not defined";
  struct Case {
    std::string label;
    std::string doctype;
    std::string reason;
  } cases[] = {
      {"external DTD file", "<!DOCTYPE XMLPackage SYSTEM \"" + secret + "\">", notText},
      {"external DTD URL", "<!DOCTYPE XMLPackage SYSTEM \"" + url + "\">", notText},
      {"entity from a file", "<!DOCTYPE XMLPackage [<!ENTITY name SYSTEM \"file://" + secret + "\">]>", notText},
      {"entity from a URL", "<!DOCTYPE XMLPackage [<!ENTITY name SYSTEM \"" + url + "\">]>", notText},
      {"parameter entity from a file", "<!DOCTYPE XMLPackage [<!ENTITY % p SYSTEM \"" + secret + "\"> %p;]>",
       undeclared},
      {"parameter entity from a URL", "<!DOCTYPE XMLPackage [<!ENTITY % p SYSTEM \"" + url + "\"> %p;]>", undeclared},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    writeFile(dir.path("doc.xdx"), "<?xml version=\"1.0\"?>\n" + c.doctype + "\n" + value);
    expectRefused(openAt(dir.path("doc.xdx")), c.reason, c.label);
  }

  // The same external DTD around a document without references opens as if
  // the DTD were not there.
  writeFile(dir.path("plain.xdx"),
            "<?xml version=\"1.0\"?>\n<!DOCTYPE XMLPackage SYSTEM \"" + secret +
                "\">\n<XMLPackage><ver>VL2011v1.0</ver><ProjectName>课题</ProjectName></XMLPackage>");
  FormState s;
  ScriptedPrompter p;
  s.setPendingPath(dir.path("plain.xdx"));
  ASSERT_EQ(openDocument(s, p), OpenOutcome::Opened);
  EXPECT_EQ(s.record().text(Field::ProjectName), "课题");

  char events[4096];
  EXPECT_EQ(::read(watch, events, sizeof events), -1) << "the referenced file was opened or read";
  EXPECT_EQ(::accept(listener, nullptr, nullptr), -1) << "the referenced URL was fetched";
  ::close(watch);
  ::close(listener);
}

TEST(HostileDocuments, EntityBombsTakeBoundedTimeAndMemory) {
  TempDir dir;
  // Quadratic blow-up: one long entity referenced many times (about 2 GB if
  // it were expanded).
  std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE XMLPackage [<!ENTITY a \"" + std::string(60000, 'x') +
                    "\">]>\n<XMLPackage><ver>VL2011v1.0</ver><ProjectName>";
  for (int i = 0; i < 30000; ++i) doc += "&a;";
  writeFile(dir.path("quadratic.xdx"), doc + "</ProjectName></XMLPackage>\n");

  struct Case {
    std::string path;
    std::string reason;
  } cases[] = {
      {fixture("entity-bomb.xdx"), "Detected an entity reference loop"},
      {dir.path("quadratic.xdx"), "Element does not contain a single text node"},
  };
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(std::filesystem::path(path).filename().string());
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    auto start = std::chrono::steady_clock::now();
    Attempt a = openAt(path);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::getrusage(RUSAGE_SELF, &after);
    expectRefused(a, reason, path);
    EXPECT_LT(seconds, 5.0) << path;
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256L * 1024) << path << ": peak memory grew (KB)";
  }
}

// As root, permissions do not stop reading: the open then runs as "nobody".
TEST(HostileDocuments, FileWithoutReadPermission) {
  TempDir dir;
  ::chmod(dir.dir().c_str(), 0755);
  const std::string path = dir.path("locked.xdx");
  writeFile(path, readFile(fixture("sample.xdx")));
  ::chmod(path.c_str(), 0);
  std::string why;
  auto failures = runInChild(
      [&] {
        Attempt a = openAt(path);
        if (a.outcome != OpenOutcome::Failed) return std::string("opened");
        if (a.shown.size() != 1 || a.shown[0].text.find("Permission denied") == std::string::npos)
          return "message: " + (a.shown.empty() ? std::string() : a.shown[0].text);
        return a.changed.empty() ? std::string() : "changed:" + a.changed;
      },
      /*unprivileged=*/true, 0, why);
  if (!failures) GTEST_SKIP() << why;
  EXPECT_EQ(*failures, "");
}
