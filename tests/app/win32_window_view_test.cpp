// The Win32 window under Wine (or Windows): built from the design table, handlers run on the
// controls' notifications, the spin box's rules. Needs a display; the serial port is never
// opened and the network page never shown, so nothing leaves the machine.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/form1_design.h"
#include "app/win32/win32_form1.h"
#include "recording_dialogs.h"

namespace vidideza {
namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

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

}  // namespace
}  // namespace vidideza
