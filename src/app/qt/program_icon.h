#pragma once

#include <QIcon>

namespace vidideza {

// The window and program icon: 32 x 32 pixels in the 16 colours of the classic palette.
QIcon ProgramIcon();

}  // namespace vidideza
