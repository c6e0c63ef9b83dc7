#pragma once

#include <QAbstractScrollArea>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "app/line_store.h"

class QTextLayout;

namespace vidideza {

// The response window: shows the lines of a line store, word-wrapped, control bytes as their
// control pictures, laying out only the lines in sight and of a long line only its head. It follows
// new lines while it shows the end and stays put when scrolled up. The technician can place the
// cursor, select with mouse and keyboard and copy; typed keys go nowhere, so the window always
// holds what the log holds. However many lines arrive, it is repainted at most once a screen frame.
class TResponseView final : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TResponseView(QWidget* parent = nullptr);
  ~TResponseView() override;

  void AddLine(std::string_view line);
  void Clear();
  const TLineStore& Lines() const { return store_; }
  // How often the window was cleared: its lines are others since.
  std::size_t Clears() const { return clears_; }
  // A line as the window shows it: a long line's head and the marker of its length.
  QString ShownLineText(std::size_t line) const;

  // The selection as text: the lines' shown characters, a line feed between lines.
  QString SelectedText() const;
  void SelectAll();
  // Scrolling: the line at the top of the window, or the end in sight.
  void ScrollToLine(std::size_t line);
  void ScrollToEnd();
  std::size_t TopLine() const { return top_.line; }
  bool FollowsEnd() const { return following_; }
  // Rows the line takes at the window's width.
  int RowsOf(std::size_t line) const;
  // Characters the line shows: a long line shows its head and a marker of its length.
  int ShownLength(std::size_t line) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // A place between characters: the line and the character before which it stands.
  struct Position {
    std::size_t line = 0;
    int column = 0;
    friend auto operator<=>(const Position&, const Position&) = default;
  };
  // The first row in sight: a line and a row within it.
  struct Row {
    std::size_t line = 0;
    int row = 0;
    friend auto operator<=>(const Row&, const Row&) = default;
  };

  QTextLayout& Layout(std::size_t line) const;
  void ForgetLayouts() const;
  int RowHeight() const;
  int RowsInSight() const;
  int TextWidth() const;
  Row Moved(Row from, long long rows) const;  // clamped to the first and last row
  Row EndTop() const;                         // the top that shows the last row at the bottom
  void ScrollRows(long long rows);
  void SetTop(Row top);
  void RequestFrame();
  // Visual positions.
  Position PositionAt(const QPoint& point) const;
  int RowOfColumn(std::size_t line, int column) const;
  Position RowMoved(Position from, int rows) const;
  void MoveCursor(Position to, bool extend);
  void KeepCursorInSight();

  TLineStore store_;
  std::size_t clears_ = 0;
  long long textLength_ = 0;  // characters of the text as assistive technology reads it
  Row top_;
  bool following_ = true;  // the last row is in sight: new lines keep it so
  Position cursor_;
  Position anchor_;  // the other end of the selection; the cursor when nothing is selected
  QTimer frame_;     // one repaint a screen frame at most
  mutable std::unordered_map<std::size_t, std::unique_ptr<QTextLayout>> layouts_;
  mutable int layoutWidth_ = -1;
};

}  // namespace vidideza
