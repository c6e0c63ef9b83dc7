#include "app/win32/win32_dialogs.h"

#include <commctrl.h>

#include "app/win32/latin1_text.h"

namespace vidideza {

namespace {

// The question box answers No to Escape and to its close box, as the other windows' question
// does: Windows' Yes/No box ignores both, for it has no Cancel button. Both reach the box as
// its cancel command, which is taken as No.
LRESULT CALLBACK QuestionBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                             DWORD_PTR /*data*/) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    return ::DefSubclassProc(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
  }
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(box, &QuestionBox, id);
  }
  return ::DefSubclassProc(box, message, wParam, lParam);
}

// While a question is asked, the box that comes up on this thread is made to take Escape and
// its close box.
LRESULT CALLBACK WatchForQuestionBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const auto box = reinterpret_cast<HWND>(wParam);
    ::SetWindowSubclass(box, &QuestionBox, 1, 0);
    ::EnableMenuItem(::GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class QuestionHook {
 public:
  QuestionHook()
      : hook_(::SetWindowsHookExW(WH_CBT, &WatchForQuestionBox, nullptr, ::GetCurrentThreadId())) {}
  QuestionHook(const QuestionHook&) = delete;
  QuestionHook& operator=(const QuestionHook&) = delete;
  ~QuestionHook() {
    if (hook_ != nullptr) {
      ::UnhookWindowsHookEx(hook_);
    }
  }

 private:
  HHOOK hook_;
};

}  // namespace

int Win32Dialogs::Show(const std::string& text, UINT style) {
  // A box raised at shutdown, once the window is gone, stands on its own.
  const HWND owner = ::IsWindow(owner_) ? owner_ : nullptr;
  return ::MessageBoxW(owner, Wide(text).c_str(), title_.c_str(), style | MB_APPLMODAL);
}

void Win32Dialogs::Notice(const std::string& text) {
  Show(text, MB_OK);
}

bool Win32Dialogs::Confirm(const std::string& text) {
  const QuestionHook hook;
  return Show(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void Win32Dialogs::Error(const std::string& text) {
  Show(text, MB_OK | MB_ICONERROR);
}

}  // namespace vidideza
