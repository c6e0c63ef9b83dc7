#pragma once

#include <QObject>
#include <functional>

class QComboBox;

namespace vidideza {

// Runs a handler for a choice the user made from a combo box's list only: an item picked in
// the open list (mouse or keyboard), or the arrow keys or the wheel on the closed box. An
// editable box also reports an activation when it loses the focus, or on Enter, with a text
// that matches an item; that is typing, not a choice, and runs nothing.
class ListPick final : public QObject {
 public:
  ListPick(QComboBox* box, std::function<void()> onPick);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Expect();

  // Compared with, never called, in the filter: it also sees events while the box is
  // destroyed.
  QObject* box_;
  QObject* list_;
  QObject* listViewport_;
  std::function<void()> onPick_;
  bool expected_ = false;  // an event that picks is being delivered
};

}  // namespace vidideza
