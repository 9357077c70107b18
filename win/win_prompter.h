#pragma once

// The program's message boxes as Win32 message boxes: caption, icon, buttons,
// default and Escape answers from MakeBoxLook, and the program's own button
// captions whatever the language of the system.

#include "common/prompter.h"

#include <windows.h>

namespace morvick::win {

class Win32Prompter : public Prompter {
 public:
  // The boxes are modal to `owner` (none until the main window exists).
  void SetOwner(HWND owner) { owner_ = owner; }

  Answer Ask(BoxKind kind, std::string_view text, unsigned buttons) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace morvick::win
