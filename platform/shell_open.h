#pragma once

// Opening a document with the program the user's system associates with it.

#include <string>

namespace morvick::platform {

// Opens the file at `path` in its associated program (the browser, for the HTML
// help), owned by the window `owner` (an HWND, or nullptr). Returns whether the
// shell started it; when it cannot, the shell shows its own message. Windows only.
bool OpenWithShell(const std::string& path, void* owner);

}  // namespace morvick::platform
