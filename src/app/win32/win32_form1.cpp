#include "app/win32/win32_form1.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "app/win32/latin1_text.h"
#include "console/spin_value.h"

namespace vidideza {

namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr UINT kFirstShown = WM_APP + 2;
constexpr const wchar_t* kFormClass = L"TForm1";
constexpr const wchar_t* kPanelClass = L"TPanel";

void RegisterClasses(WNDPROC form, WNDPROC panel) {
  static const bool registered = [&] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = form;
    type.hInstance = instance;
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    type.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    type.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
    type.lpszClassName = kFormClass;
    bool ok = ::RegisterClassExW(&type) != 0;
    WNDCLASSEXW container{};
    container.cbSize = sizeof container;
    container.lpfnWndProc = panel;
    container.hInstance = instance;
    container.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    container.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    container.lpszClassName = kPanelClass;
    ok = ::RegisterClassExW(&container) != 0 && ok;
    return ok;
  }();
  static_cast<void>(registered);  // a failed registration shows as a failed CreateWindow
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

}  // namespace

TWin32Form1::TWin32Form1(std::unique_ptr<Dialogs> dialogs) : dialogs_(std::move(dialogs)) {
  RegisterClasses(&TWin32Form1::Procedure, &TWin32Form1::PanelProcedure);
  BuildControls();
  SetTabOrder();
  form_ = std::make_unique<TForm1>(*this);
}

TWin32Form1::~TWin32Form1() {
  // The link threads may still hand events to the form: end them while the controls stand.
  form_.reset();
  for (const auto& [name, timer] : timers_) {
    ::KillTimer(window_, timer);
  }
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

HWND TWin32Form1::Control(std::string_view name) const {
  const auto found = controls_.find(name);
  if (found == controls_.end()) {
    throw std::out_of_range("no control " + std::string(name));
  }
  return found->second;
}

void TWin32Form1::Show(int how) {
  ::ShowWindow(window_, how);
  // The focus starts at the first Tab stop, "Command A".
  for (const ControlDesign& design : Form1Design()) {
    if (design.tabOrder == 0) {
      ::SetFocus(Control(design.name));
    }
  }
  ::UpdateWindow(window_);
  if (!shownOnce_) {
    shownOnce_ = true;
    ::PostMessageW(window_, kFirstShown, 0, 0);
  }
}

void TWin32Form1::Shutdown() {
  if (!shutDown_ && form_) {
    shutDown_ = true;
    form_->FormDestroy();
  }
}

bool TWin32Form1::PreTranslate(MSG& message) {
  // Enter in the spin box beeps and does nothing else, as in the other views.
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && IsSpin(message.hwnd)) {
    ::MessageBeep(MB_OK);
    return true;
  }
  return ::IsDialogMessageW(window_, &message) != 0;
}

void TWin32Form1::RunHandler(void (TForm1::*handler)()) {
  if (form_ && settingDepth_ == 0) {
    TForm1& form = *form_;
    form.Guard().Run([&] { (form.*handler)(); });
  }
}

void TWin32Form1::RunPosted() {
  std::deque<std::function<void()>> calls;
  {
    const std::lock_guard<std::mutex> hold(postedLock_);
    calls.swap(posted_);
  }
  for (auto& call : calls) {
    call();
  }
}

LRESULT CALLBACK TWin32Form1::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TWin32Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWin32Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam)
                         : ::DefWindowProcW(window, message, wParam, lParam);
}

