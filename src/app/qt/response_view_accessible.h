#pragma once

#include <QAccessibleWidget>
#include <QString>
#include <cstddef>

namespace vidideza {

class TResponseView;

// The response window as assistive technology reads it: read-only multi-line text, every line
// as it is shown (a long line's head and the marker of its length), a line feed between lines.
class TResponseViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TResponseViewAccessible(TResponseView* view);

  using QAccessibleWidget::text;  // the name and the rest, beside the text interface's text
  void* interface_cast(QAccessible::InterfaceType type) override;
  QAccessible::State state() const override;

  // QAccessibleTextInterface: the whole text; no selection or cursor of its own to offer.
  QString text(int startOffset, int endOffset) const override;
  int characterCount() const override;
  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override { return 0; }
  void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
  void removeSelection(int /*selectionIndex*/) override {}
  void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int /*position*/) override {}
  QRect characterRect(int /*offset*/) const override { return {}; }
  int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
  void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  const QString& Whole() const;
  const TResponseView& View() const;

  // The text so far, kept up to date by the lines added since (the window only ever adds lines
  // or clears them all).
  mutable QString whole_;
  mutable std::size_t lines_ = 0;
  mutable std::size_t clears_ = 0;
};

// Makes Qt give every response window the interface above.
void InstallResponseViewAccessible();

}  // namespace vidideza
