// The Win32 window under Wine (or Windows): built from the design table, handlers run on the
// controls' notifications, the spin box's rules, the Tab order, the message boxes. Needs a
// display; the serial port is never opened, and every address is 127.0.0.1 before the network
// page is shown, so nothing leaves the machine.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/accessible_names.h"
#include "app/form1_design.h"
#include "app/win32/latin1_text.h"
#include "app/win32/win32_dialogs.h"
#include "app/win32/win32_form1.h"
#include "app/win32/win32_response_view.h"
#include "recording_dialogs.h"

namespace vidideza {
namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// The name the design gives a control of the window, or its text for any other window.
std::string NameOf(const TWin32Form1& window, HWND control);

std::string TextOf(HWND window) {
  wchar_t text[256] = {};
  const int length = ::GetWindowTextW(window, text, 256);
  return std::string(text, text + length);
}

// A control's place inside its parent's client area.
RECT PlaceOf(HWND control) {
  RECT place{};
  ::GetWindowRect(control, &place);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest()
      : window_(std::make_unique<TWin32Form1>(std::make_unique<RecordingDialogs>(shown_))) {
    // Nothing may ever be sent beyond this machine.
    for (const char* field : {"Edit8", "Edit9", "Edit12"}) {
      window_->SetText(field, "127.0.0.1");
    }
  }

  int Scaled(int design) const { return static_cast<int>(std::lround(design * window_->Scale())); }
  HWND Control(const char* name) const { return window_->Control(name); }
  void Command(const char* name, int code) {
    const HWND control = Control(name);
    ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                   reinterpret_cast<LPARAM>(control));
  }
  void Key(const char* name, UINT message, WPARAM key) {
    ::SendMessageW(Control(name), message, key, 0);
  }

  std::vector<std::string> shown_;
  std::unique_ptr<TWin32Form1> window_;
};

