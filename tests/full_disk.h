// Disks that fail. A full one: while a FullDisk lives, no file of this
// process grows beyond `bytes`, and a write past that fails as on a full
// disk. A failing one: while a FailingDisk lives, the `n`-th read of a file
// from now on fails with an I/O error, as a dying disk or a dropped network
// share makes it.
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

class FailingDisk {
 public:
  explicit FailingDisk(int n) {
    reads_left_ = n;
    platform::read_from_disk = Read;
  }
  ~FailingDisk() { platform::read_from_disk = ::read; }
  FailingDisk(const FailingDisk&) = delete;
  FailingDisk& operator=(const FailingDisk&) = delete;

 private:
  static ssize_t Read(int fd, void* out, size_t capacity) {
    if (--reads_left_ != 0) return ::read(fd, out, capacity);
    errno = EIO;
    return -1;
  }
  static inline int reads_left_ = 0;
};
