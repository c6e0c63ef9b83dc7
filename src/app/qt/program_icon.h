#pragma once

#include <QIcon>

namespace vidideza {

// The window and program icon, in the sizes the desktop asks for; its 32 x 32 image uses only
// colours of the classic 16-colour palette.
QIcon ProgramIcon();

}  // namespace vidideza
