// The program VIDideza for Windows: start-up, the message loop and shutdown, one step a line.
#include <objbase.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/error_box_text.h"
#include "app/win32/latin1_text.h"
#include "app/win32/win32_dialogs.h"
#include "app/win32/win32_form1.h"

namespace {

std::string ProgramFileName() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return vidideza::Bytes(path.substr(path.find_last_of(L"\\/") + 1));
}

// COM on the window's thread while the program runs: screen readers get the response window's
// accessible object through it.
class ComOnThisThread {
 public:
  ComOnThisThread()
      : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComOnThisThread(const ComOnThisThread&) = delete;
  ComOnThisThread& operator=(const ComOnThisThread&) = delete;
  ~ComOnThisThread() {
    if (initialized_) {
      ::CoUninitialize();
    }
  }

 private:
  bool initialized_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int show) {
  using namespace vidideza;
  // The program takes no arguments.
  const ComOnThisThread com;
  auto dialogs = std::make_unique<Win32Dialogs>(Wide(ApplicationTitle(ProgramFileName())));
  Win32Dialogs& boxes = *dialogs;
  TWin32Form1 window(std::move(dialogs));
  boxes.SetOwner(window.Window());
  window.Form().FormCreate();
  window.Show(show);
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!window.PreTranslate(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  window.Shutdown();
  return static_cast<int>(message.wParam);
}
