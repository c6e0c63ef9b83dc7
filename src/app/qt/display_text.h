#pragma once

#include <QString>
#include <string_view>

namespace vidideza {

// A line of bytes as the response window shows it: one character per byte (Latin-1), control
// bytes 0x00-0x1F and 0x7F drawn as their Unicode control pictures, so a line stays one line
// and nothing in it is hidden.
QString DisplayLine(std::string_view bytes);

// Bytes from a device, a file or the network as a tooltip shows them: as DisplayLine gives them,
// never as markup. Qt takes any tooltip that looks like markup for rich text (and loads the
// images it names), so the text goes escaped inside markup of its own.
QString PlainToolTip(std::string_view bytes);

}  // namespace vidideza
