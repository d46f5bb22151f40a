#include "cli/cli_prompter.h"

namespace velmora::cli {

std::optional<std::string> CliPrompter::askSavePath(const std::string&) {
  if (savePath_.empty()) return std::nullopt;
  return savePath_;
}

}  // namespace velmora::cli
