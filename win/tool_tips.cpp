#include "win/tool_tips.h"

#include "common/error.h"
#include "platform/windows/wide.h"

#include <commctrl.h>

#include <iterator>

namespace morvick::win {
namespace {

using platform::windows::Narrow;
using platform::windows::Wide;

// Wide enough for a sentence, so that a long tip breaks into lines.
constexpr int kTipWidth = 360;

TOOLINFOW ToolOf(HWND owner, HWND control) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

}  // namespace

ToolTips::~ToolTips() {
  if (tips_ != nullptr) DestroyWindow(tips_);
}

void ToolTips::Create(HWND owner) {
  owner_ = owner;
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                          nullptr);
  if (tips_ == nullptr) throw Error("コントロールを作成できません");
  SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
}

void ToolTips::Set(HWND control, const std::string& text) {
  std::wstring wide = Wide(text);
  TOOLINFOW tool = ToolOf(owner_, control);
  tool.lpszText = wide.data();
  // A control is added once; later texts replace its text.
  if (tools_.insert(control).second) {
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

std::string ToolTips::TextOf(HWND control) const {
  if (!tools_.contains(control)) return {};
  wchar_t text[1024] = L"";
  TOOLINFOW tool = ToolOf(owner_, control);
  tool.lpszText = text;
  SendMessageW(tips_, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
  return Narrow(text);
}

}  // namespace morvick::win
