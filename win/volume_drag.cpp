#include "win/volume_drag.h"

#include "common/error.h"
#include "platform/windows/wide.h"

#include <shlobj.h>

#include <cstdio>

namespace morvick::win {
namespace {

using platform::windows::Narrow;
using platform::windows::Wide;

// An identifier list the shell handed over, given back to its allocator.
struct ItemList {
  ITEMIDLIST* items = nullptr;
  ItemList() = default;
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  ItemList(ItemList&& other) noexcept : items(other.items) { other.items = nullptr; }
  ~ItemList() { CoTaskMemFree(items); }
};

void Check(HRESULT result) {
  if (SUCCEEDED(result)) return;
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (length > 0 && text != nullptr) {
    message = Narrow({text, length});
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
      message.pop_back();
    }
  }
  LocalFree(text);
  if (message.empty()) {
    char code[32];
    std::snprintf(code, sizeof code, "OLE エラー %.8lx", static_cast<unsigned long>(result));
    message = code;
  }
  throw Error(message);
}

template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

}  // namespace

DataObjectPtr BuildVolumeDataObject(const std::string& folder,
                                    const std::vector<std::string>& names) {
  if (names.empty()) return nullptr;
  IShellFolder* desktop_raw = nullptr;
  Check(SHGetDesktopFolder(&desktop_raw));
  const ComPtr<IShellFolder> desktop(desktop_raw);

  ItemList folder_items;
  std::wstring folder_text = Wide(folder);
  Check(desktop->ParseDisplayName(nullptr, nullptr, folder_text.data(), nullptr,
                                  &folder_items.items, nullptr));
  IShellFolder* volume_raw = nullptr;
  Check(desktop->BindToObject(folder_items.items, nullptr, IID_IShellFolder,
                              reinterpret_cast<void**>(&volume_raw)));
  const ComPtr<IShellFolder> volume(volume_raw);

  std::vector<ItemList> children(names.size());
  std::vector<LPCITEMIDLIST> child_items;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::wstring name = Wide(names[i]);
    Check(volume->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &children[i].items,
                                   nullptr));
    child_items.push_back(children[i].items);
  }
  IDataObject* data = nullptr;
  Check(volume->GetUIObjectOf(nullptr, static_cast<UINT>(child_items.size()), child_items.data(),
                              IID_IDataObject, nullptr, reinterpret_cast<void**>(&data)));
  return DataObjectPtr(data);
}

HRESULT VolumeDropSource::QueryInterface(REFIID id, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
    *object = static_cast<IDropSource*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT VolumeDropSource::QueryContinueDrag(BOOL escape_pressed, DWORD key_state) {
  if (escape_pressed || (key_state & MK_RBUTTON) != 0) return DRAGDROP_S_CANCEL;
  if ((key_state & MK_LBUTTON) == 0) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT VolumeDropSource::GiveFeedback(DWORD /*effect*/) { return DRAGDROP_S_USEDEFAULTCURSORS; }

DWORD OleDragRunner::Run(IDataObject& data, DWORD allowed) {
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(&data, &source_, allowed, &effect);
  return effect;
}

}  // namespace morvick::win
