#pragma once

// The folder browser of the "..." buttons, as an interface: the window uses a
// Qt directory dialog, the tests answer it from a script.

#include <string>

namespace morvick::ui {

class FolderPicker {
 public:
  virtual ~FolderPicker() = default;

  // Lets the user choose a folder, starting at `path`. Returns true and puts
  // the chosen folder's path into `path`; returns false, with `path`
  // untouched, when the user cancels.
  virtual bool BrowseForFolder(std::string& path) = 0;
};

// The title of the folder browser.
inline constexpr const char* kFolderPickerTitle = "フォルダを選択してください。";

// A modal directory dialog owned by the window active at the call. It opens on
// `path` when that names an existing folder (otherwise where the dialog itself
// starts), lists folders only and shows the full path of the highlighted
// folder under its list.
class DialogFolderPicker : public FolderPicker {
 public:
  bool BrowseForFolder(std::string& path) override;
};

}  // namespace morvick::ui
