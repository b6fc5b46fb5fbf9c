// A disk that is full past a given size, whatever the file's name: while a
// FullDisk lives, no file of this process grows beyond `bytes`, and a write
// past that fails as on a full disk.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

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
