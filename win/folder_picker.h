#pragma once

// The "..." buttons' folder browser on Win32: the shell's own browser, opened
// on the folder typed in the box, with the highlighted folder's full path in
// its status line.

#include "commands/folder_picker.h"

#include <string>

namespace morvick::win {

class ShellFolderPicker : public FolderPicker {
 public:
  // Modal to the window active at the call. COM must be initialised on the thread.
  bool BrowseForFolder(std::string& path) override;
};

}  // namespace morvick::win
