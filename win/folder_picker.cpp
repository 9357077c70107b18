#include "win/folder_picker.h"

#include "platform/windows/wide.h"

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>

namespace morvick::win {
namespace {

using platform::windows::Narrow;
using platform::windows::Wide;

// An identifier list the shell handed over, given back to its allocator.
struct ItemList {
  PIDLIST_ABSOLUTE items = nullptr;
  ~ItemList() { CoTaskMemFree(items); }
};

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM parameter, LPARAM data) {
  switch (message) {
    case BFFM_INITIALIZED:
      // Opens on the typed folder, passed as it is, also when it names none.
      // Asked again once the browser's loop runs: a browser that fills its
      // tree after this message (Wine's, at times) has no item to select yet.
      SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
      PostMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
      break;
    case BFFM_SELCHANGED: {
      // The status line shows the highlighted folder's path, or nothing.
      wchar_t path[MAX_PATH + 1] = {};
      if (!SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path)) {
        path[0] = L'\0';
      }
      SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
      break;
    }
    default: break;
  }
  return 0;
}

}  // namespace

bool ShellFolderPicker::BrowseForFolder(std::string& path) {
  const std::wstring start = Wide(path);
  const std::wstring title = Wide(kFolderPickerTitle);
  wchar_t display_name[MAX_PATH + 1] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = GetActiveWindow();
  browse.pidlRoot = nullptr;  // the tree starts at the desktop
  browse.pszDisplayName = display_name;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
  browse.iImage = 0;
  const ItemList chosen{SHBrowseForFolderW(&browse)};
  if (chosen.items == nullptr) return false;  // cancelled or closed
  wchar_t chosen_path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(chosen.items, chosen_path)) return false;
  // As the shell gives it: a drive root keeps its backslash.
  path = Narrow(chosen_path);
  return true;
}

}  // namespace morvick::win
