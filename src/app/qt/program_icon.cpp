#include "app/qt/program_icon.h"

namespace vidideza {

QIcon ProgramIcon() {
  // Rendered from the one drawing at build time; each size is drawn for itself, not scaled.
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/vidideza-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace vidideza
