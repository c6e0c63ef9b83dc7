// The main window as designed: every control with its name, place, content and Tab stop.
#include "app/form1_design.h"

#include <stdexcept>

namespace vidideza {

namespace {

using Kind = ControlKind;

ControlDesign Label(std::string_view name, std::string_view parent, std::string_view caption,
                    int left, int top) {
  return {.name = name,
          .kind = Kind::kLabel,
          .parent = parent,
          .left = left,
          .top = top,
          .text = caption};
}

ControlDesign Edit(std::string_view name, std::string_view parent, std::string_view text, int left,
                   int top, int width, int tabOrder) {
  return {.name = name,
          .kind = Kind::kEdit,
          .parent = parent,
          .left = left,
          .top = top,
          .width = width,
          .height = 21,
          .text = text,
          .tabOrder = tabOrder};
}

ControlDesign Button(std::string_view name, std::string_view parent, std::string_view caption,
                     int left, int top, int width, int height, int tabOrder) {
  return {.name = name,
          .kind = Kind::kButton,
          .parent = parent,
          .left = left,
          .top = top,
          .width = width,
          .height = height,
          .text = caption,
          .tabOrder = tabOrder};
}

ControlDesign Selector(std::string_view name, std::string_view parent, std::string_view text,
                       std::vector<std::string> items, int left, int top, int width, int height,
                       FontRole font, int tabOrder) {
  return {.name = name,
          .kind = Kind::kComboBox,
          .parent = parent,
          .left = left,
          .top = top,
          .width = width,
          .height = height,
          .text = text,
          .items = std::move(items),
          .font = font,
          .tabOrder = tabOrder};
}

ControlDesign Group(std::string_view name, Kind kind, std::string_view parent,
                    std::string_view caption, int left, int top, int width, int height) {
  return {.name = name,
          .kind = kind,
          .parent = parent,
          .left = left,
          .top = top,
          .width = width,
          .height = height,
          .text = caption};
}

ControlDesign Radio(std::string_view name, std::string_view caption, int top, int tabOrder,
                    bool checked = false) {
  return {.name = name,
          .kind = Kind::kRadioButton,
          .parent = "GroupBox1",
          .left = 16,
          .top = top,
          .width = 129,
          .height = 20,
          .text = caption,
          .tabOrder = tabOrder,
          .checked = checked};
}

ControlDesign Timer(std::string_view name, int interval) {
  return {.name = name, .kind = Kind::kTimer, .parent = "Form1", .interval = interval};
}

std::vector<std::string> HexDigits() {
  std::vector<std::string> items;
  for (const char c : std::string_view("0123456789ABCDEF")) {
    items.emplace_back(1, c);
  }
  return items;
}

std::vector<std::string> ComNames() {
  std::vector<std::string> items;
  for (int n = 1; n <= 9; ++n) {
    items.push_back("COM" + std::to_string(n));
  }
  return items;
}

std::vector<ControlDesign> BuildDesign() {
  return {
      {.name = "Form1",
       .kind = Kind::kForm,
       .left = 181,
       .top = 112,
       .width = 790,
       .height = 590,
       .text = "QVX service tool for QVX-RS     V2.4"},

      // Command console.
      Label("Label1", "Form1", "Command A", 8, 16),
      Label("Label2", "Form1", "Command B", 8, 48),
      Label("Label4", "Form1", "Command C", 8, 80),
      Label("Label5", "Form1", "Command D", 8, 112),
      Label("Label6", "Form1", "Command E", 8, 144),
      Label("Label7", "Form1", "Command F", 8, 176),
      Edit("Edit1", "Form1", "A000A,ON", 80, 16, 313, 0),
      Edit("Edit3", "Form1", "A000A,OF", 80, 48, 313, 3),
      Edit("Edit4", "Form1", "A000A,MC,T18,FL", 80, 80, 313, 5),
      Edit("Edit5", "Form1", "A000A,MH,T24,FM", 80, 112, 313, 6),
      Edit("Edit6", "Form1", "A000A,SV", 80, 144, 313, 7),
      Edit("Edit7", "Form1", "A000A,SF", 80, 176, 313, 8),
      Button("Button1", "Form1", "Send A", 400, 16, 65, 25, 1),
      Button("Button3", "Form1", "Send B", 400, 48, 65, 25, 4),
      Button("Button4", "Form1", "Send C", 400, 80, 65, 25, 9),
      Button("Button5", "Form1", "Send D", 400, 112, 65, 25, 10),
      Button("Button6", "Form1", "Send E", 400, 144, 65, 25, 11),
      Button("Button7", "Form1", "Send F", 400, 176, 65, 25, 12),
      Label("Label3", "Form1", "Response", 8, 208),
      {.name = "Memo1",
       .kind = Kind::kMemo,
       .parent = "Form1",
       .left = 80,
       .top = 208,
       .width = 385,
       .height = 337,
       .tabOrder = 13},
      {.name = "Button2",
       .kind = Kind::kButton,
       .parent = "Form1",
       .left = 8,
       .top = 232,
       .width = 57,
       .height = 25,
       .text = "Clear",
       .tooltip = "Clear response window",
       .tabOrder = 2},

      // "Control unit setup".
      Group("GroupBox2", Kind::kGroupBox, "Form1", "Control unit setup", 472, 208, 129, 337),
      Label("Label8", "GroupBox2", "QVX-RS or QVX-NET", 8, 16),
      {.name = "AdvSpinEdit1",
       .kind = Kind::kSpinEdit,
       .parent = "GroupBox2",
       .left = 8,
       .top = 56,
       .width = 113,
       .height = 42,
       .text = "0",
       .font = FontRole::kSelector,
       .tabOrder = 23,
       .minimum = 0,
       .maximum = 255},
      {.name = "AdvSpinEdit1Caption",
       .kind = Kind::kSpinCaption,
       .parent = "GroupBox2",
       .left = 8,
       .top = 56 - 4,
       .text = "Address of control unit"},
      Label("Label11", "GroupBox2", "Hex: ", 8, 104),
      Label("Label10", "GroupBox2", "Last address of int. port", 8, 152),
      Label("Label12", "GroupBox2", "(Number of int. ports - 1)", 8, 168),
      Selector("ComboBox1", "GroupBox2", "0", HexDigits(), 8, 188, 113, 40, FontRole::kSelector,
               24),
      Button("Button9", "GroupBox2", "Set control unit", 8, 288, 113, 41, 22),

      // "Interface port setup".
      Group("GroupBox1", Kind::kGroupBox, "Form1", "Interface port setup", 608, 208, 161, 337),
      Label("Label9", "GroupBox1", "QVX-IR or QVX-WIRE", 8, 16),
      Label("Label13", "GroupBox1", "Interface port address", 8, 40),
      Selector("ComboBox2", "GroupBox1", "0", HexDigits(), 8, 55, 145, 40, FontRole::kSelector, 21),
      Group("AdvOfficeRadioGroup1", Kind::kFrame, "GroupBox1", "IR code (WIRE protocol)", 8, 96,
            145, 185),
      // Three pairs, a master and a slave of one model each, with larger gaps between pairs.
      Radio("AdvOfficeRadioButton1", "A (Master RIZ-IDU)", 112, 14, true),
      Radio("AdvOfficeRadioButton2", "B (Slave RIZ-IDU)", 136, 15),
      Radio("AdvOfficeRadioButton3", "C (Master VEZ-UZIR)", 168, 16),
      Radio("AdvOfficeRadioButton4", "D (Slave VEZ-UZIR)", 192, 17),
      Radio("AdvOfficeRadioButton5", "E (Master ZIR-ARU)", 232, 18),
      Radio("AdvOfficeRadioButton6", "F (Slave ZIR-ARU)", 256, 19),
      Button("Button8", "GroupBox1", "Set interface port", 8, 288, 145, 41, 20),

      // The link selector and its two pages; the first is active at start.
      {.name = "PageControl1",
       .kind = Kind::kPageControl,
       .parent = "Form1",
       .left = 472,
       .top = 8,
       .width = 297,
       .height = 193,
       .tabOrder = 25},
      {.name = "TabSheet1", .kind = Kind::kTabSheet, .parent = "PageControl1", .text = "QVX-RS"},
      {.name = "TabSheet2", .kind = Kind::kTabSheet, .parent = "PageControl1", .text = "QVX-NET"},

      Label("Label18", "TabSheet1", "QVX-RS only", 8, 0),
      Label("Label23", "TabSheet1", "Serial port", 8, 40),
      Selector("ComboBox3", "TabSheet1", "COM1", ComNames(), 8, 55, 145, 40, FontRole::kSelector,
               26),

      Label("Label14", "TabSheet2", "QVX-NET only", 8, 0),
      Label("Label24", "TabSheet2", "Local network interface", 168, 2),
      Selector("ComboBox4", "TabSheet2", "", {}, 8, 16, 273, 21, FontRole::kDefault, 34),
      Label("Label15", "TabSheet2", "MAC addr.(00-20-4A-xx-xx-xx): ", 8, 40),
      Edit("Edit2", "TabSheet2", "00-20-4A-E0-2C-BE", 8, 54, 137, 27),
      Label("Label17", "TabSheet2", "IP address (x.x.x.x): ", 152, 40),
      Edit("Edit8", "TabSheet2", "192.168.1.10", 152, 54, 129, 28),
      Label("Label19", "TabSheet2", "Server IP", 8, 74),
      Edit("Edit9", "TabSheet2", "192.168.1.100", 8, 87, 137, 30),
      Label("Label16", "TabSheet2", "Mask (x.x.x.x): ", 152, 74),
      Edit("Edit10", "TabSheet2", "255.255.255.0", 152, 87, 129, 31),
      Label("Label21", "TabSheet2", "Server port", 8, 106),
      Edit("Edit11", "TabSheet2", "10100", 8, 120, 137, 32),
      Label("Label20", "TabSheet2", "Gateway address (x.x.x.x): ", 152, 106),
      Edit("Edit12", "TabSheet2", "192.168.1.254", 152, 120, 129, 33),
      Button("Button10", "TabSheet2", "Set NET interface", 8, 143, 137, 22, 29),
      Label("Label22", "TabSheet2", ".", 152, 146),

      // Components without a window of their own.
      Timer("Timer1", 10000),
      Timer("Timer2", 1000),
      Timer("Timer3", 20000),
  };
}

}  // namespace

std::span<const ControlDesign> Form1Design() {
  static const std::vector<ControlDesign> design = BuildDesign();
  return design;
}

const ControlDesign& DesignOf(std::string_view name) {
  for (const ControlDesign& control : Form1Design()) {
    if (control.name == name) {
      return control;
    }
  }
  throw std::out_of_range("no control " + std::string(name) + " in the design");
}

}  // namespace vidideza
