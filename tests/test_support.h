#pragma once
// Shared helpers of the tests: a prompter with preset answers, fixture paths,
// temporary folders, and a record in which the check finds nothing.
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/form_state.h"
#include "document/prompter.h"

namespace velmora::test {

struct Shown {
  std::string kind;  // "message", "information", "error", "confirm", "question"
  std::string text;
};

class ScriptedPrompter : public Prompter {
 public:
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::deque<bool> confirmAnswers;
  std::deque<Answer> choiceAnswers;  // askYesNoCancel; Cancel when empty
  std::vector<Shown> shown;
  std::vector<std::string> proposedSaveNames;
  int openDialogs = 0;

  std::optional<std::string> askOpenPath() override;
  std::optional<std::string> askSavePath(const std::string& proposed) override;
  void showMessage(const std::string& t) override { shown.push_back({"message", t}); }
  void showInformation(const std::string& t) override { shown.push_back({"information", t}); }
  void showError(const std::string& t) override { shown.push_back({"error", t}); }
  bool confirm(const std::string& t) override;
  Answer askYesNoCancel(const std::string& t) override;
};

std::string fixture(const std::string& name);
// Whether the test runs under Wine rather than on Windows or Linux itself:
// Wine has neither Windows' faces nor its way of drawing them, so tests
// that measure the pixels of text in the window's faces do not hold there.
bool runsUnderWine();
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// GBK bytes of a UTF-8 text (for writing documents in tests).
std::string gbk(const std::string& utf8);

// A fresh folder under the system's temporary folder, removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  // The UTF-8 path of a UTF-8 name inside the folder, on every system.
  std::string path(const std::string& name) const;
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

// Unsaved edits, a problem list and a proposed name: what a failed open must
// leave exactly as it was.
FormState editedState();

// A fresh application with the three fields saving requires.
FormState savableState();

// A record that passes every rule of the completeness check.
Record completeRecord();

// The first field in which two records differ, with both values quoted and
// control characters shown as \xNN, for a failure message; empty when
// they are the same.
std::string firstDifference(const Record& a, const Record& b);

// A row of a case table as a SCOPED_TRACE names it: the text in quotes,
// control characters and bytes of no UTF-8 character shown as \xNN so the trace
// stays printable, and a text longer than `most` characters cut there, its
// length in bytes after it.
std::string rowName(std::string_view text, std::size_t most = 40);

// A small XDX document: the declaration, then `body` inside XMLPackage.
std::string document(const std::string& bodyUtf8, const std::string& encoding = "GBK");

}  // namespace velmora::test
