#pragma once
#include <string>
#include <string_view>

namespace velmora {

// Writes `bytes` to `path` so that the file is either the complete new content
// or untouched: the data goes to a temporary file in the same folder, is
// flushed to disk and then renamed over the target. On failure returns false,
// removes the temporary file and puts a readable reason into `error`.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace velmora