TEST_F(Win32WindowTest, EveryControlIsBuiltAsDesigned) {
  EXPECT_EQ(TextOf(window_->Window()), std::string(DesignOf("Form1").text));
  const struct {
    ControlKind kind;
    const wchar_t* windowClass;
  } classes[] = {
      {ControlKind::kLabel, L"Static"},      {ControlKind::kEdit, L"Edit"},
      {ControlKind::kButton, L"Button"},     {ControlKind::kMemo, L"TMemo"},
      {ControlKind::kComboBox, L"ComboBox"}, {ControlKind::kRadioButton, L"Button"},
      {ControlKind::kSpinEdit, L"Edit"},     {ControlKind::kPageControl, L"SysTabControl32"},
      {ControlKind::kGroupBox, L"TPanel"},   {ControlKind::kTabSheet, L"TPanel"}};
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind == ControlKind::kForm || design.kind == ControlKind::kTimer) {
      continue;
    }
    const HWND control = window_->Control(design.name);
    ASSERT_NE(control, nullptr) << design.name;
    for (const auto& row : classes) {
      if (row.kind == design.kind) {
        EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), row.windowClass), 0) << design.name;
      }
    }
    const RECT place = PlaceOf(control);
    switch (design.kind) {
      case ControlKind::kEdit:
      case ControlKind::kButton:
      case ControlKind::kMemo:
      case ControlKind::kComboBox:
      case ControlKind::kRadioButton:
      case ControlKind::kGroupBox:
        EXPECT_NEAR(place.left, Scaled(design.left), 1) << design.name;
        EXPECT_NEAR(place.top, Scaled(design.top), 1) << design.name;
        if (design.kind != ControlKind::kComboBox) {
          EXPECT_NEAR(place.bottom - place.top, Scaled(design.height), 1) << design.name;
        }
        break;
      default:
        break;
    }
    const bool onLoopback =
        design.name == "Edit8" || design.name == "Edit9" || design.name == "Edit12";
    if (!onLoopback &&
        (design.kind == ControlKind::kEdit || design.kind == ControlKind::kButton ||
         design.kind == ControlKind::kComboBox || design.kind == ControlKind::kLabel)) {
      EXPECT_EQ(TextOf(control), std::string(design.text)) << design.name;
    }
    if (design.kind == ControlKind::kComboBox) {
      EXPECT_GE(::SendMessageW(control, CB_GETCOUNT, 0, 0),
                static_cast<LRESULT>(design.items.size()))
          << design.name;
    }
  }
  EXPECT_EQ(::SendMessageW(Control("AdvOfficeRadioButton1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(window_->ActivePage(), 0);
}

// scripts/test-windows runs the layout tests again at 144 dpi: the window and its fonts grow
// with the screen's DPI, so it stays crisp and nothing is clipped.
TEST_F(Win32WindowTest, TheWindowGrowsWithTheScreensDpi) {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  EXPECT_NEAR(window_->Scale(), dpi / 96.0, 0.2) << dpi << " dpi";
  RECT client{};
  ::GetClientRect(window_->Window(), &client);
  const RECT memo = PlaceOf(Control("Memo1"));
  EXPECT_LE(memo.right, client.right);
  EXPECT_LE(memo.bottom, client.bottom);
}

// The captions are laid out for the design's face: whichever face stands in, none is clipped.
TEST_F(Win32WindowTest, EveryCaptionInAFrameEndsWithinIt) {
  for (const ControlDesign& design : Form1Design()) {
    if ((design.kind == ControlKind::kLabel || design.kind == ControlKind::kSpinCaption) &&
        DesignOf(design.parent).kind == ControlKind::kGroupBox) {
      RECT frame{};
      ::GetClientRect(Control(std::string(design.parent).c_str()), &frame);
      EXPECT_LE(PlaceOf(Control(std::string(design.name).c_str())).right, frame.right)
          << design.name;
    }
  }
}

TEST_F(Win32WindowTest, ALabelTakesTheWidthOfItsCaption) {
  const RECT before = PlaceOf(Control("Label22"));
  window_->SetCaption("Label22", "Searching unit ....................");
  const RECT after = PlaceOf(Control("Label22"));
  EXPECT_GT(after.right - after.left, 4 * (before.right - before.left));
  EXPECT_EQ(after.left, before.left);
}

// Alt+F4 asks the window to close as its close box does, whichever control has the focus: an
// edit, a button, the spin box, the response window, the selectors.
TEST_F(Win32WindowTest, AltF4InAnyControlAsksTheWindowToClose) {
  constexpr LPARAM kAltHeld = 1 << 29;
  for (const char* name : {"Edit1", "Button1", "AdvSpinEdit1", "Memo1", "ComboBox1", "ComboBox3"}) {
    SCOPED_TRACE(name);
    HWND focus = Control(name);
    // A selector's keys go to its edit part, where it has one.
    if (const HWND edit = ::FindWindowExW(focus, nullptr, L"Edit", nullptr)) {
      focus = edit;
    }
    MSG pressed{focus, WM_SYSKEYDOWN, VK_F4, kAltHeld | 1, 0, {}};
    EXPECT_TRUE(window_->PreTranslate(pressed));
    MSG posted{};
    ASSERT_TRUE(
        ::PeekMessageW(&posted, window_->Window(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
    EXPECT_EQ(posted.wParam, static_cast<WPARAM>(SC_CLOSE));
  }
  // F4 without Alt is no close.
  MSG plain{Control("Edit1"), WM_SYSKEYDOWN, VK_F4, 1, 0, {}};
  window_->PreTranslate(plain);
  MSG none{};
  EXPECT_FALSE(::PeekMessageW(&none, window_->Window(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
}

TEST_F(Win32WindowTest, AClickRunsItsHandlerAndTextSetByTheFormRunsNone) {
  window_->AddResponseLine("RCV: A000A,ON,OK");
  ASSERT_EQ(window_->Memo().Lines().LineCount(), 1U);
  Command("Button2", BN_CLICKED);  // "Clear"
  EXPECT_EQ(window_->Memo().Lines().LineCount(), 0U);

  // The spin box's change handler shows the address in hex, and only on the user's changes.
  window_->SetText("AdvSpinEdit1", "26");
  EXPECT_EQ(TextOf(Control("Label11")), "Hex: ");
  Key("AdvSpinEdit1", WM_KEYDOWN, VK_UP);
  EXPECT_EQ(TextOf(Control("AdvSpinEdit1")), "27");
  EXPECT_EQ(TextOf(Control("Label11")), "Hex: 1B");
  EXPECT_TRUE(shown_.empty());
}

// A burst of lines costs the response window the same per line however many lines it holds:
// none is laid out as it comes. The window follows the end while nobody scrolls; scrolled up, it
// stays put as lines come; scrolled back to the end, it follows again.
TEST_F(Win32WindowTest, TheResponseWindowTakesABurstAtOnceAndFollowsTheEndUntilScrolledAway) {
  Win32ResponseView& memo = window_->Memo();
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < 100000; ++i) {
    window_->AddResponseLine("RCV: A000A,SV,T21." + std::to_string(i) + ",OK");
  }
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::seconds(2))
      << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
  ASSERT_EQ(memo.Lines().LineCount(), 100000U);
  const std::size_t atEnd = memo.FirstLineInSight();
  EXPECT_GT(atEnd, 99900U);  // the last lines are in sight
  EXPECT_LT(atEnd, 100000U);

  ::SendMessageW(memo.Window(), WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
  const std::size_t scrolled = memo.FirstLineInSight();
  EXPECT_LT(scrolled, atEnd);
  window_->AddResponseLine("RCV: one more");
  EXPECT_EQ(memo.FirstLineInSight(), scrolled);

  ::SendMessageW(memo.Window(), WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  for (int i = 0; i < 50; ++i) {
    window_->AddResponseLine("RCV: and more");
  }
  EXPECT_EQ(memo.FirstLineInSight(), atEnd + 51);
}

// Copying from the response window gives the characters it shows, as Unicode text: a CR, an
// ESC and a DEL in a reply as their control pictures, Latin-1 bytes as their letters.
TEST_F(Win32WindowTest, CopyingLinesGivesTheShownCharactersAsUnicodeText) {
  window_->AddResponseLine("RCV: A000A\r,SV\x1b\x7f");
  window_->AddResponseLine("RCV: caf\xe9");
  const HWND memo = Control("Memo1");
  BYTE keys[256] = {};
  ASSERT_TRUE(::GetKeyboardState(keys));
  BYTE pressed[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(pressed));
  pressed[VK_CONTROL] = 0x80;
  ASSERT_TRUE(::SetKeyboardState(pressed));
  ::SendMessageW(memo, WM_KEYDOWN, 'A', 0);  // Ctrl+A, then Ctrl+C
  ::SendMessageW(memo, WM_KEYDOWN, 'C', 0);
  ::SetKeyboardState(keys);

  ASSERT_TRUE(::OpenClipboard(nullptr));
  std::wstring copied;
  if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
      copied = text;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  EXPECT_EQ(copied, L"RCV: A000A\u240D,SV\u241B\u2421\nRCV: caf\u00E9");
}

TEST_F(Win32WindowTest, SelectorAndRadioNotificationsStampTheCommandLinesAfresh) {
  const HWND ports = Control("ComboBox2");
  ::SendMessageW(ports, CB_SETCURSEL, 3, 0);  // the list's "3"; notifies nobody
  EXPECT_EQ(TextOf(Control("Edit1")), "A000A,ON");
  Command("ComboBox2", CBN_SELCHANGE);
  EXPECT_EQ(TextOf(Control("Edit1")), "A003A,ON");
  ::SetWindowTextW(ports, L"7");  // as typed
  Command("ComboBox2", CBN_EDITCHANGE);
  EXPECT_EQ(TextOf(Control("Edit1")), "A007A,ON");
  EXPECT_EQ(TextOf(Control("Edit7")), "A007A,SF");
  ::SendMessageW(Control("AdvOfficeRadioButton1"), BM_SETCHECK, BST_UNCHECKED, 0);
  ::SendMessageW(Control("AdvOfficeRadioButton3"), BM_SETCHECK, BST_CHECKED, 0);
  Command("AdvOfficeRadioButton3", BN_CLICKED);
  EXPECT_EQ(TextOf(Control("Edit1")), "A007C,ON");
  Command("AdvOfficeRadioButton3", BN_CLICKED);  // the chosen one again: no change, no handler
  EXPECT_EQ(TextOf(Control("Edit1")), "A007C,ON");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(Win32WindowTest, TheSpinBoxStepsWithinItsLimitsAndRefusesOtherKeys) {
  const struct {
    UINT message;
    WPARAM key;
    const char* text;
  } steps[] = {
      {WM_KEYDOWN, VK_UP, "1"},     {WM_KEYDOWN, VK_NEXT, "0"}, {WM_KEYDOWN, VK_DOWN, "0"},
      {WM_KEYDOWN, VK_PRIOR, "10"}, {WM_CHAR, 'x', "10"},       {WM_CHAR, '\r', "10"},
  };
  for (const auto& step : steps) {
    Key("AdvSpinEdit1", step.message, step.key);
    EXPECT_EQ(TextOf(Control("AdvSpinEdit1")), step.text) << step.key;
  }
  for (int i = 0; i < 30; ++i) {
    Key("AdvSpinEdit1", WM_KEYDOWN, VK_PRIOR);
  }
  EXPECT_EQ(TextOf(Control("AdvSpinEdit1")), "255");
  // A typed value beyond the limits is pulled to the nearer one when the box loses the focus.
  ::ShowWindow(window_->Window(), SW_SHOW);
  ::SetFocus(Control("AdvSpinEdit1"));
  ::SetWindowTextW(Control("AdvSpinEdit1"), L"9999");
  ::SetFocus(Control("Edit1"));
  EXPECT_EQ(TextOf(Control("AdvSpinEdit1")), "255");
}

TEST_F(Win32WindowTest, SelectorsKeepTheirTextWhenTheirListIsFilled) {
  window_->SetText("ComboBox3", "COM17");
  window_->SetItems("ComboBox3", {"COM1", "COM2", "COM17"});
  EXPECT_EQ(window_->Text("ComboBox3"), "COM17");
  EXPECT_EQ(window_->ItemIndex("ComboBox3"), 2);
  window_->SetItems("ComboBox3", {"COM1"});
  EXPECT_EQ(window_->Text("ComboBox3"), "COM17");
  EXPECT_EQ(window_->ItemIndex("ComboBox3"), -1);
}

// The name Active Accessibility gives a control, as a screen reader asks for it.
std::string AccessibleNameOf(HWND control) {
  IAccessible* accessible = nullptr;
  const HRESULT found =
      ::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&accessible));
  if (FAILED(found)) {
    return "(no accessible object: " + std::to_string(static_cast<unsigned long>(found)) + ")";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT got = accessible->get_accName(self, &name);
  accessible->Release();
  std::string bytes = SUCCEEDED(got) && name != nullptr ? Bytes(name) : "(no name)";
  ::SysFreeString(name);
  return bytes;
}

// Screen readers name a field by the label that precedes it among its siblings: Active
// Accessibility gives each field the design's name, and a captioned control its caption. (Wine
// names a drop-down list by its text and a window of the program's own class not at all; for
// those the label before them, tested below, is what Windows reads.)
TEST_F(Win32WindowTest, ControlsBearTheirAccessibleNames) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  for (const ControlDesign& design : Form1Design()) {
    const bool captioned = design.kind == ControlKind::kButton ||
                           design.kind == ControlKind::kRadioButton ||
                           design.kind == ControlKind::kLabel;
    const bool named = design.kind == ControlKind::kEdit || design.kind == ControlKind::kSpinEdit;
    if (named || captioned) {
      std::string name = AccessibleNameOf(Control(std::string(design.name).c_str()));
      name.erase(name.find_last_not_of(' ') + 1);
      EXPECT_EQ(name, AccessibleName(design.name)) << design.name;
    }
  }
  ::CoUninitialize();
}

TEST_F(Win32WindowTest, EveryFieldFollowsTheLabelThatNamesIt) {
  int fields = 0;
  for (const ControlDesign& design : Form1Design()) {
    const std::string_view label = LabelOf(design.name);
    if (label.empty()) {
      continue;
    }
    ++fields;
    const HWND before = ::GetWindow(Control(std::string(design.name).c_str()), GW_HWNDPREV);
    EXPECT_EQ(before, Control(std::string(label).c_str())) << design.name;
    std::string caption = TextOf(before);
    caption.erase(caption.find_last_not_of(' ') + 1);
    EXPECT_EQ(caption, AccessibleName(design.name)) << design.name;
  }
  EXPECT_EQ(fields, 18);
}

// A screen reader reads the response window as a read-only text whose value is its lines, as
// shown (the same text WM_GETTEXT gives).
TEST_F(Win32WindowTest, TheResponseWindowIsAReadOnlyTextWhoseValueIsItsLines) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  window_->AddResponseLine("SND: A000A,SV");
  window_->AddResponseLine("RCV: A000A,SV,T21.5,OK\r caf\xe9");
  IAccessible* accessible = nullptr;
  ASSERT_TRUE(SUCCEEDED(
      ::AccessibleObjectFromWindow(Control("Memo1"), static_cast<DWORD>(OBJID_CLIENT),
                                   __uuidof(IAccessible), reinterpret_cast<void**>(&accessible))));
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR value = nullptr;
  EXPECT_EQ(accessible->get_accValue(self, &value), S_OK);
  const std::wstring read = value != nullptr ? std::wstring(value, ::SysStringLen(value)) : L"";
  ::SysFreeString(value);
  EXPECT_EQ(read, L"SND: A000A,SV\r\nRCV: A000A,SV,T21.5,OK\u240D caf\u00E9");
  wchar_t text[256] = {};
  ::SendMessageW(Control("Memo1"), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(read, std::wstring(text));
  VARIANT role{};
  EXPECT_EQ(accessible->get_accRole(self, &role), S_OK);
  EXPECT_EQ(role.vt, VT_I4);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_TEXT);
  VARIANT state{};
  ASSERT_EQ(accessible->get_accState(self, &state), S_OK);
  EXPECT_NE(state.lVal & STATE_SYSTEM_READONLY, 0);
  EXPECT_EQ(accessible->put_accValue(self, nullptr), E_NOTIMPL);
  accessible->Release();
  ::CoUninitialize();
}

// The visible tooltip windows of this thread, with their texts.
BOOL CALLBACK AddShownTip(HWND window, LPARAM tips) {
  if (ClassOf(window) == TOOLTIPS_CLASSW && ::IsWindowVisible(window)) {
    wchar_t text[2048] = {};
    ::SendMessageW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text));
    reinterpret_cast<std::vector<std::wstring>*>(tips)->emplace_back(text);
  }
  return TRUE;
}

std::vector<std::wstring> ShownTips() {
  std::vector<std::wstring> tips;
  ::EnumThreadWindows(::GetCurrentThreadId(), &AddShownTip, reinterpret_cast<LPARAM>(&tips));
  return tips;
}

// A device names itself as it likes: its identity is the tooltip of its item in the open port
// list, shown as plain text, control bytes as the response window shows them.
TEST_F(Win32WindowTest, APortsIdentityIsItsOpenListItemsTooltipAsPlainText) {
  ::ShowWindow(window_->Window(), SW_SHOW);
  const HWND box = Control("ComboBox3");
  ::SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);  // the form lists the machine's ports
  const std::string identity = "<b>Trusted</b> &Co[2J" + std::string(300, 'M');
  window_->SetItems("ComboBox3", {"COM1", "COM2", "COM3"});
  window_->SetItemHints("ComboBox3", {"", identity});
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(::GetComboBoxInfo(box, &info));
  const auto pointAt = [&](int item) {
    RECT row{};
    ::SendMessageW(info.hwndList, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&row));
    ::SendMessageW(info.hwndList, WM_MOUSEMOVE, 0,
                   MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2));
  };
  EXPECT_TRUE(ShownTips().empty());
  pointAt(1);
  std::wstring expected = L"<b>Trusted</b> &Co␛[2J␇";
  expected.append(300, L'M');
  EXPECT_EQ(ShownTips(), std::vector<std::wstring>{expected});
  pointAt(0);  // an item without a hint
  EXPECT_TRUE(ShownTips().empty());
  pointAt(1);
  EXPECT_EQ(ShownTips().size(), 1U);
  ::SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_TRUE(ShownTips().empty());
  EXPECT_TRUE(shown_.empty());
}

TEST_F(Win32WindowTest, TimersStartOnceAndPostedCallsRunOnTheUiThread) {
  window_->StopTimer("Timer1");
  window_->StartTimer("Timer1");
  window_->StartTimer("Timer1");  // still one period running
  const DWORD self = ::GetCurrentThreadId();
  DWORD ranOn = 0;
  std::thread link([&] { window_->PostToUiThread([&] { ranOn = ::GetCurrentThreadId(); }); });
  link.join();
  MSG message{};
  const DWORD until = ::GetTickCount() + 2000;
  while (ranOn == 0 && ::GetTickCount() < until) {
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&message);
    }
  }
  EXPECT_EQ(ranOn, self);
  window_->StopTimer("Timer1");
}

