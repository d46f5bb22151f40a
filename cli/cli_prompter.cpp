#include "cli/cli_prompter.h"

namespace velmora::cli {

std::optional<std::string> CliPrompter::askSavePath(const std::string&) {
  if (savePath_.empty()) return std::nullopt;
  return savePath_;
}

void CliPrompter::showError(const std::string& text) {
  // The full stop is the error box's; a line on standard error goes without.
  std::string line = text;
  if (!line.empty() && line.back() == '.') line.pop_back();
  messages.push_back(std::move(line));
}

}  // namespace velmora::cli
