#include "app/win32/win32_response_view.h"
#include "app/win32/win32_text_accessible.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "app/shown_character.h"
#include "app/shown_line.h"

namespace vidideza {

namespace {

constexpr int kMargin = 2;
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kFrameMs = 50;  // 20 paintings a second at most while lines pour in

struct DcRelease {
  HWND window;
  HDC dc;
  ~DcRelease() { ::ReleaseDC(window, dc); }
};

}  // namespace

std::wstring DisplayLine(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    text.push_back(static_cast<wchar_t>(ShownCharacter(static_cast<unsigned char>(c))));
  }
  return text;
}

// What the window draws of a line: of a long line, its head and the marker of its length.
std::wstring ShownText(std::string_view line) {
  const ShownLine shown = ShownPartOf(line);
  std::wstring text = DisplayLine(shown.head);
  text.append(shown.marker.begin(), shown.marker.end());
  return text;
}

const wchar_t* Win32ResponseView::ClassName() {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    type.lpfnWndProc = &Win32ResponseView::Procedure;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.hCursor = ::LoadCursorW(nullptr, IDC_IBEAM);
    type.hbrBackground = nullptr;  // painted in full
    type.lpszClassName = L"TMemo";
    return ::RegisterClassExW(&type) != 0;
  }();
  static_cast<void>(registered);  // a failed registration shows as a failed CreateWindow
  return L"TMemo";
}

Win32ResponseView::Win32ResponseView(HWND parent, int id, RECT place, HFONT font) : font_(font) {
  window_ = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, ClassName(), L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
      place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), this);
  UpdateScrollBar();
}

Win32ResponseView::~Win32ResponseView() {
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  }
}

LRESULT CALLBACK Win32ResponseView::Procedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* view =
        static_cast<Win32ResponseView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    view->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  }
  auto* view = reinterpret_cast<Win32ResponseView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (view == nullptr) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  return view->Handle(message, wParam, lParam);
}

int Win32ResponseView::TextWidth() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  return std::max<int>(1, client.right - 2 * kMargin);
}

int Win32ResponseView::LineHeight(HDC dc, std::size_t index, int width) const {
  const std::wstring text = ShownText(lines_.Line(index));
  RECT box{0, 0, width, 0};
  ::DrawTextW(dc, text.empty() ? L" " : text.c_str(),
              text.empty() ? 1 : static_cast<int>(text.size()), &box,
              DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_CALCRECT);
  return std::max<int>(1, box.bottom);
}

bool Win32ResponseView::EndInSight() const {
  if (lines_.LineCount() == 0) {
    return true;
  }
  RECT client{};
  ::GetClientRect(window_, &client);
  const DcRelease dc{window_, ::GetDC(window_)};
  const HGDIOBJ old = ::SelectObject(dc.dc, font_);
  int y = kMargin;
  std::size_t i = first_;
  for (; i < lines_.LineCount() && y < client.bottom; ++i) {
    y += LineHeight(dc.dc, i, TextWidth());
  }
  ::SelectObject(dc.dc, old);
  return i >= lines_.LineCount() && y <= client.bottom + 1;
}

// The first line that lets the last one end at the bottom.
void Win32ResponseView::ScrollToEnd() {
  RECT client{};
  ::GetClientRect(window_, &client);
  const DcRelease dc{window_, ::GetDC(window_)};
  const HGDIOBJ old = ::SelectObject(dc.dc, font_);
  int room = client.bottom - 2 * kMargin;
  std::size_t first = lines_.LineCount();
  while (first > 0) {
    const int height = LineHeight(dc.dc, first - 1, TextWidth());
    if (height > room && first != lines_.LineCount()) {
      break;
    }
    room -= height;
    --first;
    if (room <= 0) {
      break;
    }
  }
  ::SelectObject(dc.dc, old);
  first_ = first;
}

