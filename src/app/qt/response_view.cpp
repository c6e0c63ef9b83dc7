#include "app/qt/response_view.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <climits>

#include "app/qt/display_text.h"
#include "app/qt/response_view_accessible.h"
#include "app/shown_line.h"

namespace vidideza {

namespace {

constexpr int kMargin = 4;            // between the frame and the text, as a text edit has it
constexpr int kFrameMs = 16;          // one screen frame at 60 Hz
constexpr int kWheelRowsPerStep = 3;  // rows per notch of the wheel

}  // namespace

TResponseView::TResponseView(QWidget* parent) : QAbstractScrollArea(parent) {
  InstallResponseViewAccessible();
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setCursor(Qt::IBeamCursor);
  frame_.setSingleShot(true);
  frame_.setInterval(kFrameMs);
  connect(&frame_, &QTimer::timeout, this, [this] {
    if (following_) {
      top_ = EndTop();
    }
    viewport()->update();
  });
}

TResponseView::~TResponseView() = default;

// --- lines ------------------------------------------------------------------------------

void TResponseView::AddLine(std::string_view line) {
  store_.Append(line);
  const std::size_t last = store_.LineCount() - 1;
  const long long at = textLength_;
  textLength_ += (last > 0 ? 1 : 0) + ShownLength(last);
  if (QAccessible::isActive()) {
    // A screen reader following the window hears what came.
    QString added = ShownLineText(last);
    if (last > 0) {
      added.prepend(QLatin1Char('\n'));
    }
    QAccessibleTextInsertEvent inserted(this, static_cast<int>(std::min<long long>(at, INT_MAX)),
                                        added);
    QAccessible::updateAccessibility(&inserted);
  }
  // Lines below the end in sight change nothing on the screen until the technician goes there.
  if (following_ && !frame_.isActive()) {
    frame_.start();
  }
}

void TResponseView::Clear() {
  store_.Clear();
  ++clears_;
  textLength_ = 0;
  if (QAccessible::isActive()) {
    QAccessibleEvent cleared(this, QAccessible::TextUpdated);
    QAccessible::updateAccessibility(&cleared);
  }
  ForgetLayouts();
  top_ = {};
  cursor_ = anchor_ = {};
  following_ = true;
  viewport()->update();
}

// --- layout -----------------------------------------------------------------------------

int TResponseView::RowHeight() const {
  return std::max(1, fontMetrics().lineSpacing());
}

int TResponseView::RowsInSight() const {
  return std::max(1, (viewport()->height() - kMargin) / RowHeight());
}

int TResponseView::TextWidth() const {
  return std::max(1, viewport()->width() - 2 * kMargin);
}

void TResponseView::ForgetLayouts() const {
  layouts_.clear();
}

QTextLayout& TResponseView::Layout(std::size_t line) const {
  if (layoutWidth_ != TextWidth()) {
    ForgetLayouts();
    layoutWidth_ = TextWidth();
  }
  if (const auto found = layouts_.find(line); found != layouts_.end()) {
    return *found->second;
  }
  // Only lines that were in sight are laid out; the cache never holds many more.
  if (layouts_.size() > static_cast<std::size_t>(4 * RowsInSight() + 256)) {
    ForgetLayouts();
  }
  auto layout = std::make_unique<QTextLayout>(ShownLineText(line), font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout->setTextOption(option);
  layout->beginLayout();
  for (int row = 0;; ++row) {
    QTextLine textLine = layout->createLine();
    if (!textLine.isValid()) {
      break;
    }
    textLine.setLineWidth(layoutWidth_);
    textLine.setPosition(QPointF(0, row * RowHeight()));
  }
  layout->endLayout();
  return *layouts_.emplace(line, std::move(layout)).first->second;
}

int TResponseView::RowsOf(std::size_t line) const {
  return std::max(1, Layout(line).lineCount());
}

QString TResponseView::ShownLineText(std::size_t line) const {
  const ShownLine shown = ShownPartOf(store_.Line(line));
  return DisplayLine(shown.head) +
         QString::fromLatin1(shown.marker.data(), static_cast<qsizetype>(shown.marker.size()));
}

int TResponseView::ShownLength(std::size_t line) const {
  const ShownLine shown = ShownPartOf(store_.Line(line));
  return static_cast<int>(shown.head.size() + shown.marker.size());
}

// --- scrolling --------------------------------------------------------------------------

TResponseView::Row TResponseView::Moved(Row from, long long rows) const {
  const std::size_t count = store_.LineCount();
  if (count == 0) {
    return {};
  }
  while (rows > 0) {
    const int left = RowsOf(from.line) - 1 - from.row;
    if (rows <= left) {
      from.row += static_cast<int>(rows);
      return from;
    }
    if (from.line + 1 == count) {
      from.row = RowsOf(from.line) - 1;
      return from;
    }
    rows -= left + 1;
    ++from.line;
    from.row = 0;
  }
  while (rows < 0) {
    if (-rows <= from.row) {
      from.row += static_cast<int>(rows);
      return from;
    }
    if (from.line == 0) {
      from.row = 0;
      return from;
    }
    rows += from.row + 1;
    --from.line;
    from.row = RowsOf(from.line) - 1;
  }
  return from;
}

TResponseView::Row TResponseView::EndTop() const {
  const std::size_t count = store_.LineCount();
  if (count == 0) {
    return {};
  }
  return Moved({count - 1, RowsOf(count - 1) - 1}, -(RowsInSight() - 1));
}

void TResponseView::SetTop(Row top) {
  const Row end = EndTop();
  top_ = std::min(top, end);
  following_ = top_ == end;
  viewport()->update();
}

void TResponseView::ScrollRows(long long rows) {
  SetTop(Moved(top_, rows));
}

void TResponseView::ScrollToLine(std::size_t line) {
  if (store_.LineCount() > 0) {
    SetTop({std::min(line, store_.LineCount() - 1), 0});
  }
}

void TResponseView::ScrollToEnd() {
  SetTop(EndTop());
}

// --- cursor and selection ---------------------------------------------------------------

int TResponseView::RowOfColumn(std::size_t line, int column) const {
  const QTextLine textLine = Layout(line).lineForTextPosition(column);
  return textLine.isValid() ? textLine.lineNumber() : RowsOf(line) - 1;
}

TResponseView::Position TResponseView::PositionAt(const QPoint& point) const {
  const std::size_t count = store_.LineCount();
  if (count == 0) {
    return {};
  }
  const int y = point.y() - kMargin;
  const long long rows = y < 0 ? -1 - (-y - 1) / RowHeight() : y / RowHeight();
  const Row row = Moved(top_, rows);
  const QTextLine textLine = Layout(row.line).lineAt(row.row);
  const int column = textLine.xToCursor(point.x() - kMargin);
  return {row.line, column};
}

TResponseView::Position TResponseView::RowMoved(Position from, int rows) const {
  if (store_.LineCount() == 0) {
    return {};
  }
  const Row row{from.line, RowOfColumn(from.line, from.column)};
  const qreal x = Layout(from.line).lineAt(row.row).cursorToX(from.column);
  const Row to = Moved(row, rows);
  return {to.line, Layout(to.line).lineAt(to.row).xToCursor(x)};
}

void TResponseView::KeepCursorInSight() {
  if (store_.LineCount() == 0) {
    return;
  }
  const Row row{cursor_.line, RowOfColumn(cursor_.line, cursor_.column)};
  if (row < top_) {
    SetTop(row);
  } else if (const Row lowest = Moved(row, -(RowsInSight() - 1)); top_ < lowest) {
    SetTop(lowest);
  }
}

void TResponseView::MoveCursor(Position to, bool extend) {
  cursor_ = to;
  if (!extend) {
    anchor_ = to;
  }
  KeepCursorInSight();
  viewport()->update();
}

void TResponseView::SelectAll() {
  const std::size_t count = store_.LineCount();
  anchor_ = {};
  cursor_ = count == 0 ? Position{} : Position{count - 1, ShownLength(count - 1)};
  viewport()->update();
}

QString TResponseView::SelectedText() const {
  const Position from = std::min(anchor_, cursor_);
  const Position to = std::max(anchor_, cursor_);
  if (from == to || store_.LineCount() == 0) {
    return {};
  }
  QString text;
  for (std::size_t line = from.line; line <= to.line; ++line) {
    const std::string_view bytes = store_.Line(line);
    const std::size_t begin =
        line == from.line ? ByteAtShownColumn(bytes, static_cast<std::size_t>(from.column)) : 0;
    const std::size_t end = line == to.line
                                ? ByteAtShownColumn(bytes, static_cast<std::size_t>(to.column))
                                : bytes.size();
    if (line != from.line) {
      text += QLatin1Char('\n');
    }
    text += DisplayLine(bytes.substr(begin, end - begin));
  }
  return text;
}

// --- events -----------------------------------------------------------------------------

void TResponseView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  const Position from = std::min(anchor_, cursor_);
  const Position to = std::max(anchor_, cursor_);
  QTextCharFormat selected;
  selected.setBackground(palette().brush(QPalette::Highlight));
  selected.setForeground(palette().brush(QPalette::HighlightedText));
  QTextCharFormat marker;  // the length of a line shown in part: not the unit's text
  marker.setForeground(palette().brush(QPalette::PlaceholderText));
  marker.setFontItalic(true);
  const bool showCursor = hasFocus();
  if (store_.LineCount() == 0) {
    if (showCursor) {
      painter.drawLine(kMargin, kMargin, kMargin, kMargin + RowHeight() - 1);
    }
    return;
  }
  int y = kMargin - top_.row * RowHeight();
  for (std::size_t line = top_.line; line < store_.LineCount() && y < viewport()->height();
       ++line) {
    QTextLayout& layout = Layout(line);
    QList<QTextLayout::FormatRange> selections;
    if (store_.Line(line).size() > kMostShownBytes) {
      const int head = static_cast<int>(kMostShownBytes);
      selections.append({head, ShownLength(line) - head, marker});
    }
    if (from != to && line >= from.line && line <= to.line) {
      const int length = ShownLength(line);
      const int begin = line == from.line ? from.column : 0;
      const int end = line == to.line ? to.column : length;
      selections.append({begin, end - begin, selected});
    }
    const QPointF origin(kMargin, y);
    layout.draw(&painter, origin, selections);
    if (showCursor && line == cursor_.line) {
      layout.drawCursor(&painter, origin, cursor_.column);
    }
    y += RowsOf(line) * RowHeight();
  }
}

void TResponseView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  ForgetLayouts();
  SetTop(following_ ? EndTop() : top_);
}

