#pragma once

#include <QStringList>
#include <QWidget>
#include <QtGlobal>
#include "app/qt/display_text.h"
#include "app/qt/response_view.h"

namespace vidideza {

// A control of the window by its name; a missing one ends the test run.
template <typename Widget = QWidget>
Widget* Find(QWidget* form, const char* name) {
  auto* widget = form->findChild<Widget*>(QLatin1String(name));
  if (widget == nullptr) {
    qFatal("no control %s", name);
  }
  return widget;
}

// The lines of the response window.
inline QStringList MemoLines(QWidget* form) {
  const TLineStore& lines = Find<TResponseView>(form, "Memo1")->Lines();
  QStringList shown;
  for (std::size_t i = 0; i < lines.LineCount(); ++i) {
    shown << DisplayLine(lines.Line(i));
  }
  return shown;
}

}  // namespace vidideza
