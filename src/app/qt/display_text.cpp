#include "app/qt/display_text.h"

namespace vidideza {

QString DisplayLine(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) {
      text.append(QChar(0x2400 + byte));
    } else if (byte == 0x7F) {
      text.append(QChar(0x2421));
    } else {
      text.append(QChar(byte));
    }
  }
  return text;
}

QString PlainToolTip(std::string_view bytes) {
  return QStringLiteral("<p style='white-space:pre-wrap'>") + DisplayLine(bytes).toHtmlEscaped() +
         QStringLiteral("</p>");
}

}  // namespace vidideza
