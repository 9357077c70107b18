#include "win/message_loop.h"

namespace morvick::win {
namespace {

void Deliver(HWND main_window, MSG& message) {
  if (main_window != nullptr && IsWindow(main_window) && IsDialogMessageW(main_window, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

bool PumpPendingMessages(HWND main_window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    Deliver(main_window, message);
  }
  return true;
}

int RunMessageLoop(HWND main_window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Deliver(main_window, message);
  return static_cast<int>(message.wParam);
}

}  // namespace morvick::win
