#include "win/program_look.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace morvick::win {
namespace {

constexpr const wchar_t* kProgramFontFace = L"ＭＳ Ｐゴシック";
constexpr int kProgramIconId = 1;

}  // namespace

HFONT CreateProgramFont(int dpi, bool bold, int design_height) {
  LOGFONTW logical{};
  logical.lfHeight = -MulDiv(design_height, dpi, 96);
  logical.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  logical.lfCharSet = SHIFTJIS_CHARSET;
  logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logical.lfQuality = DEFAULT_QUALITY;
  logical.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  std::wcsncpy(logical.lfFaceName, kProgramFontFace, LF_FACESIZE - 1);
  return CreateFontIndirectW(&logical);
}

HICON ProgramIcon(int size) {
  if (const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId),
                                     IMAGE_ICON, size, size, LR_SHARED)) {
    return static_cast<HICON>(icon);
  }
  return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

void FitLabel(HWND label, const ControlRect& minimum) {
  const int length = GetWindowTextLengthW(label);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(label, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  const HDC dc = GetDC(label);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, std::max<int>(minimum.width, needed.right),
               std::max<int>(minimum.height, needed.bottom),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace morvick::win
