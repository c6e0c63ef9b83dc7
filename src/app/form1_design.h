#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vidideza {

enum class ControlKind {
  kForm,         // the window itself: outer size and place on the screen, the title
  kLabel,        // takes the width of its caption
  kEdit,         // one-line edit
  kButton,       // push button
  kMemo,         // the response window
  kGroupBox,     // captioned frame holding controls
  kFrame,        // captioned frame drawn over its parent's controls, holding none
  kSpinEdit,     // integer spin box
  kSpinCaption,  // a spin box's own label: left and top give its lower left corner
  kComboBox,     // editable drop-down list
  kRadioButton,  // one of a group; the first checked one is selected at start
  kPageControl,  // the link selector
  kTabSheet,     // a page of the link selector: the caption is its tab's
  kTimer,        // no window: `interval` milliseconds, off at start
};

enum class FontRole {
  kDefault,   // "MS Sans Serif", 11 pixels
  kSelector,  // "Arial", bold, 27 pixels
};

// One control of the window as designed. Positions are 96-dpi pixels inside the parent, for
// a default font whose line is 13 pixels high; a label's size comes from its caption.
struct ControlDesign {
  std::string_view name{};
  ControlKind kind = ControlKind::kLabel;
  std::string_view parent{};  // empty for the window itself
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::string_view text{};  // caption or initial text
  std::vector<std::string> items{};
  std::string_view tooltip{};
  FontRole font = FontRole::kDefault;
  int tabOrder = -1;  // place in the window's Tab order; -1: not in it
  int minimum = 0;    // spin box limits
  int maximum = 0;
  int interval = 0;      // timer period in milliseconds
  bool checked = false;  // the radio button selected at start
};

// Every control of the main window, parents before their children, in the order of creation.
std::span<const ControlDesign> Form1Design();

// The design line of the named control; raises std::out_of_range for a name not in it.
const ControlDesign& DesignOf(std::string_view name);

}  // namespace vidideza