// Containers (pages, group frames) hand their children's notifications to the main window.
LRESULT CALLBACK TWin32Form1::PanelProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_PAINT: {
      // A captioned container draws its frame with the title on the top line.
      const std::wstring title = WindowText(window);
      PAINTSTRUCT paint{};
      const HDC dc = ::BeginPaint(window, &paint);
      if (!title.empty()) {
        RECT client{};
        ::GetClientRect(window, &client);
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
        const HGDIOBJ old = ::SelectObject(dc, font);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        RECT frame = client;
        frame.top = metrics.tmHeight / 2;
        ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &extent);
        RECT caption{6, 0, 6 + extent.cx + 4, metrics.tmHeight};
        ::FillRect(dc, &caption, ::GetSysColorBrush(COLOR_BTNFACE));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::TextOutW(dc, 8, 0, title.c_str(), static_cast<int>(title.size()));
        ::SelectObject(dc, old);
      }
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_SETFONT:
      ::SetPropW(window, L"font", reinterpret_cast<HANDLE>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(::GetPropW(window, L"font"));
    case WM_NCDESTROY:
      ::RemovePropW(window, L"font");
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// The spin box's edit and Edit8 are subclassed: the spin box for its keys and focus loss,
// Edit8 to know where the focus goes when it leaves.
LRESULT CALLBACK TWin32Form1::FieldProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR self) {
  return reinterpret_cast<TWin32Form1*>(self)->FieldMessage(window, message, wParam, lParam);
}

bool TWin32Form1::IsSpin(HWND window) const {
  const auto found = controls_.find("AdvSpinEdit1");
  return found != controls_.end() && found->second == window;
}

LRESULT TWin32Form1::FieldMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsSpin(field)) {
    switch (message) {
      case WM_KEYDOWN:
        switch (wParam) {
          case VK_UP:
            StepSpin(kSpinLineStep);
            return 0;
          case VK_DOWN:
            StepSpin(-kSpinLineStep);
            return 0;
          case VK_PRIOR:
            StepSpin(kSpinPageStep);
            return 0;
          case VK_NEXT:
            StepSpin(-kSpinPageStep);
            return 0;
          default:
            break;
        }
        break;
      case WM_CHAR: {
        const auto c = static_cast<wchar_t>(wParam);
        if (c == L'\r' || (c >= L' ' && !SpinAccepts(c))) {
          ::MessageBeep(MB_OK);
          return 0;
        }
        break;
      }
      case WM_PASTE: {
        // Pasted text obeys the same filter as typed text.
        std::wstring pasted;
        if (::OpenClipboard(field)) {
          if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
              pasted = text;
              ::GlobalUnlock(data);
            }
          }
          ::CloseClipboard();
        }
        for (const wchar_t c : pasted) {
          if (!SpinAccepts(c)) {
            ::MessageBeep(MB_OK);
            return 0;
          }
        }
        break;
      }
      case WM_KILLFOCUS: {
        const LRESULT result = ::DefSubclassProc(field, message, wParam, lParam);
        CorrectSpin();
        return result;
      }
      default:
        break;
    }
  } else if (message == WM_KILLFOCUS) {
    // Edit8 is left when the focus moves to another control of this window; a message box or
    // another program taking the focus for a while is no exit.
    const auto next = reinterpret_cast<HWND>(wParam);
    const LRESULT result = ::DefSubclassProc(field, message, wParam, lParam);
    if (next != nullptr && next != window_ && ::IsChild(window_, next)) {
      RunHandler(&TForm1::Edit8Exit);
    }
    return result;
  }
  return ::DefSubclassProc(field, message, wParam, lParam);
}

void TWin32Form1::StepSpin(int delta) {
  const ControlDesign& design = DesignOf("AdvSpinEdit1");
  const int value = SpinStepped(Text("AdvSpinEdit1"), delta, design.minimum, design.maximum);
  ::SetWindowTextW(Control("AdvSpinEdit1"), std::to_wstring(value).c_str());
}

void TWin32Form1::CorrectSpin() {
  const ControlDesign& design = DesignOf("AdvSpinEdit1");
  if (const auto corrected = SpinCorrection(Text("AdvSpinEdit1"), design.minimum, design.maximum)) {
    ::SetWindowTextW(Control("AdvSpinEdit1"), std::to_wstring(*corrected).c_str());
  }
}

