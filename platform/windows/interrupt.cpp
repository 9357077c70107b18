#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

namespace morvick::platform {
namespace {

std::atomic<bool> interrupted{false};

// Runs on a thread of its own, which the console makes for each event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // A second Ctrl-C ends the program at once, as if no handler were there; the
  // journal of a move is whole after every record, so even that is safe.
  if (interrupted.exchange(true)) return FALSE;
  return TRUE;
}

}  // namespace

InterruptGuard::InterruptGuard() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

InterruptGuard::~InterruptGuard() { ::SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

bool InterruptRequested() { return interrupted; }

}  // namespace morvick::platform