void TResponseView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    ForgetLayouts();
    SetTop(following_ ? EndTop() : top_);
  }
}

void TResponseView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QGuiApplication::clipboard()->setText(SelectedText());
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
    return;
  }
  const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
  const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
  const std::size_t count = store_.LineCount();
  const auto lineLength = [this](std::size_t line) { return ShownLength(line); };
  if (count > 0) {
    Position to = cursor_;
    switch (event->key()) {
      case Qt::Key_Left:
        if (to.column > 0) {
          --to.column;
        } else if (to.line > 0) {
          --to.line;
          to.column = lineLength(to.line);
        }
        break;
      case Qt::Key_Right:
        if (to.column < lineLength(to.line)) {
          ++to.column;
        } else if (to.line + 1 < count) {
          ++to.line;
          to.column = 0;
        }
        break;
      case Qt::Key_Up:
        to = RowMoved(to, -1);
        break;
      case Qt::Key_Down:
        to = RowMoved(to, 1);
        break;
      case Qt::Key_PageUp:
      case Qt::Key_PageDown: {
        // A page of the window, wherever the cursor was: it goes to the row now at the edge.
        const bool up = event->key() == Qt::Key_PageUp;
        ScrollRows(up ? -RowsInSight() : RowsInSight());
        const Row edge = up ? top_ : Moved(top_, RowsInSight() - 1);
        const QTextLine row = Layout(edge.line).lineAt(edge.row);
        to = {edge.line, up ? row.textStart() : row.textStart() + row.textLength()};
        break;
      }
      case Qt::Key_Home:
        if (control) {
          to = {};
        } else {
          to.column = Layout(to.line).lineAt(RowOfColumn(to.line, to.column)).textStart();
        }
        break;
      case Qt::Key_End:
        if (control) {
          to = {count - 1, lineLength(count - 1)};
        } else {
          const QTextLine row = Layout(to.line).lineAt(RowOfColumn(to.line, to.column));
          to.column = row.textStart() + row.textLength();
        }
        break;
      default:
        // Typed text goes nowhere: the window holds what the log holds.
        if (!event->text().isEmpty() && !control) {
          event->accept();
        } else {
          QAbstractScrollArea::keyPressEvent(event);
        }
        return;
    }
    MoveCursor(to, extend);
    return;
  }
  if (!event->text().isEmpty() && !control) {
    event->accept();
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

void TResponseView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    MoveCursor(PositionAt(event->position().toPoint()),
               (event->modifiers() & Qt::ShiftModifier) != 0);
  }
}

void TResponseView::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) == 0) {
    return;
  }
  const QPoint point = event->position().toPoint();
  if (point.y() < 0) {
    ScrollRows(-1);
  } else if (point.y() > viewport()->height()) {
    ScrollRows(1);
  }
  cursor_ = PositionAt(point);
  viewport()->update();
}

void TResponseView::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
}

void TResponseView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps != 0) {
    ScrollRows(-static_cast<long long>(steps) * kWheelRowsPerStep);
  }
  event->accept();
}

void TResponseView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void TResponseView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

}  // namespace vidideza
