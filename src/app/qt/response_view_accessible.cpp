#include "app/qt/response_view_accessible.h"

#include "app/qt/response_view.h"

namespace vidideza {

TResponseViewAccessible::TResponseViewAccessible(TResponseView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

void* TResponseViewAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) {
    return static_cast<QAccessibleTextInterface*>(this);
  }
  return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TResponseViewAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  state.readOnly = true;
  state.multiLine = true;
  state.editable = false;
  return state;
}

const TResponseView& TResponseViewAccessible::View() const {
  return *static_cast<const TResponseView*>(widget());
}

const QString& TResponseViewAccessible::Whole() const {
  const TResponseView& view = View();
  const std::size_t count = view.Lines().LineCount();
  if (clears_ != view.Clears() || count < lines_) {
    whole_.clear();
    lines_ = 0;
    clears_ = view.Clears();
  }
  for (; lines_ < count; ++lines_) {
    if (lines_ > 0) {
      whole_ += QLatin1Char('\n');
    }
    whole_ += view.ShownLineText(lines_);
  }
  return whole_;
}

QString TResponseViewAccessible::text(int startOffset, int endOffset) const {
  const QString& whole = Whole();
  const int start = std::clamp(startOffset, 0, static_cast<int>(whole.size()));
  const int end = endOffset < 0 ? static_cast<int>(whole.size())
                                : std::clamp(endOffset, start, static_cast<int>(whole.size()));
  return whole.mid(start, end - start);
}

int TResponseViewAccessible::characterCount() const {
  return static_cast<int>(Whole().size());
}

void TResponseViewAccessible::selection(int /*selectionIndex*/, int* startOffset,
                                        int* endOffset) const {
  *startOffset = 0;
  *endOffset = 0;
}

QString TResponseViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  *startOffset = offset;
  *endOffset = offset;
  return {};
}

namespace {

QAccessibleInterface* ResponseViewFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(TResponseView::staticMetaObject.className()) &&
      object != nullptr && object->isWidgetType()) {
    return new TResponseViewAccessible(static_cast<TResponseView*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallResponseViewAccessible() {
  static const bool installed = [] {
    QAccessible::installFactory(&ResponseViewFactory);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace vidideza
