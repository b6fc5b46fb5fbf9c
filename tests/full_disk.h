// A full disk for the cases that need one: while a FullDiskAfter lives, every
// write past the first `bytes` bytes of any file fails as it would on a full
// disk (the process's file size limit, with the signal it raises ignored).
#pragma once

#include <sys/resource.h>

#include <csignal>

class FullDiskAfter {
 public:
  explicit FullDiskAfter(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, previous_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDiskAfter() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_handler_);
  }
  FullDiskAfter(const FullDiskAfter&) = delete;
  FullDiskAfter& operator=(const FullDiskAfter&) = delete;

 private:
  rlimit previous_{};
  void (*previous_handler_)(int) = SIG_DFL;
};
