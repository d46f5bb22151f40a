#pragma once
// The document actions' questions answered without a window: no dialog is
// ever shown, the save path is given in advance, and every message is kept
// for standard error.
#include <string>
#include <vector>

#include "document/prompter.h"

namespace velmora::cli {

class CliPrompter : public Prompter {
 public:
  explicit CliPrompter(std::string savePath = {}) : savePath_(std::move(savePath)) {}

  std::optional<std::string> askOpenPath() override { return std::nullopt; }
  std::optional<std::string> askSavePath(const std::string&) override;
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void showInformation(const std::string& text) override { messages.push_back(text); }
  void showError(const std::string& text) override;
  bool confirm(const std::string&) override { return false; }

  std::vector<std::string> messages;

 private:
  std::string savePath_;
};

}  // namespace velmora::cli
