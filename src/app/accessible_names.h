#pragma once

#include <string>
#include <string_view>

namespace vidideza {

// The name a screen reader gives a control of the main window, from the design: a captioned
// control (button, radio button, frame, page, label) its caption; a field (edit, selector, spin
// box, the response window) the caption of the label beside it; the page control the captions
// of its pages; the window its title. Blanks at the end of a caption are no part of the name.
// Raises std::out_of_range for a name not in the design.
std::string AccessibleName(std::string_view control);

// The label that names a field, or "" for a control that is no field.
std::string_view LabelOf(std::string_view control);

}  // namespace vidideza
