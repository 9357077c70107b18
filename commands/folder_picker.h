#pragma once

// The folder browser of the "..." buttons beside Edit2 and Edit3, as an
// interface: each window opens its toolkit's browser, the tests answer it from
// a script.

#include <string>

namespace morvick {

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

}  // namespace morvick
