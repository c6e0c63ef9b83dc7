#include "app/qt/display_text.h"

#include "app/shown_character.h"

namespace vidideza {

QString DisplayLine(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) {
    text.append(QChar(static_cast<char16_t>(ShownCharacter(static_cast<unsigned char>(c)))));
  }
  return text;
}

QString PlainToolTip(std::string_view bytes) {
  return QStringLiteral("<p style='white-space:pre-wrap'>") + DisplayLine(bytes).toHtmlEscaped() +
         QStringLiteral("</p>");
}

}  // namespace vidideza