LRESULT TWin32Form1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == TCN_SELCHANGE) {
        OnPageChange();
      } else if (header->code == UDN_DELTAPOS) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        StepSpin(change->iDelta);
        return TRUE;  // the spin box keeps its own value
      }
      return 0;
    }
    case WM_CTLCOLOREDIT: {
      const auto found = colours_.find(reinterpret_cast<HWND>(lParam));
      if (found != colours_.end()) {
        LOGBRUSH brush{};
        ::GetObjectW(found->second.get(), sizeof brush, &brush);
        ::SetBkColor(reinterpret_cast<HDC>(wParam), brush.lbColor);
        return reinterpret_cast<LRESULT>(found->second.get());
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    case WM_TIMER:
      for (const auto& [name, id] : timers_) {
        if (id == wParam) {
          RunHandler(name == "Timer1"   ? &TForm1::Timer1Timer
                     : name == "Timer2" ? &TForm1::Timer2Timer
                                        : &TForm1::Timer3Timer);
        }
      }
      return 0;
    case kRunPosted:
      RunPosted();
      return 0;
    case kFirstShown:
      RunHandler(&TForm1::TabSheet1Show);
      return 0;
    case WM_CLOSE:
      // The close box, Alt+F4 and the window menu: the window goes, then the form shuts down
      // (settings written, log closed) while the message loop still runs for the link threads.
      ::ShowWindow(window_, SW_HIDE);
      Shutdown();
      ::DestroyWindow(window_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // After this message the session may end the process at any time.
      if (wParam != FALSE) {
        Shutdown();
      }
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

void TWin32Form1::OnCommand(int id, int code, HWND control) {
  const auto found = names_.find(id);
  if (found == names_.end()) {
    return;
  }
  const std::string& name = found->second;
  if (code == BN_CLICKED && name.rfind("Button", 0) == 0) {
    static const std::map<std::string, void (TForm1::*)(), std::less<>> clicks{
        {"Button1", &TForm1::Button1Click}, {"Button2", &TForm1::Button2Click},
        {"Button3", &TForm1::Button3Click}, {"Button4", &TForm1::Button4Click},
        {"Button5", &TForm1::Button5Click}, {"Button6", &TForm1::Button6Click},
        {"Button7", &TForm1::Button7Click}, {"Button8", &TForm1::Button8Click},
        {"Button9", &TForm1::Button9Click}, {"Button10", &TForm1::Button10Click}};
    if (const auto click = clicks.find(name); click != clicks.end()) {
      RunHandler(click->second);
    }
    return;
  }
  if (code == BN_CLICKED && name.rfind("AdvOfficeRadioButton", 0) == 0) {
    // Only a change of the choice runs the handler, not a click on the chosen button.
    if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED && control != checkedRadio_) {
      checkedRadio_ = control;
      RunHandler(&TForm1::AdvOfficeRadioButtonClick);
    }
    return;
  }
  if (code == EN_CHANGE && name == "AdvSpinEdit1") {
    RunHandler(&TForm1::AdvSpinEdit1Change);
  } else if (code == EN_CHANGE && name == "Edit11") {
    RunHandler(&TForm1::Edit11Change);
  } else if (name == "ComboBox2" || name == "ComboBox3") {
    const auto handler = name == "ComboBox2" ? &TForm1::ComboBox2Change : &TForm1::ComboBox3Change;
    if (code == CBN_EDITCHANGE) {
      RunHandler(handler);
    } else if (code == CBN_SELCHANGE) {
      // The edit shows the picked item only after this notification: the form reads it now.
      const auto index = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
      if (index != CB_ERR) {
        std::wstring item(
            static_cast<std::size_t>(::SendMessageW(control, CB_GETLBTEXTLEN, index, 0)) + 1,
            L'\0');
        ::SendMessageW(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
        item.resize(item.size() - 1);
        ++settingDepth_;
        ::SetWindowTextW(control, item.c_str());
        --settingDepth_;
        RunHandler(handler);
      }
    } else if (code == CBN_DROPDOWN && name == "ComboBox3") {
      RunHandler(&TForm1::ComboBox3DropDown);
    }
    if (const auto hints = itemHints_.find(name); hints != itemHints_.end()) {
      if (code == CBN_DROPDOWN) {
        hints->second->Watch();
      } else if (code == CBN_CLOSEUP) {
        hints->second->Hide();
      }
    }
  } else if (name == "ComboBox4" && code == CBN_SELENDOK) {
    // Only a pick from the list is a card choice.
    const auto index = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) {
      RunHandler(&TForm1::ComboBox4Change);
    }
  }
}

void TWin32Form1::OnPageChange() {
  const int page = ActivePage();
  ::ShowWindow(Control("TabSheet1"), page == 0 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(Control("TabSheet2"), page == 1 ? SW_SHOW : SW_HIDE);
  RunHandler(page == 0 ? &TForm1::TabSheet1Show : &TForm1::TabSheet2Show);
}

// --- the view of the form ---------------------------------------------------------------

std::string TWin32Form1::Text(std::string_view control) const {
  return Bytes(WindowText(Control(control)));
}

void TWin32Form1::SetText(std::string_view control, const std::string& text) {
  ++settingDepth_;
  ::SetWindowTextW(Control(control), Wide(text).c_str());
  --settingDepth_;
}

void TWin32Form1::SetCaption(std::string_view control, const std::string& caption) {
  const HWND label = Control(control);
  ::SetWindowTextW(label, Wide(caption).c_str());
  SizeLabel(label, DesignOf(control));
}

void TWin32Form1::SetColour(std::string_view control, std::optional<Rgb> colour) {
  const HWND edit = Control(control);
  if (colour) {
    colours_[edit].reset(::CreateSolidBrush(RGB(colour->red, colour->green, colour->blue)));
  } else {
    colours_.erase(edit);
  }
  ::InvalidateRect(edit, nullptr, TRUE);
}

bool TWin32Form1::Checked(std::string_view control) const {
  return ::SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWin32Form1::SetItems(std::string_view control, const std::vector<std::string>& items) {
  const HWND box = Control(control);
  const std::wstring text = WindowText(box);
  ++settingDepth_;
  ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
  // The open list marks the item the text names, if one does.
  const auto index = ::SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageW(box, CB_SETCURSEL, index, 0);
  ::SetWindowTextW(box, text.c_str());
  --settingDepth_;
}

void TWin32Form1::SetItemHints(std::string_view control, const std::vector<std::string>& hints) {
  auto& itemHints = itemHints_[std::string(control)];
  if (!itemHints) {
    itemHints = std::make_unique<Win32ItemHints>(Control(control), window_, Scaled(400));
  }
  itemHints->SetHints(hints);
}

int TWin32Form1::ItemIndex(std::string_view control) const {
  return static_cast<int>(::SendMessageW(Control(control), CB_GETCURSEL, 0, 0));
}

void TWin32Form1::SetItemIndex(std::string_view control, int index) {
  ++settingDepth_;
  ::SendMessageW(Control(control), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  --settingDepth_;
}

int TWin32Form1::ActivePage() const {
  return static_cast<int>(::SendMessageW(Control("PageControl1"), TCM_GETCURSEL, 0, 0));
}

void TWin32Form1::AddResponseLine(std::string_view line) {
  memo_->AddLine(line);
}

void TWin32Form1::ClearResponse() {
  memo_->Clear();
}

void TWin32Form1::StartTimer(std::string_view timer) {
  const UINT_PTR id = timers_.at(std::string(timer));
  if (runningTimers_.insert(id).second) {  // a running timer keeps its period
    ::SetTimer(window_, id, static_cast<UINT>(DesignOf(timer).interval), nullptr);
  }
}

void TWin32Form1::StopTimer(std::string_view timer) {
  const UINT_PTR id = timers_.at(std::string(timer));
  ::KillTimer(window_, id);
  runningTimers_.erase(id);
}

void TWin32Form1::PostToUiThread(std::function<void()> call) {
  bool first = false;
  {
    const std::lock_guard<std::mutex> hold(postedLock_);
    first = posted_.empty();
    posted_.push_back(std::move(call));
  }
  if (first) {
    ::PostMessageW(window_, kRunPosted, 0, 0);
  }
}

void TWin32Form1::Notice(const std::string& text) {
  dialogs_->Notice(text);
}

bool TWin32Form1::Confirm(const std::string& text) {
  return dialogs_->Confirm(text);
}

void TWin32Form1::Error(const std::string& text) {
  dialogs_->Error(text);
}

}  // namespace vidideza
