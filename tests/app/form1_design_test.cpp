// The design table against the window's design, control by control.
#include "app/form1_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace vidideza {
namespace {

std::string KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kForm:
      return "form";
    case ControlKind::kLabel:
      return "label";
    case ControlKind::kEdit:
      return "edit";
    case ControlKind::kButton:
      return "button";
    case ControlKind::kMemo:
      return "memo";
    case ControlKind::kGroupBox:
      return "group";
    case ControlKind::kFrame:
      return "frame";
    case ControlKind::kSpinEdit:
      return "spin";
    case ControlKind::kSpinCaption:
      return "spin-caption";
    case ControlKind::kComboBox:
      return "combo";
    case ControlKind::kRadioButton:
      return "radio";
    case ControlKind::kPageControl:
      return "pages";
    case ControlKind::kTabSheet:
      return "page";
    case ControlKind::kTimer:
      return "timer";
  }
  return "?";
}

// One line per control: name, kind, parent, place, size, "text", then what it has of items,
// tooltip, selector font, Tab place, limits, period and start choice.
std::string Describe(const ControlDesign& c) {
  std::string line = std::string(c.name) + " " + KindName(c.kind) + " " + std::string(c.parent) +
                     " " + std::to_string(c.left) + "," + std::to_string(c.top) + " " +
                     std::to_string(c.width) + "x" + std::to_string(c.height) + " \"" +
                     std::string(c.text) + "\"";
  if (!c.items.empty()) {
    line += " items";
    for (const std::string& item : c.items) {
      line += " " + item;
    }
  }
  if (!c.tooltip.empty()) {
    line += " tip \"" + std::string(c.tooltip) + "\"";
  }
  if (c.font == FontRole::kSelector) {
    line += " selector-font";
  }
  if (c.tabOrder >= 0) {
    line += " tab " + std::to_string(c.tabOrder);
  }
  if (c.kind == ControlKind::kSpinEdit) {
    line += " " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum);
  }
  if (c.interval != 0) {
    line += " every " + std::to_string(c.interval);
  }
  if (c.checked) {
    line += " checked";
  }
  return line;
}

const char* const kHex = " items 0 1 2 3 4 5 6 7 8 9 A B C D E F";

