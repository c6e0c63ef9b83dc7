#pragma once

#include <QLineEdit>

class QToolButton;

namespace vidideza {

// The integer spin box of the control-unit address: a one-line edit with up and down buttons.
// Up/Down step by 1, Page Up/Page Down by 10, always within the limits; digits, "+" and "-" go
// in, other printable characters and Enter are refused with a beep; a typed value outside the
// limits is pulled to the nearer one when the box loses the focus. Every change of the text
// (typed, stepped or corrected) emits textChanged.
class TAdvSpinEdit final : public QLineEdit {
  Q_OBJECT

 public:
  TAdvSpinEdit(int minimum, int maximum, QWidget* parent);
  int Value() const;
  void Step(int delta);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int minimum_;
  int maximum_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace vidideza
