#include "app/qt/spin_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <QValidator>
#include <algorithm>

#include "app/qt/message_boxes.h"
#include "console/spin_value.h"

namespace vidideza {

namespace {

QToolButton* MakeArrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRepeat(true);
  button->setCursor(Qt::ArrowCursor);
  return button;
}

bool IsAccepted(const QString& typed) {
  return std::all_of(typed.begin(), typed.end(), [](QChar c) { return SpinAccepts(c.unicode()); });
}

// Text that reaches the box by other ways than typing (pasted, dropped, middle-clicked) obeys
// the same filter as typed text: refused with a beep, the box left as it was.
class TypedTextFilter final : public QValidator {
 public:
  explicit TypedTextFilter(QObject* parent) : QValidator(parent) {}
  State validate(QString& input, int& /*position*/) const override {
    if (IsAccepted(input)) {
      return Acceptable;
    }
    QApplication::beep();
    return Invalid;
  }
};

}  // namespace

TAdvSpinEdit::TAdvSpinEdit(int minimum, int maximum, QWidget* parent)
    : QLineEdit(parent),
      minimum_(minimum),
      maximum_(maximum),
      up_(MakeArrowButton(Qt::UpArrow, this)),
      down_(MakeArrowButton(Qt::DownArrow, this)) {
  setValidator(new TypedTextFilter(this));
  connect(up_, &QToolButton::clicked, this, [this] { Step(kSpinLineStep); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-kSpinLineStep); });
}

int TAdvSpinEdit::Value() const {
  return SpinTextValue(ToBytes(text()));
}

void TAdvSpinEdit::Step(int delta) {
  setText(QString::number(SpinStepped(ToBytes(text()), delta, minimum_, maximum_)));
}

void TAdvSpinEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
      Step(kSpinLineStep);
      return;
    case Qt::Key_Down:
      Step(-kSpinLineStep);
      return;
    case Qt::Key_PageUp:
      Step(kSpinPageStep);
      return;
    case Qt::Key_PageDown:
      Step(-kSpinPageStep);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      QApplication::beep();
      return;
    default:
      break;
  }
  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
  if (printable && (event->modifiers() & Qt::ControlModifier) == 0 && !IsAccepted(typed)) {
    QApplication::beep();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TAdvSpinEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (const auto corrected = SpinCorrection(ToBytes(text()), minimum_, maximum_)) {
    setText(QString::number(*corrected));
  }
}

void TAdvSpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  const int buttonWidth = std::max(12, height() / 3);
  const int half = height() / 2;
  up_->setGeometry(width() - buttonWidth, 0, buttonWidth, half);
  down_->setGeometry(width() - buttonWidth, half, buttonWidth, height() - half);
  setTextMargins(0, 0, buttonWidth, 0);
}

}  // namespace vidideza
