#include "app/qt/list_pick.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>

namespace vidideza {

namespace {

bool MovesTheSelection(int key) {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown;
}

bool ChoosesInTheList(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select;
}

}  // namespace

ListPick::ListPick(QComboBox* box, std::function<void()> onPick)
    : QObject(box),
      box_(box),
      list_(box->view()),
      listViewport_(box->view()->viewport()),
      onPick_(std::move(onPick)) {
  // Installed after the box's own filters, so these run first and see every pick.
  box_->installEventFilter(this);
  list_->installEventFilter(this);
  listViewport_->installEventFilter(this);
  connect(box, &QComboBox::activated, this, [this] {
    if (expected_) {
      expected_ = false;
      onPick_();
    }
  });
}

void ListPick::Expect() {
  expected_ = true;
  // The box reports a pick while it handles the event; anything later is no pick.
  QTimer::singleShot(0, this, [this] { expected_ = false; });
}

bool ListPick::eventFilter(QObject* watched, QEvent* event) {
  const bool inList = watched == list_ || watched == listViewport_;
  switch (event->type()) {
    // The open list takes its choosing keys as shortcut overrides, before any key press.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((inList && ChoosesInTheList(key)) || (watched == box_ && MovesTheSelection(key))) {
        Expect();
      }
      break;
    }
    case QEvent::MouseButtonRelease:
      if (inList) {
        Expect();
      }
      break;
    case QEvent::Wheel:
      if (watched == box_) {
        Expect();
      }
      break;
    default:
      break;
  }
  return false;
}

}  // namespace vidideza
