#pragma once

// Dragging one volume out of ListView2 on Win32: the shell's data object for
// the items of the volume folder (which items: commands/volume_items.h), the
// drop source, and the drag behind a small interface so that the tests can
// look at the data without a drag loop.

#include <windows.h>
// After windows.h, which it needs.
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

namespace morvick::win {

struct ComRelease {
  void operator()(IUnknown* object) const {
    if (object) object->Release();
  }
};
using DataObjectPtr = std::unique_ptr<IDataObject, ComRelease>;

// The shell's data object for the items `names` of `folder`, in order; null
// when there are none. Raises Error with the system's text of a shell call
// that fails ("OLE エラー %.8x" when the system has none).
DataObjectPtr BuildVolumeDataObject(const std::string& folder,
                                    const std::vector<std::string>& names);

// Escape and the right button cancel, releasing the left button drops; the
// system's cursors show the effect. It lives as long as its owner. A COM
// interface has no virtual destructor: its objects are never deleted through it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class VolumeDropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape_pressed, DWORD key_state) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;
};
#pragma GCC diagnostic pop

class DragRunner {
 public:
  virtual ~DragRunner() = default;
  // Runs one drag of `data`, offering only the `allowed` effects, until the
  // drop or the cancel. Returns the effect the target took.
  virtual DWORD Run(IDataObject& data, DWORD allowed) = 0;
};

// The real drag: DoDragDrop with the drop source above.
class OleDragRunner : public DragRunner {
 public:
  DWORD Run(IDataObject& data, DWORD allowed) override;

 private:
  VolumeDropSource source_;
};

}  // namespace morvick::win
