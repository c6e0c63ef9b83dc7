#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vidideza {

// The tooltips of a drop-down combo box's open list: the hint of the item under the pointer,
// beside the list, as plain text (control bytes as the response window shows them). Windows'
// combo box has no tooltips of its own for its items.
class Win32ItemHints {
 public:
  // `box` and `owner` outlive this object.
  Win32ItemHints(HWND box, HWND owner, int maxWidth);
  Win32ItemHints(const Win32ItemHints&) = delete;
  Win32ItemHints& operator=(const Win32ItemHints&) = delete;
  ~Win32ItemHints();

  // hints[i] for item i, "" for none.
  void SetHints(std::vector<std::string> hints);
  // When the list opens: from now on the pointer over an item shows its hint.
  void Watch();
  // When the list closes.
  void Hide();

 private:
  static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
  void PointerAt(LPARAM where);
  void Show(int item);

  HWND box_;
  HWND owner_;
  HWND tips_ = nullptr;
  HWND list_ = nullptr;  // the open list, once watched
  std::vector<std::string> hints_;
  int shown_ = -1;  // the item whose hint is shown
};

}  // namespace vidideza
