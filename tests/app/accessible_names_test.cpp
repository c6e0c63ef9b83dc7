#include "app/accessible_names.h"

#include <gtest/gtest.h>

#include "app/form1_design.h"

namespace vidideza {
namespace {

TEST(AccessibleName, CaptionsAndTheLabelsBesideFields) {
  const struct {
    const char* control;
    const char* name;
  } rows[] = {
      {"Edit1", "Command A"},
      {"Edit7", "Command F"},
      {"Memo1", "Response"},
      {"Button2", "Clear"},
      {"Button8", "Set interface port"},
      {"AdvSpinEdit1", "Address of control unit"},
      {"ComboBox2", "Interface port address"},
      {"ComboBox3", "Serial port"},
      {"ComboBox4", "Local network interface"},
      {"Edit2", "MAC addr.(00-20-4A-xx-xx-xx):"},
      {"Edit8", "IP address (x.x.x.x):"},
      {"Edit12", "Gateway address (x.x.x.x):"},
      {"AdvOfficeRadioButton3", "C (Master VEZ-UZIR)"},
      {"AdvOfficeRadioGroup1", "IR code (WIRE protocol)"},
      {"GroupBox2", "Control unit setup"},
      {"TabSheet2", "QVX-NET"},
      {"PageControl1", "QVX-RS / QVX-NET"},
      {"Label11", "Hex:"},
      {"Form1", "QVX service tool for QVX-RS     V2.4"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(AccessibleName(row.control), row.name) << row.control;
  }
  EXPECT_THROW(AccessibleName("Edit99"), std::out_of_range);
}

// Every control a person can reach has a name, and a field's label stands in the same container
// as the field, so that the name still fits the design when the design changes.
TEST(AccessibleName, EveryFieldHasALabelBesideItAndEveryControlAName) {
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind == ControlKind::kTimer) {
      continue;
    }
    const bool field = design.kind == ControlKind::kEdit || design.kind == ControlKind::kComboBox ||
                       design.kind == ControlKind::kSpinEdit || design.kind == ControlKind::kMemo;
    const std::string_view label = LabelOf(design.name);
    EXPECT_EQ(field, !label.empty()) << design.name;
    if (!label.empty()) {
      EXPECT_EQ(DesignOf(label).parent, design.parent) << design.name;
    }
    EXPECT_FALSE(AccessibleName(design.name).empty()) << design.name;
  }
}

}  // namespace
}  // namespace vidideza
