// The signals that ask the process to stop (SIGTERM, SIGINT, SIGHUP): they
// are only noted here, and the program ends at its next frame as it does
// when its window is closed, with its saves made.
#include <signal.h>

#include <atomic>

#include "internal.h"

namespace platform {
namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kStopSignalCount = sizeof(kStopSignals) / sizeof(kStopSignals[0]);

// Written from the handler, so it must be lock-free to be safe there.
std::atomic<bool> stop_signalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Every SDL host listens; the handlers found before come back when the last
// one goes.
struct sigaction handlers_before[kStopSignalCount];
int32_t listeners = 0;

// A process that did not end on the first signal may be stuck, so a second
// one ends it the usual way.
void OnStopSignal(int signal_number) {
  if (!NoteStopSignal()) return;
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  sigaction(signal_number, &usual, nullptr);
  raise(signal_number);
}

}  // namespace

bool NoteStopSignal() { return stop_signalled.exchange(true); }

void ResetStopSignal() { stop_signalled = false; }

// SA_RESTART keeps blocking calls going through a signal: the flag is read
// between frames. A stop signal ignored when the program starts stays
// ignored, as the one who started it asked: nohup ignores SIGHUP so that
// closing the terminal does not end the program.
void InstallStopSignalHandlers() {
  if (listeners++ > 0) return;
  struct sigaction noting {};
  noting.sa_handler = OnStopSignal;
  noting.sa_flags = SA_RESTART;
  sigemptyset(&noting.sa_mask);
  for (int i = 0; i < kStopSignalCount; ++i) {
    sigaction(kStopSignals[i], nullptr, &handlers_before[i]);
    if (handlers_before[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &noting, nullptr);
  }
}

void RestoreStopSignalHandlers() {
  if (listeners == 0 || --listeners > 0) return;
  for (int i = 0; i < kStopSignalCount; ++i)
    sigaction(kStopSignals[i], &handlers_before[i], nullptr);
}

}  // namespace platform

int32_t fw_app_stop_signalled() { return platform::stop_signalled ? 1 : 0; }
