#pragma once
// Reading a whole file of bounded size, from a regular file as from a named
// pipe or a device, on every system the programs run on.
#include <cstddef>
#include <string>

namespace velmora {

struct FileRead {
  enum class Outcome {
    Read,        // `bytes` holds the whole file
    CannotOpen,  // `reason` says why (the system's words)
    CannotRead,  // opened, but reading failed; `reason` says why
    TooLarge     // more than the limit: nothing beyond it was read
  };
  Outcome outcome = Outcome::Read;
  std::string bytes;
  std::string reason;
};

// Reads `path` to its end, refusing it once it holds more than `limit`
// bytes. A folder cannot be opened ("Is a directory"); a named pipe without
// a writer reads as empty instead of waiting for one.
FileRead readWholeFile(const std::string& path, std::size_t limit);

}  // namespace velmora
