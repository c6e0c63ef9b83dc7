#pragma once

#include <QByteArray>
#include <QString>
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

// A path that the test's registration hands over in the environment rather than compiling it
// in, so that the test's object is the same in every checkout and the compiler cache serves it.
inline QString PathFromEnvironment(const char* variable) {
  const QByteArray value = qgetenv(variable);
  if (value.isEmpty()) {
    qFatal("%s is not set: run the test through ctest", variable);
  }
  return QString::fromLocal8Bit(value);
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
