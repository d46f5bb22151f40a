#pragma once
// Recovery copies of unsaved edits: a crash or a power loss costs at most the
// last seconds of typing.
//
// Every running window owns one slot in the recovery folder, named after the
// process: `<slot>.xdx` (the record as an XDX document), `<slot>.origin` (the
// path of the document the edits started from, UTF-8, possibly empty) and
// `<slot>.lock`, locked (flock(), LockFileEx on Windows) for as long as the
// window runs. The system drops the lock when the process ends in any way, so a copy whose
// lock can be taken was left by a window that no longer runs.
#include <condition_variable>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "format/file_system.h"

namespace velmora {

// $XDG_STATE_HOME/velmora/recovery, else ~/.local/state/velmora/recovery;
// on Windows %LOCALAPPDATA%\velmora\recovery.
std::string defaultRecoveryFolder();

// This window's slot. Copies are written on a thread of their own, so that
// the disk (fsync above all) never holds up typing; only the latest copy
// handed over is written.
class RecoverySlot {
 public:
  explicit RecoverySlot(std::string folder);
  ~RecoverySlot();  // finishes the work handed over; the copy stays
  RecoverySlot(const RecoverySlot&) = delete;
  RecoverySlot& operator=(const RecoverySlot&) = delete;

  // Hands a complete document over to be written; returns at once.
  void save(std::string xdxBytes, std::string origin);
  // Removes the copy (after anything handed over before).
  void discard();
  // Waits until everything handed over is done.
  void flush();

  std::string copyPath() const { return base_ + ".xdx"; }
  // The reason the last write failed; empty after a success.
  std::string lastError() const;
  // Called on the slot's thread after every copy handed over was written or
  // failed, with the reason of a failure (empty after a success). Set it
  // before the first save.
  void setWriteObserver(std::function<void(const std::string& error)> observer) { observer_ = std::move(observer); }

 private:
  struct Job {
    bool discard = false;
    std::string bytes, origin;
  };
  void run();
  void write(const Job& job);
  void remove();
  bool claim();

  std::string folder_, base_;
  FileLock lock_;
  mutable std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::optional<Job> pending_;
  bool busy_ = false, stop_ = false;
  std::string error_;
  std::function<void(const std::string&)> observer_;
  std::thread thread_;
};

// A copy left by a window that no longer runs. Holding it holds its lock, so
// that no other starting window offers the same copy.
struct LeftCopy {
  std::string xdx, origin;
  std::time_t savedAt = 0;
  FileLock lock;
};

// Left copies, newest first. Lock files of slots without a copy are removed.
std::vector<LeftCopy> findLeftCopies(const std::string& folder);
// Deletes the copy with its origin and lock files.
void removeLeftCopy(const LeftCopy& copy);
// Moves a copy that does not open out of the way (`<slot>.xdx.broken`), so it
// is kept but never offered again; returns its new path.
std::string setLeftCopyAside(const LeftCopy& copy);

}  // namespace velmora
