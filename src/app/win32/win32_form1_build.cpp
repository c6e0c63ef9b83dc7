// The controls of the window, built from the design table. Positions are 96-dpi figures for a
// default font whose line is 13 pixels high, scaled to the font here; the font follows the
// screen's DPI.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "app/accessible_names.h"
#include "app/win32/latin1_text.h"
#include "app/win32/win32_form1.h"

namespace vidideza {

namespace {

constexpr int kDesignLineHeight = 13;
constexpr int kFirstControlId = 100;

int ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT MakeFont(const wchar_t* face, int designPixels, bool bold, int dpi) {
  return ::CreateFontW(-::MulDiv(designPixels, dpi, 96), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

int LineHeight(HFONT font) {
  const HDC screen = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(screen, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(screen, &metrics);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  return metrics.tmHeight;
}

// Whether every caption inside a group frame ends within the frame, in that font.
bool CaptionsFit(HFONT font) {
  const double scale = static_cast<double>(LineHeight(font)) / kDesignLineHeight;
  const auto scaled = [&](int pixels) { return static_cast<int>(pixels * scale + 0.5); };
  const HDC screen = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(screen, font);
  bool fit = true;
  for (const ControlDesign& design : Form1Design()) {
    const bool caption =
        design.kind == ControlKind::kLabel || design.kind == ControlKind::kSpinCaption;
    if (!caption || design.font != FontRole::kDefault ||
        DesignOf(design.parent).kind != ControlKind::kGroupBox) {
      continue;
    }
    const std::wstring text = Wide(design.text);
    SIZE extent{};
    ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    fit = fit && scaled(design.left) + extent.cx <= scaled(DesignOf(design.parent).width) - 2;
  }
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  return fit;
}

// "MS Sans Serif", 11 pixels at 96 dpi. The design's captions are laid out for Windows' own face
// of that name; where the system's face is wider (Wine's stand-in), a narrower one stands in, as
// in the Qt view: the first of the list in which every caption fits its frame.
HFONT MakeDefaultFont(int dpi) {
  constexpr const wchar_t* kFaces[] = {L"MS Sans Serif", L"Microsoft Sans Serif",
                                       L"Liberation Sans Narrow", L"Arial Narrow",
                                       L"DejaVu Sans Condensed"};
  for (const wchar_t* face : kFaces) {
    const HFONT font = MakeFont(face, 11, false, dpi);
    if (CaptionsFit(font)) {
      return font;
    }
    ::DeleteObject(font);
  }
  return MakeFont(kFaces[0], 11, false, dpi);
}

// Where a container's children are placed, by the smallest Tab place among them.
int TabPlace(const ControlDesign& design) {
  int place = design.tabOrder;
  for (const ControlDesign& other : Form1Design()) {
    if (other.parent == design.name) {
      const int inner = TabPlace(other);
      if (inner >= 0 && (place < 0 || inner < place)) {
        place = inner;
      }
    }
  }
  return place;
}

}  // namespace

int TWin32Form1::Scaled(int designPixels) const {
  return static_cast<int>(designPixels * scale_ + 0.5);
}

HWND TWin32Form1::ParentOf(const ControlDesign& design) const {
  return design.parent == "Form1" ? window_ : Control(design.parent);
}

void TWin32Form1::SizeLabel(HWND label, const ControlDesign& design) {
  const std::wstring text = Wide(Text(design.name));
  const HDC dc = ::GetDC(label);
  const HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(label, dc);
  int top = Scaled(design.top);
  if (design.kind == ControlKind::kSpinCaption) {
    top -= metrics.tmHeight;  // the design gives its lower left corner
  }
  ::SetWindowPos(label, nullptr, Scaled(design.left), top, extent.cx, metrics.tmHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Form1::BuildControls() {
  const int dpi = ScreenDpi();
  font_.reset(MakeDefaultFont(dpi));
  selectorFont_.reset(MakeFont(L"Arial", 27, true, dpi));
  scale_ = static_cast<double>(LineHeight(font_.get())) / kDesignLineHeight;
  int id = kFirstControlId;
  for (const ControlDesign& design : Form1Design()) {
    if (HWND control = BuildControl(design, id)) {
      controls_.emplace(std::string(design.name), control);
      names_.emplace(id, std::string(design.name));
      if (design.kind != ControlKind::kForm) {
        ::SendMessageW(control, WM_SETFONT,
                       reinterpret_cast<WPARAM>(
                           design.font == FontRole::kSelector ? selectorFont_.get() : font_.get()),
                       FALSE);
      }
      if (design.kind == ControlKind::kLabel || design.kind == ControlKind::kSpinCaption) {
        SizeLabel(control, design);
      }
      if (!design.tooltip.empty()) {
        AddTooltip(control, design.tooltip);
      }
    }
    ++id;
  }
  // The large selector font sets the height of the combo boxes' edit fields, as designed.
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind == ControlKind::kComboBox) {
      ::SendMessageW(Control(design.name), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     std::max(1, Scaled(design.height) - 6));
    }
  }
}

HWND TWin32Form1::BuildControl(const ControlDesign& design, int id) {
  using Kind = ControlKind;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const std::wstring text = Wide(design.text);
  if (design.kind == Kind::kForm) {
    // The design gives the outer size and place.
    window_ = ::CreateWindowExW(
        WS_EX_CONTROLPARENT, L"TForm1", text.c_str(),
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, design.left,
        design.top, Scaled(design.width - 8) + 8, Scaled(design.height - 34) + 34, nullptr, nullptr,
        instance, this);
    tooltips_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    return window_;
  }
  if (design.kind == Kind::kTimer) {
    timers_.emplace(std::string(design.name), static_cast<UINT_PTR>(id));
    return nullptr;
  }
  const HWND parent = ParentOf(design);
  const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  const auto make = [&](DWORD extended, const wchar_t* type, DWORD style, int height) {
    return ::CreateWindowExW(extended, type, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                             Scaled(design.left), Scaled(design.top), Scaled(design.width), height,
                             parent, menu, instance, nullptr);
  };
  const DWORD tabStop = design.tabOrder >= 0 ? WS_TABSTOP : 0;
  switch (design.kind) {
    case Kind::kLabel:
    case Kind::kSpinCaption:
      return make(0, L"STATIC", SS_LEFT | SS_NOPREFIX, 0);
    case Kind::kEdit:
      return make(WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL | tabStop, Scaled(design.height));
    case Kind::kButton:
      return make(0, L"BUTTON", BS_PUSHBUTTON | tabStop, Scaled(design.height));
    case Kind::kMemo: {
      const RECT place{Scaled(design.left), Scaled(design.top), Scaled(design.left + design.width),
                       Scaled(design.top + design.height)};
      memo_ = std::make_unique<Win32ResponseView>(parent, id, place, font_.get());
      return memo_->Window();
    }
    case Kind::kGroupBox:
      return make(WS_EX_CONTROLPARENT, L"TPanel", WS_CLIPSIBLINGS, Scaled(design.height));
    case Kind::kFrame:
      return make(WS_EX_TRANSPARENT, L"BUTTON", BS_GROUPBOX, Scaled(design.height));
    case Kind::kSpinEdit: {
      const HWND edit =
          make(WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL | tabStop, Scaled(design.height));
      const HWND arrows = ::CreateWindowExW(
          0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, 0, 0,
          0, 0, parent, nullptr, instance, nullptr);
      ::SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
      ::SendMessageW(arrows, UDM_SETRANGE32, design.minimum, design.maximum);
      ::SetWindowSubclass(edit, &TWin32Form1::FieldProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
      return edit;
    }
    case Kind::kComboBox: {
      // The height of a drop-down combo box is that of its edit and its open list.
      const HWND box = make(0, L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | tabStop,
                            Scaled(design.height) + Scaled(200));
      for (const std::string& item : design.items) {
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
      }
      ::SetWindowTextW(box, text.c_str());
      return box;
    }
    case Kind::kRadioButton: {
      // The first button of the group starts it; only the chosen one is a Tab stop.
      const bool first = design.name == "AdvOfficeRadioButton1";
      const HWND radio =
          make(0, L"BUTTON", BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0),
               Scaled(design.height));
      if (design.checked) {
        ::SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
        checkedRadio_ = radio;
      }
      return radio;
    }
    case Kind::kPageControl:
      // Its pages are its siblings, as a property sheet's are: a control parent cannot itself
      // be a Tab stop, and the tabs must be one.
      return make(0, WC_TABCONTROLW, WS_CLIPSIBLINGS | tabStop, Scaled(design.height));
    case Kind::kTabSheet: {
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      std::wstring caption = text;
      tab.pszText = caption.data();
      const auto index = ::SendMessageW(parent, TCM_GETITEMCOUNT, 0, 0);
      ::SendMessageW(parent, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&tab));
      RECT area{};
      ::GetClientRect(parent, &area);
      ::SendMessageW(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
      const HWND sheetParent = ::GetParent(parent);
      ::MapWindowPoints(parent, sheetParent, reinterpret_cast<POINT*>(&area), 2);
      return ::CreateWindowExW(WS_EX_CONTROLPARENT, L"TPanel", nullptr,
                               WS_CHILD | (index == 0 ? WS_VISIBLE : 0), area.left, area.top,
                               area.right - area.left, area.bottom - area.top, sheetParent, menu,
                               instance, nullptr);
    }
    case Kind::kForm:
    case Kind::kTimer:
      break;
  }
  return nullptr;
}

void TWin32Form1::AddTooltip(HWND control, std::string_view text) {
  std::wstring tip = Wide(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = ::GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = tip.data();
  ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Tab goes through the controls in the design's order: within each parent, its children in the
// order of the smallest Tab place they hold. A field's label comes right before the field, as
// screen readers expect: they name a field by the label that precedes it.
void TWin32Form1::SetTabOrder() {
  std::map<std::string_view, std::vector<const ControlDesign*>> children;
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind != ControlKind::kForm && design.kind != ControlKind::kTimer) {
      children[design.parent].push_back(&design);
    }
  }
  for (auto& [parent, list] : children) {
    std::stable_sort(list.begin(), list.end(), [](const ControlDesign* a, const ControlDesign* b) {
      const int x = TabPlace(*a);
      const int y = TabPlace(*b);
      return (x < 0 ? 1 << 30 : x) < (y < 0 ? 1 << 30 : y);
    });
    std::set<std::string_view> labels;
    for (const ControlDesign* design : list) {
      if (const std::string_view label = LabelOf(design->name); !label.empty()) {
        labels.insert(label);
      }
    }
    // A page control's pages follow it among its siblings.
    HWND after = DesignOf(parent).kind == ControlKind::kPageControl ? Control(parent) : HWND_TOP;
    const auto place = [&](std::string_view name) {
      const HWND control = Control(name);
      ::SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      after = control;
    };
    for (const ControlDesign* design : list) {
      if (labels.count(design->name) > 0) {
        continue;  // placed with its field
      }
      if (const std::string_view label = LabelOf(design->name); !label.empty()) {
        place(label);
      }
      place(design->name);
    }
  }
  ::SetWindowSubclass(Control("Edit8"), &TWin32Form1::FieldProcedure, 2,
                      reinterpret_cast<DWORD_PTR>(this));
}

}  // namespace vidideza