TEST_F(Win32WindowTest, TabVisitsTheShownControlsInTheDesignsOrder) {
  ::ShowWindow(window_->Window(), SW_SHOW);
  std::vector<const ControlDesign*> stops;
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind == ControlKind::kForm || design.kind == ControlKind::kTimer) {
      continue;
    }
    const HWND control = Control(std::string(design.name).c_str());
    if (design.tabOrder >= 0 && ::IsWindowVisible(control) && ::IsWindowEnabled(control) &&
        (::GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0) {
      stops.push_back(&design);
    }
  }
  ASSERT_GT(stops.size(), 10U);
  std::stable_sort(stops.begin(), stops.end(), [](const ControlDesign* a, const ControlDesign* b) {
    return a->tabOrder < b->tabOrder;
  });
  std::vector<std::string> wanted;
  for (const ControlDesign* design : stops) {
    wanted.emplace_back(design->name);
  }
  // The dialog manager's own walk, as Tab in IsDialogMessage takes it.
  std::vector<std::string> walked;
  HWND at = Control(wanted.front().c_str());
  do {
    walked.push_back(NameOf(*window_, at));
    at = ::GetNextDlgTabItem(window_->Window(), at, FALSE);
  } while (at != nullptr && at != Control(wanted.front().c_str()) && walked.size() < 100);
  EXPECT_EQ(walked, wanted);
}

