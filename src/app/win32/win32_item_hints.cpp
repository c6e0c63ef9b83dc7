#include "app/win32/win32_item_hints.h"

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "app/win32/win32_response_view.h"

namespace vidideza {

namespace {

constexpr UINT_PTR kTool = 1;
constexpr UINT_PTR kListSubclass = 3;

TTTOOLINFOW Tool(HWND owner) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = kTool;
  return tool;
}

}  // namespace

Win32ItemHints::Win32ItemHints(HWND box, HWND owner, int maxWidth) : box_(box), owner_(owner) {
  // A tracking tooltip: shown and placed by this object, not by the pointer's pauses.
  tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tool = Tool(owner_);
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  std::wstring none;
  tool.lpszText = none.data();
  ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, maxWidth);  // a long identity wraps
}

Win32ItemHints::~Win32ItemHints() {
  if (list_ != nullptr) {
    ::RemoveWindowSubclass(list_, &Win32ItemHints::ListProcedure, kListSubclass);
  }
  ::DestroyWindow(tips_);
}

void Win32ItemHints::SetHints(std::vector<std::string> hints) {
  hints_ = std::move(hints);
  const int shown = std::exchange(shown_, -1);
  if (shown >= 0) {
    Show(shown);
  }
}

void Win32ItemHints::Watch() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (list_ == nullptr && ::GetComboBoxInfo(box_, &info) && info.hwndList != nullptr) {
    list_ = info.hwndList;
    ::SetWindowSubclass(list_, &Win32ItemHints::ListProcedure, kListSubclass,
                        reinterpret_cast<DWORD_PTR>(this));
  }
}

void Win32ItemHints::Hide() {
  TTTOOLINFOW tool = Tool(owner_);
  ::SendMessageW(tips_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  shown_ = -1;
}

LRESULT CALLBACK Win32ItemHints::ListProcedure(HWND list, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR self) {
  auto* hints = reinterpret_cast<Win32ItemHints*>(self);
  switch (message) {
    case WM_MOUSEMOVE:
      hints->PointerAt(lParam);
      break;
    case WM_SHOWWINDOW:
      if (wParam == FALSE) {
        hints->Hide();
      }
      break;
    case WM_NCDESTROY:
      hints->list_ = nullptr;
      ::RemoveWindowSubclass(list, &Win32ItemHints::ListProcedure, kListSubclass);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(list, message, wParam, lParam);
}

void Win32ItemHints::PointerAt(LPARAM where) {
  const auto found = static_cast<DWORD>(::SendMessageW(list_, LB_ITEMFROMPOINT, 0, where));
  const bool outside = HIWORD(found) != 0;
  const int item = outside ? -1 : static_cast<int>(LOWORD(found));
  if (item != shown_) {
    Show(item);
  }
}

void Win32ItemHints::Show(int item) {
  const bool hinted = item >= 0 && static_cast<std::size_t>(item) < hints_.size() &&
                      !hints_[static_cast<std::size_t>(item)].empty();
  if (!hinted || list_ == nullptr) {
    Hide();
    return;
  }
  std::wstring text = DisplayLine(hints_[static_cast<std::size_t>(item)]);
  TTTOOLINFOW tool = Tool(owner_);
  tool.lpszText = text.data();
  ::SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // Beside the item, to the right of the list, so that it hides no other item.
  RECT row{};
  ::SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
  RECT listArea{};
  ::GetWindowRect(list_, &listArea);
  POINT at{0, row.top};
  ::ClientToScreen(list_, &at);
  ::SendMessageW(tips_, TTM_TRACKPOSITION, 0, MAKELPARAM(listArea.right + 2, at.y));
  ::SendMessageW(tips_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  shown_ = item;
}

}  // namespace vidideza
