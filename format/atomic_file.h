#pragma once
#include <string>
#include <string_view>

namespace velmora {

// Writes `bytes` to `path` so that the file is either the complete new content
// or untouched: the data goes to a temporary file in the same folder, is
// flushed to disk and then renamed over the target. On failure returns false,
// removes the temporary file and puts a readable reason into `error`.
//
// A FIFO, a terminal or a device node is written into directly, never
// replaced. A symbolic link is followed: the file it names is written (in that file's
// folder) and the link stays. An existing file keeps its owner and group where
// the system allows it, and its mode; a new file gets 0666 less the umask. A
// hard-linked file is replaced by a new one: its other names keep the earlier
// content. Temporary files that killed saves left in the folder are removed;
// a temporary is named after its creator (boot and process), so the fresh
// file of a save running in another process is never taken for one.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

// A temporary file beside `path`, named and locked as a save's own, so that
// the same cleanup removes it once its creator was killed. `fd` keeps it
// locked until closed; the caller removes the file. Empty, with `error`
// set, when it cannot be made.
std::string temporaryBeside(const std::string& path, int& fd, std::string& error);

}  // namespace velmora