TEST_F(Win32WindowTest, TheTabsNotificationShowsThePageAndLeavingTheUnitIpChecksIt) {
  ::ShowWindow(window_->Window(), SW_SHOW);
  const HWND tabs = Control("PageControl1");
  const auto selectPage = [&](int page) {
    ::SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);  // notifies nobody
    NMHDR header{tabs, static_cast<UINT_PTR>(::GetDlgCtrlID(tabs)), TCN_SELCHANGE};
    ::SendMessageW(::GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  };
  selectPage(1);
  EXPECT_EQ(window_->ActivePage(), 1);
  EXPECT_TRUE(::IsWindowVisible(Control("Edit8")));
  EXPECT_FALSE(::IsWindowVisible(Control("ComboBox3")));
  EXPECT_EQ(TextOf(Control("Label22")), "Wait .");  // TabSheet2Show polls the unit afresh
  EXPECT_TRUE(window_->Form().IdUDPServer1().Active());

  // Leaving the unit-IP field for another control checks it.
  ::SetFocus(Control("Edit8"));
  ::SetWindowTextW(Control("Edit8"), L"127.0.0");
  ::SetFocus(Control("Edit2"));
  EXPECT_EQ(shown_, std::vector<std::string>{"notice: Wrong IP address"});
  ::SetWindowTextW(Control("Edit8"), L"127.0.0.1");
  window_->SetCaption("Label22", "");
  ::SetFocus(Control("Edit8"));
  ::SetFocus(Control("Edit2"));
  EXPECT_EQ(shown_.size(), 1U);
  EXPECT_EQ(TextOf(Control("Label22")), "Wait .");  // polling restarted

  selectPage(0);
  EXPECT_EQ(window_->ActivePage(), 0);
  EXPECT_FALSE(window_->Form().IdUDPServer1().Active());
}

