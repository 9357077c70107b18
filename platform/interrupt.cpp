#include "platform/interrupt.h"

#include <csignal>

namespace morvick::platform {
namespace {

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previous_action {};

// A second Ctrl-C ends the program at once, as if no handler were there; the
// journal of a move is whole after every record, so even that is safe.
extern "C" void OnInterrupt(int signal_number) {
  if (interrupted) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  interrupted = 1;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a confirmation waiting for a line returns at once.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, &previous_action);
}

InterruptGuard::~InterruptGuard() { sigaction(SIGINT, &previous_action, nullptr); }

bool InterruptRequested() { return interrupted != 0; }

}  // namespace morvick::platform
