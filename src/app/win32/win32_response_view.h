#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "app/line_store.h"

namespace vidideza {

// Memo1: the lines sent and received. Only the lines in sight are laid out and drawn, each
// word-wrapped to the width; the view follows the end until it is scrolled away from it, and
// stays put then. Adding a line costs the same however many lines there are. Lines are picked with
// the mouse (a drag picks a run of them), Shift+arrows, or Ctrl+A; Ctrl+C copies the picked lines
// as shown, a line feed between lines.
class Win32ResponseView {
 public:
  // The window class this view's windows are made of; registered once per process.
  static const wchar_t* ClassName();

  Win32ResponseView(HWND parent, int id, RECT place, HFONT font);
  Win32ResponseView(const Win32ResponseView&) = delete;
  Win32ResponseView& operator=(const Win32ResponseView&) = delete;
  ~Win32ResponseView();

  HWND Window() const { return window_; }
  const TLineStore& Lines() const { return lines_; }
  void AddLine(std::string_view line);
  void Clear();
  // The picked lines as the clipboard gets them.
  std::wstring PickedText() const;
  std::size_t FirstLineInSight();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  int LineHeight(HDC dc, std::size_t index, int width) const;
  int TextWidth() const;
  bool EndInSight() const;
  void ScrollToEnd();
  void ScrollTo(std::ptrdiff_t first);
  void FollowEnd();
  // Lays out what AddLine left for later: the end in sight while the view follows it, and the
  // scroll bar.
  void Settle();
  void UpdateScrollBar();
  void Paint();
  std::ptrdiff_t LineAt(int y) const;
  void Pick(std::size_t anchor, std::size_t end);
  void CopyPicked() const;
  std::wstring AllText() const;

  HWND window_ = nullptr;
  HFONT font_;
  TLineStore lines_;
  std::size_t first_ = 0;  // the first line in sight
  bool following_ = true;  // the end stays in sight as lines come
  bool layoutPending_ = false;
  bool frameRequested_ = false;  // a painting is due at the next screen frame
  bool picked_ = false;
  std::size_t anchor_ = 0;
  std::size_t end_ = 0;
  bool dragging_ = false;
};

// A byte line as the window shows it: Latin-1, control bytes drawn as their control pictures.
std::wstring DisplayLine(std::string_view bytes);

}  // namespace vidideza