// The real message boxes, answered by a helper thread as a user answers them: the buttons they
// offer, the default one, and what each answer returns.
class Win32MessageBoxTest : public ::testing::Test {
 protected:
  struct Seen {
    std::string text;
    std::vector<std::string> buttons;
    int defaultButton = 0;
    int focused = 0;
    HICON icon = nullptr;
  };

  // Runs show() while a helper waits for the box, records it and clicks the button answer.
  Seen Answer(const std::function<void()>& show, int answer) {
    Seen seen;
    std::thread user([&] {
      HWND box = nullptr;
      for (int i = 0; i < 500 && box == nullptr; ++i) {
        box = ::FindWindowW(L"#32770", kTitle);
        if (box == nullptr) {
          ::Sleep(10);
        }
      }
      if (box == nullptr) {
        return;
      }
      // The box has its focus once it is up.
      GUITHREADINFO focus{};
      focus.cbSize = sizeof focus;
      for (int i = 0; i < 200 && !::IsChild(box, focus.hwndFocus); ++i) {
        ::Sleep(10);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &focus);
      }
      HWND clicked = nullptr;
      for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
           child = ::GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0) {
          seen.buttons.push_back(TextOf(child));
          if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            seen.defaultButton = ::GetDlgCtrlID(child);
          }
          if (child == focus.hwndFocus) {
            seen.focused = ::GetDlgCtrlID(child);
          }
          if (::GetDlgCtrlID(child) == answer) {
            clicked = child;
          }
        } else if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) {
          if ((style & SS_TYPEMASK) == SS_ICON) {
            seen.icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
          } else if (!TextOf(child).empty()) {
            seen.text = TextOf(child);
          }
        }
      }
      ::PostMessageW(clicked, BM_CLICK, 0, 0);
    });
    show();
    user.join();
    return seen;
  }

  static constexpr const wchar_t* kTitle = L"Vidideza box test";
  Win32Dialogs dialogs_{kTitle};
};

