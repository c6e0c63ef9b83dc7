#include "app/qt/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace vidideza {

QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  // A control unit: a grey box with a teal front panel, a green status light and a plug.
  painter.fillRect(3, 6, 26, 20, QColor(128, 128, 128));
  painter.fillRect(5, 8, 22, 12, QColor(0, 128, 128));
  painter.fillRect(22, 22, 3, 3, QColor(0, 255, 0));
  painter.fillRect(7, 22, 12, 3, QColor(0, 0, 0));
  painter.setPen(QColor(255, 255, 255));
  painter.drawText(QRect(5, 8, 22, 12), Qt::AlignCenter, QStringLiteral("QVX"));
  return QIcon(pixmap);
}

}  // namespace vidideza
