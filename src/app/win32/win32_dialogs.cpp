#include "app/win32/win32_dialogs.h"

#include "app/win32/latin1_text.h"

namespace vidideza {

int Win32Dialogs::Show(const std::string& text, UINT style) {
  // A box raised at shutdown, once the window is gone, stands on its own.
  const HWND owner = ::IsWindow(owner_) ? owner_ : nullptr;
  return ::MessageBoxW(owner, Wide(text).c_str(), title_.c_str(), style | MB_APPLMODAL);
}

void Win32Dialogs::Notice(const std::string& text) {
  Show(text, MB_OK);
}

bool Win32Dialogs::Confirm(const std::string& text) {
  return Show(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void Win32Dialogs::Error(const std::string& text) {
  Show(text, MB_OK | MB_ICONERROR);
}

}  // namespace vidideza
