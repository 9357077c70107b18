#pragma once

// The "..." buttons' folder browser on Qt.

#include "commands/folder_picker.h"

#include <string>

namespace morvick::ui {

using morvick::FolderPicker;
using morvick::kFolderPickerTitle;

// A modal directory dialog owned by the window active at the call. It opens on
// `path` when that names an existing folder (otherwise where the dialog itself
// starts), lists folders only and shows the full path of the highlighted
// folder under its list.
class DialogFolderPicker : public FolderPicker {
 public:
  bool BrowseForFolder(std::string& path) override;
};

}  // namespace morvick::ui
