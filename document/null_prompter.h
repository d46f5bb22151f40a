#pragma once
// A prompter with nobody to ask: every dialog is cancelled, every question
// answered No (or withdrawn), every box dropped. For benchmarks, fuzz
// targets and tools that must never stop for a question; derive from it to
// count what was shown or to answer one dialog.
#include "document/prompter.h"

namespace velmora {

class NullPrompter : public Prompter {
 public:
  std::optional<std::string> askOpenPath() override { return std::nullopt; }
  std::optional<std::string> askSavePath(const std::string&) override { return std::nullopt; }
  void showMessage(const std::string&) override {}
  void showInformation(const std::string&) override {}
  void showError(const std::string&) override {}
  bool confirm(const std::string&) override { return false; }
};

}  // namespace velmora