void Win32ResponseView::ScrollTo(std::ptrdiff_t first) {
  const auto last = static_cast<std::ptrdiff_t>(lines_.LineCount()) - 1;
  first_ = static_cast<std::size_t>(
      std::clamp<std::ptrdiff_t>(first, 0, std::max<std::ptrdiff_t>(0, last)));
  following_ = EndInSight();
  UpdateScrollBar();
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32ResponseView::FollowEnd() {
  following_ = true;
  ScrollToEnd();
  UpdateScrollBar();
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32ResponseView::Settle() {
  if (!layoutPending_) {
    return;
  }
  layoutPending_ = false;
  if (following_) {
    ScrollToEnd();
  }
  UpdateScrollBar();
}

void Win32ResponseView::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = static_cast<int>(std::min<std::size_t>(lines_.LineCount(), 0x7FFFFFFF));
  info.nPage = 1;
  info.nPos = static_cast<int>(std::min<std::size_t>(first_, 0x7FFFFFFF));
  ::SetScrollInfo(window_, SB_VERT, &info, TRUE);
}

// A line costs the same however many came before it or are in sight: the view is laid out
// once for all lines added since, when it is next painted or used, and it is painted at most
// 20 times a second (under Wine each painting waits on the X server: a burst of 100,000 lines
// painted once for every few lines took 4.3 s, and takes 2.4 s so, against 0.9 s on Linux).
void Win32ResponseView::AddLine(std::string_view line) {
  lines_.Append(line);
  layoutPending_ = true;
  if (!frameRequested_) {
    frameRequested_ = true;
    ::SetTimer(window_, kFrameTimer, kFrameMs, nullptr);
  }
}

void Win32ResponseView::Clear() {
  lines_.Clear();
  first_ = 0;
  picked_ = false;
  following_ = true;
  layoutPending_ = false;
  UpdateScrollBar();
  ::InvalidateRect(window_, nullptr, FALSE);
}

std::size_t Win32ResponseView::FirstLineInSight() {
  Settle();
  return first_;
}

void Win32ResponseView::Paint() {
  PAINTSTRUCT paint{};
  const HDC dc = ::BeginPaint(window_, &paint);
  RECT client{};
  ::GetClientRect(window_, &client);
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
  const HGDIOBJ old = ::SelectObject(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  const std::size_t low = std::min(anchor_, end_);
  const std::size_t high = std::max(anchor_, end_);
  int y = kMargin;
  for (std::size_t i = first_; i < lines_.LineCount() && y < client.bottom; ++i) {
    const std::wstring text = ShownText(lines_.Line(i));
    const int height = LineHeight(dc, i, TextWidth());
    RECT box{kMargin, y, kMargin + TextWidth(), y + height};
    const bool picked = picked_ && i >= low && i <= high;
    if (picked) {
      RECT band{0, y, client.right, y + height};
      ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    ::SetTextColor(dc, ::GetSysColor(picked ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    y += height;
  }
  ::SelectObject(dc, old);
  ::EndPaint(window_, &paint);
}

std::ptrdiff_t Win32ResponseView::LineAt(int y) const {
  const DcRelease dc{window_, ::GetDC(window_)};
  const HGDIOBJ old = ::SelectObject(dc.dc, font_);
  int top = kMargin;
  std::ptrdiff_t found = -1;
  for (std::size_t i = first_; i < lines_.LineCount(); ++i) {
    top += LineHeight(dc.dc, i, TextWidth());
    found = static_cast<std::ptrdiff_t>(i);
    if (y < top) {
      break;
    }
  }
  ::SelectObject(dc.dc, old);
  return found;
}

void Win32ResponseView::Pick(std::size_t anchor, std::size_t end) {
  picked_ = lines_.LineCount() > 0;
  anchor_ = anchor;
  end_ = end;
  ::InvalidateRect(window_, nullptr, FALSE);
}

std::wstring Win32ResponseView::PickedText() const {
  std::wstring text;
  if (!picked_) {
    return text;
  }
  const std::size_t high = std::min(std::max(anchor_, end_), lines_.LineCount() - 1);
  for (std::size_t i = std::min(anchor_, end_); i <= high; ++i) {
    if (!text.empty() || i != std::min(anchor_, end_)) {
      text.push_back(L'\n');
    }
    text += DisplayLine(lines_.Line(i));
  }
  return text;
}

std::wstring Win32ResponseView::AllText() const {
  std::wstring text;
  for (std::size_t i = 0; i < lines_.LineCount(); ++i) {
    if (i > 0) {
      text += L"\r\n";
    }
    text += DisplayLine(lines_.Line(i));
  }
  return text;
}

void Win32ResponseView::CopyPicked() const {
  const std::wstring text = PickedText();
  if (text.empty() || !::OpenClipboard(window_)) {
    return;
  }
  ::EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = ::GlobalLock(memory)) {
      std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(target));
      ::GlobalUnlock(memory);
      if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        ::GlobalFree(memory);
      }
    } else {
      ::GlobalFree(memory);
    }
  }
  ::CloseClipboard();
}

LRESULT Win32ResponseView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto page = [&] {
    RECT client{};
    ::GetClientRect(window_, &client);
    return std::max<std::ptrdiff_t>(1, client.bottom / 16);
  };
  Settle();
  const auto first = static_cast<std::ptrdiff_t>(first_);
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_TIMER:
      if (wParam == kFrameTimer) {
        ::KillTimer(window_, kFrameTimer);
        frameRequested_ = false;
        ::InvalidateRect(window_, nullptr, FALSE);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (following_ || EndInSight()) {
        following_ = true;
        ScrollToEnd();
      }
      UpdateScrollBar();
      return 0;
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(window_, SB_VERT, &info);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          ScrollTo(first - 1);
          break;
        case SB_LINEDOWN:
          ScrollTo(first + 1);
          break;
        case SB_PAGEUP:
          ScrollTo(first - page());
          break;
        case SB_PAGEDOWN:
          ScrollTo(first + page());
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          ScrollTo(info.nTrackPos);
          break;
        case SB_TOP:
          ScrollTo(0);
          break;
        case SB_BOTTOM:
          FollowEnd();
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollTo(first - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
      return 0;
    case WM_LBUTTONDOWN: {
      ::SetFocus(window_);
      const std::ptrdiff_t line = LineAt(GET_Y_LPARAM(lParam));
      if (line >= 0) {
        const bool extend = (wParam & MK_SHIFT) != 0 && picked_;
        Pick(extend ? anchor_ : static_cast<std::size_t>(line), static_cast<std::size_t>(line));
        dragging_ = true;
        ::SetCapture(window_);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        if (const std::ptrdiff_t line = LineAt(GET_Y_LPARAM(lParam)); line >= 0) {
          Pick(anchor_, static_cast<std::size_t>(line));
        }
      }
      return 0;
    case WM_LBUTTONUP:
      dragging_ = false;
      ::ReleaseCapture();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;  // Tab still moves on
    case WM_KEYDOWN: {
      const bool control = ::GetKeyState(VK_CONTROL) < 0;
      const bool shift = ::GetKeyState(VK_SHIFT) < 0;
      const std::size_t count = lines_.LineCount();
      switch (wParam) {
        case 'A':
          if (control && count > 0) {
            Pick(0, count - 1);
          }
          return 0;
        case 'C':
        case VK_INSERT:
          if (control) {
            CopyPicked();
          }
          return 0;
        case VK_UP:
        case VK_DOWN:
          if (shift && count > 0) {
            const std::size_t from = picked_ ? end_ : first_;
            const std::size_t to =
                wParam == VK_UP ? (from > 0 ? from - 1 : 0) : std::min(from + 1, count - 1);
            Pick(picked_ ? anchor_ : from, to);
          } else {
            ScrollTo(first + (wParam == VK_UP ? -1 : 1));
          }
          return 0;
        case VK_PRIOR:
          ScrollTo(first - page());
          return 0;
        case VK_NEXT:
          ScrollTo(first + page());
          return 0;
        case VK_HOME:
          if (control)
            ScrollTo(0);
          return 0;
        case VK_END:
          if (control) {
            FollowEnd();
          }
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_CHAR:
      return 0;  // typed keys change nothing: what the window holds is what the log holds
    // Its text, for programs that read windows (screen readers, test drivers): every line as
    // shown, a CR LF between lines.
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(AllText().size());
    case WM_GETTEXT: {
      if (wParam == 0 || lParam == 0) {
        return 0;
      }
      const std::wstring text = AllText();
      const std::size_t count = std::min<std::size_t>(text.size(), wParam - 1);
      auto* target = reinterpret_cast<wchar_t*>(lParam);
      std::copy_n(text.c_str(), count, target);
      target[count] = L'\0';
      return static_cast<LRESULT>(count);
    }
    // As a screen reader reads it: a read-only text whose value is that text.
    case WM_GETOBJECT:
      return AnswerAccessibleObject(window_, wParam, lParam, [this] { return AllText(); });
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vidideza