TEST_F(Win32MessageBoxTest, TheThreeBoxesOfferTheirButtonsAndReturnTheAnswer) {
  bool answer = false;
  Seen seen = Answer(
      [&] { answer = dialogs_.Confirm("Do you want to set control unit parameters ?"); }, IDYES);
  EXPECT_EQ(seen.text, "Do you want to set control unit parameters ?");
  EXPECT_EQ(seen.buttons, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_EQ(seen.defaultButton, IDYES);
  EXPECT_EQ(seen.focused, IDYES);  // Enter or Space answers "Yes"
  EXPECT_EQ(seen.icon, ::LoadIconW(nullptr, IDI_QUESTION));
  EXPECT_TRUE(answer);
  seen = Answer([&] { answer = dialogs_.Confirm("Again ?"); }, IDNO);
  EXPECT_FALSE(answer);

  seen = Answer([&] { dialogs_.Notice("Wrong MAC address"); }, IDOK);
  EXPECT_EQ(seen.text, "Wrong MAC address");
  EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(seen.icon, nullptr);
  seen = Answer([&] { dialogs_.Error("I/O error 32."); }, IDOK);
  EXPECT_EQ(seen.text, "I/O error 32.");
  EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(seen.icon, ::LoadIconW(nullptr, IDI_ERROR));
}

std::string NameOf(const TWin32Form1& window, HWND control) {
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind != ControlKind::kForm && design.kind != ControlKind::kTimer &&
        window.Control(design.name) == control) {
      return std::string(design.name);
    }
  }
  return "?" + TextOf(control);
}

}  // namespace
}  // namespace vidideza
