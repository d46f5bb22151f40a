#pragma once
// The few file-system steps the recovery folder takes, on every system the
// programs run on: the folder made private to the user, its entries listed,
// files removed or moved aside, and a lock that the system drops when its
// holder ends in any way.
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// The characters that end a folder's name in a path: Windows takes both
// slashes; on Linux a backslash is part of a name.
#ifdef _WIN32
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

// The program holds paths in UTF-8; std::filesystem takes them as such only
// when told (on Windows a narrow path is read in the ANSI code page).
inline std::filesystem::path systemPath(const std::string& utf8) { return {std::u8string(utf8.begin(), utf8.end())}; }
inline std::string utf8Path(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return {u8.begin(), u8.end()};
}

// Whether a UTF-8 path names its file wherever the program runs: "/..." on
// Linux; a drive's or a share's root ("C:\...", "\\server\...") on Windows.
inline bool isAbsolutePath(const std::string& utf8) { return !utf8.empty() && systemPath(utf8).is_absolute(); }

// Creates the folder and its parents, private to the user. False (errno
// set) when a part cannot be made.
bool makePrivateFolders(const std::string& folder);

// The names in a folder, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> folderEntries(const std::string& folder);

// The file's last modification, or nothing when it does not exist.
std::optional<std::time_t> modifiedAt(const std::string& path);

bool removeFile(const std::string& path);
bool moveFile(const std::string& from, const std::string& to);

// The whole small file, or empty.
std::string readSmallFile(const std::string& path);

// An exclusive lock on a file, created if need be, taken without waiting.
// Null when another process holds it or it cannot be opened. The lock lasts
// as long as the handle (any copy of it) and ends with the process.
using FileLock = std::shared_ptr<const void>;
FileLock tryLockFile(const std::string& path);

// This process's identifier.
unsigned long processId();

}  // namespace velmora
