#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>
#include <QtGlobal>

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
  const QString text = Find<QPlainTextEdit>(form, "Memo1")->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

}  // namespace vidideza
