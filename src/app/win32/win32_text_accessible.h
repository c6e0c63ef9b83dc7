#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vidideza {

// The answer to WM_GETOBJECT for a window of the program's own class that holds read-only text
// (the response window): Active Accessibility's standard object for the window, but with the
// role of a read-only text whose value is the window's text, so that a screen reader reads the
// lines. Other objects, and a thread without COM, get what DefWindowProc gives.
LRESULT AnswerAccessibleObject(HWND window, WPARAM flags, LPARAM objectId,
                               std::function<std::wstring()> text);

}  // namespace vidideza
