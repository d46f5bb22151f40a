// The open action on arbitrary document bytes: the reader, then everything the
// action does with what it read. Besides not crashing, it must keep its word:
// a failure changes nothing but the pending path; an opened record holds only
// GBK text, and saving it and opening the result gives the same record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check/completeness_check.h"
#include "document/document_actions.h"
#include "document/null_prompter.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"
#include "fuzz/fuzz_support.h"
#include "record/gbk.h"

namespace {

using namespace velmora;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "open action: %s\n", what);
  std::abort();
}

class CountingPrompter : public NullPrompter {
 public:
  int errors = 0, informations = 0, others = 0;
  std::string lastError;
  void showMessage(const std::string&) override { ++others; }
  void showInformation(const std::string&) override { ++informations; }
  void showError(const std::string& text) override {
    ++errors;
    lastError = text;
  }
};

// A record with unsaved edits, so that a half-applied document would show.
FormState editedState() {
  FormState s;
  CountingPrompter none;
  s.setText(Field::ProjectName, "未保存的编辑");
  s.setText(Field::PostCode, "123");
  s.editCell(Field::MainActor, 0, 0, "张三", none);
  s.runCheck();
  s.setSaveDialogName("/earlier/choice.xdx");
  s.setPendingPath("/fuzz/input.xdx");
  return s;
}

// The whole state but the pending path, which a failed open clears.
bool sameExceptPath(const FormState& a, const FormState& b) {
  FormState withoutPath = b;
  withoutPath.setPendingPath(a.pendingPath());
  return a == withoutPath;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const FormState before = editedState();
  FormState s = before;
  CountingPrompter p;
  const OpenOutcome outcome = applyReadResult(s, p, readXdxBytes(bytes));
  if (!s.pendingPath().empty()) fail("pending path not emptied");

  switch (outcome) {
    case OpenOutcome::Failed:
      if (!sameExceptPath(s, before)) fail("a failed open changed the state");
      if (p.errors != 1 || p.lastError.empty()) fail("a failed open did not show one error");
      return 0;
    case OpenOutcome::Refused:
    case OpenOutcome::EmptyRoot:
      if (!(s.record() == before.record())) fail("a refused document changed the record");
      if (s.modified() != before.modified()) fail("a refused document changed whether edits are unsaved");
      return 0;
    case OpenOutcome::Cancelled: fail("cancelled without a dialog");
    case OpenOutcome::Opened: break;
  }
  if (p.errors != 0) fail("an opened document showed an error");
  if (!fuzz::onlyGbkText(s.record())) fail("a value GBK cannot hold entered the record");
  if (s.problems() != completenessProblems(s.record())) fail("problem list not of the opened record");

  // Saved and opened again, the record is the same.
  FormState again;
  again.setPendingPath("/fuzz/saved.xdx");
  if (applyReadResult(again, p, readXdxBytes(buildXdx(s.record(), s.problems()))) != OpenOutcome::Opened)
    fail("the saved document does not open");
  if (!(again.record() == s.record())) fail("save and reopen changed the record");
  return 0;
}
