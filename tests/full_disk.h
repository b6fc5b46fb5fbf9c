// Disks that fail. While a FullDisk lives, no file of this process grows
// beyond `bytes`, and a write past that fails as on a full disk.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "platform/stream.h"

class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &kept_);
    // The write then fails with an error instead of ending the process.
    kept_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = kept_;
    limit.rlim_cur = std::min(bytes, kept_.rlim_max);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &kept_);
    std::signal(SIGXFSZ, kept_handler_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit kept_{};
  void (*kept_handler_)(int) = SIG_DFL;
};

// Runs `work` while the `n`-th read of a file or flush of a save to disk
// from then on fails with an I/O error, as on a dying disk or a dropped
// network share.
inline int steps_before_failure = 0;
inline bool StepFails() { return --steps_before_failure == 0 ? (errno = EIO, true) : false; }
template <typename Work>
void OnAFailingDisk(int n, const Work& work) {
  steps_before_failure = n;
  platform::read_from_disk = [](int fd, void* out, size_t size) -> ssize_t {
    return StepFails() ? -1 : ::read(fd, out, size);
  };
  platform::flush_to_disk = [](int fd) { return StepFails() ? -1 : ::fsync(fd); };
  work();
  platform::read_from_disk = ::read;
  platform::flush_to_disk = ::fsync;
}
