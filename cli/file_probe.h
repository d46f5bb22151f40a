#pragma once
// What velmora-cli asks of a file by its name, on every system it runs on:
// which file it is (one file under two names is one file), whether it is a
// regular file, and how it begins. Links are followed throughout.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace velmora::cli {

// The device and inode on Linux; the volume's serial number and the file's
// index on Windows.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;

// Nothing when the file does not exist or cannot be reached. "/dev/stdin"
// is standard input, also on Windows, where it has no such name.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// An existing regular file: no folder, FIFO or device.
bool isRegularFile(const std::string& path);

// The first bytes of a regular file, at most `size`, read at once; nothing
// when it cannot be opened or read, or is no regular file (a pipe or a
// device has been read already, and is no document file anyway). The open
// never waits for a FIFO's writer.
std::optional<std::string> regularFileHead(const std::string& path, std::size_t size);

// The errno value of an error std::filesystem reported: on Windows it gives
// the system's own error codes, which strerror would misread.
int systemErrno(const std::error_code& ec);

}  // namespace velmora::cli
