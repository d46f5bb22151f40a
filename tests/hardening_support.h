#pragma once
// Helpers for the hostile-document and failed-save tests: running a scenario
// in a child process (as an unprivileged user, or under a resource limit), and
// a small tmpfs mounted for the test.
#include <errno.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace velmora::test {

// Runs `scenario` in a forked child and returns what it returned (empty means
// every expectation held). With `unprivileged` the child first becomes the
// user "nobody" when it runs as root, so that file permissions apply to it;
// with `fileSizeLimit` it cannot make a file larger than that many bytes.
// nullopt with `why` set when the child could not be set up that way.
inline std::optional<std::string> runInChild(const std::function<std::string()>& scenario, bool unprivileged,
                                             long fileSizeLimit, std::string& why) {
  int fds[2];
  if (::pipe(fds) != 0) {
    why = std::string("pipe: ") + std::strerror(errno);
    return std::nullopt;
  }
  pid_t pid = ::fork();
  if (pid < 0) {
    why = std::string("fork: ") + std::strerror(errno);
    return std::nullopt;
  }
  if (pid == 0) {
    ::close(fds[0]);
    auto reply = [&](char tag, const std::string& text) {
      std::string out = tag + text;
      for (std::size_t done = 0; done < out.size();) {
        ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::_exit(0);
    };
    if (unprivileged && ::geteuid() == 0) {
      const uid_t nobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
        reply('S', std::string("cannot become an unprivileged user: ") + std::strerror(errno));
    }
    if (fileSizeLimit > 0) {
      std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
      rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) reply('S', std::string("setrlimit: ") + std::strerror(errno));
    }
    reply('R', scenario());
  }
  ::close(fds[1]);
  std::string got;
  char buf[4096];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (got.empty()) return "the child ended without an answer (status " + std::to_string(status) + ")";
  if (got[0] == 'S') {
    why = got.substr(1);
    return std::nullopt;
  }
  return got.substr(1);
}

// A tmpfs of `size` (as mount(8) writes it, e.g. "64k") mounted on `dir` for
// the lifetime of the object. Mounting needs privileges that a test machine
// may not grant: `mounted()` is false then and `why()` says why.
class ScratchMount {
 public:
  ScratchMount(const std::string& dir, const std::string& size) : dir_(dir) {
#ifdef VELMORA_NO_MOUNTS
    why_ = "mounting is turned off for this build (VELMORA_TEST_MOUNTS=OFF)";
    return;
#endif
    const std::string options = "size=" + size + ",mode=0755";
    if (::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
      mounted_ = true;
    else
      why_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
  }
  ~ScratchMount() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }
  bool makeReadOnly() {
    return ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
  }

 private:
  std::string dir_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace velmora::test
