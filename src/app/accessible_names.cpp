#include "app/accessible_names.h"

#include <array>
#include <utility>

#include "app/form1_design.h"

namespace vidideza {

namespace {

// Each field and the label it stands beside in the design (left of it, or above it). The card
// selector's label stands to the right of its list's head, above its drop-down.
constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kFieldLabels{{
    {"Edit1", "Label1"},
    {"Edit3", "Label2"},
    {"Edit4", "Label4"},
    {"Edit5", "Label5"},
    {"Edit6", "Label6"},
    {"Edit7", "Label7"},
    {"Memo1", "Label3"},
    {"AdvSpinEdit1", "AdvSpinEdit1Caption"},
    {"ComboBox1", "Label10"},
    {"ComboBox2", "Label13"},
    {"ComboBox3", "Label23"},
    {"ComboBox4", "Label24"},
    {"Edit2", "Label15"},
    {"Edit8", "Label17"},
    {"Edit9", "Label19"},
    {"Edit10", "Label16"},
    {"Edit11", "Label21"},
    {"Edit12", "Label20"},
}};

std::string WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') {
    text.remove_suffix(1);
  }
  return std::string(text);
}

}  // namespace

std::string_view LabelOf(std::string_view control) {
  for (const auto& [field, label] : kFieldLabels) {
    if (field == control) {
      return label;
    }
  }
  return {};
}

std::string AccessibleName(std::string_view control) {
  const ControlDesign& design = DesignOf(control);
  if (const std::string_view label = LabelOf(control); !label.empty()) {
    return WithoutTrailingBlanks(DesignOf(label).text);
  }
  if (design.kind == ControlKind::kPageControl) {
    std::string pages;
    for (const ControlDesign& page : Form1Design()) {
      if (page.parent == control) {
        pages.append(pages.empty() ? "" : " / ").append(page.text);
      }
    }
    return pages;
  }
  return WithoutTrailingBlanks(design.text);
}

}  // namespace vidideza