TEST(Form1Design, HoldsEveryControlOfTheWindowAsDesigned) {
  const std::vector<std::string> expected = {
      "Form1 form  181,112 790x590 \"QVX service tool for QVX-RS     V2.4\"",
      "Label1 label Form1 8,16 0x0 \"Command A\"",
      "Label2 label Form1 8,48 0x0 \"Command B\"",
      "Label4 label Form1 8,80 0x0 \"Command C\"",
      "Label5 label Form1 8,112 0x0 \"Command D\"",
      "Label6 label Form1 8,144 0x0 \"Command E\"",
      "Label7 label Form1 8,176 0x0 \"Command F\"",
      "Edit1 edit Form1 80,16 313x21 \"A000A,ON\" tab 0",
      "Edit3 edit Form1 80,48 313x21 \"A000A,OF\" tab 3",
      "Edit4 edit Form1 80,80 313x21 \"A000A,MC,T18,FL\" tab 5",
      "Edit5 edit Form1 80,112 313x21 \"A000A,MH,T24,FM\" tab 6",
      "Edit6 edit Form1 80,144 313x21 \"A000A,SV\" tab 7",
      "Edit7 edit Form1 80,176 313x21 \"A000A,SF\" tab 8",
      "Button1 button Form1 400,16 65x25 \"Send A\" tab 1",
      "Button3 button Form1 400,48 65x25 \"Send B\" tab 4",
      "Button4 button Form1 400,80 65x25 \"Send C\" tab 9",
      "Button5 button Form1 400,112 65x25 \"Send D\" tab 10",
      "Button6 button Form1 400,144 65x25 \"Send E\" tab 11",
      "Button7 button Form1 400,176 65x25 \"Send F\" tab 12",
      "Label3 label Form1 8,208 0x0 \"Response\"",
      "Memo1 memo Form1 80,208 385x337 \"\" tab 13",
      "Button2 button Form1 8,232 57x25 \"Clear\" tip \"Clear response window\" tab 2",
      "GroupBox2 group Form1 472,208 129x337 \"Control unit setup\"",
      "Label8 label GroupBox2 8,16 0x0 \"QVX-RS or QVX-NET\"",
      "AdvSpinEdit1 spin GroupBox2 8,56 113x42 \"0\" selector-font tab 23 0..255",
      "AdvSpinEdit1Caption spin-caption GroupBox2 8,52 0x0 \"Address of control unit\"",
      "Label11 label GroupBox2 8,104 0x0 \"Hex: \"",
      "Label10 label GroupBox2 8,152 0x0 \"Last address of int. port\"",
      "Label12 label GroupBox2 8,168 0x0 \"(Number of int. ports - 1)\"",
      std::string("ComboBox1 combo GroupBox2 8,188 113x40 \"0\"") + kHex + " selector-font tab 24",
      "Button9 button GroupBox2 8,288 113x41 \"Set control unit\" tab 22",
      "GroupBox1 group Form1 608,208 161x337 \"Interface port setup\"",
      "Label9 label GroupBox1 8,16 0x0 \"QVX-IR or QVX-WIRE\"",
      "Label13 label GroupBox1 8,40 0x0 \"Interface port address\"",
      std::string("ComboBox2 combo GroupBox1 8,55 145x40 \"0\"") + kHex + " selector-font tab 21",
      "AdvOfficeRadioGroup1 frame GroupBox1 8,96 145x185 \"IR code (WIRE protocol)\"",
      "AdvOfficeRadioButton1 radio GroupBox1 16,112 129x20 \"A (Master RIZ-IDU)\" tab 14 checked",
      "AdvOfficeRadioButton2 radio GroupBox1 16,136 129x20 \"B (Slave RIZ-IDU)\" tab 15",
      "AdvOfficeRadioButton3 radio GroupBox1 16,168 129x20 \"C (Master VEZ-UZIR)\" tab 16",
      "AdvOfficeRadioButton4 radio GroupBox1 16,192 129x20 \"D (Slave VEZ-UZIR)\" tab 17",
      "AdvOfficeRadioButton5 radio GroupBox1 16,232 129x20 \"E (Master ZIR-ARU)\" tab 18",
      "AdvOfficeRadioButton6 radio GroupBox1 16,256 129x20 \"F (Slave ZIR-ARU)\" tab 19",
      "Button8 button GroupBox1 8,288 145x41 \"Set interface port\" tab 20",
      "PageControl1 pages Form1 472,8 297x193 \"\" tab 25",
      "TabSheet1 page PageControl1 0,0 0x0 \"QVX-RS\"",
      "TabSheet2 page PageControl1 0,0 0x0 \"QVX-NET\"",
      "Label18 label TabSheet1 8,0 0x0 \"QVX-RS only\"",
      "Label23 label TabSheet1 8,40 0x0 \"Serial port\"",
      "ComboBox3 combo TabSheet1 8,55 145x40 \"COM1\" items COM1 COM2 COM3 COM4 COM5 COM6 COM7 "
      "COM8 COM9 selector-font tab 26",
      "Label14 label TabSheet2 8,0 0x0 \"QVX-NET only\"",
      "Label24 label TabSheet2 168,2 0x0 \"Local network interface\"",
      "ComboBox4 combo TabSheet2 8,16 273x21 \"\" tab 34",
      "Label15 label TabSheet2 8,40 0x0 \"MAC addr.(00-20-4A-xx-xx-xx): \"",
      "Edit2 edit TabSheet2 8,54 137x21 \"00-20-4A-E0-2C-BE\" tab 27",
      "Label17 label TabSheet2 152,40 0x0 \"IP address (x.x.x.x): \"",
      "Edit8 edit TabSheet2 152,54 129x21 \"192.168.1.10\" tab 28",
      "Label19 label TabSheet2 8,74 0x0 \"Server IP\"",
      "Edit9 edit TabSheet2 8,87 137x21 \"192.168.1.100\" tab 30",
      "Label16 label TabSheet2 152,74 0x0 \"Mask (x.x.x.x): \"",
      "Edit10 edit TabSheet2 152,87 129x21 \"255.255.255.0\" tab 31",
      "Label21 label TabSheet2 8,106 0x0 \"Server port\"",
      "Edit11 edit TabSheet2 8,120 137x21 \"10100\" tab 32",
      "Label20 label TabSheet2 152,106 0x0 \"Gateway address (x.x.x.x): \"",
      "Edit12 edit TabSheet2 152,120 129x21 \"192.168.1.254\" tab 33",
      "Button10 button TabSheet2 8,143 137x22 \"Set NET interface\" tab 29",
      "Label22 label TabSheet2 152,146 0x0 \".\"",
      "Timer1 timer Form1 0,0 0x0 \"\" every 10000",
      "Timer2 timer Form1 0,0 0x0 \"\" every 1000",
      "Timer3 timer Form1 0,0 0x0 \"\" every 20000",
  };
  std::vector<std::string> actual;
  for (const ControlDesign& control : Form1Design()) {
    actual.push_back(Describe(control));
  }
  EXPECT_EQ(actual, expected);
}

TEST(Form1Design, EveryParentComesFirstAndEveryTabPlaceIsTakenOnce) {
  std::set<std::string_view> seen;
  std::vector<int> tabPlaces;
  for (const ControlDesign& control : Form1Design()) {
    EXPECT_TRUE(control.parent.empty() || seen.contains(control.parent)) << control.name;
    EXPECT_TRUE(seen.insert(control.name).second) << control.name << " twice";
    if (control.tabOrder >= 0) {
      tabPlaces.push_back(control.tabOrder);
    }
  }
  std::sort(tabPlaces.begin(), tabPlaces.end());
  for (std::size_t i = 0; i < tabPlaces.size(); ++i) {
    EXPECT_EQ(tabPlaces[i], static_cast<int>(i));
  }
  EXPECT_EQ(DesignOf("Edit8").text, "192.168.1.10");
  EXPECT_THROW(DesignOf("Edit13"), std::out_of_range);
}

}  // namespace
}  // namespace vidideza
