#pragma once

#include <QComboBox>
#include <functional>
#include <utility>

namespace vidideza {

// An editable drop-down list that tells, just before its list opens, so the list can be
// filled with what is there at that moment.
class TDropDownBox : public QComboBox {
 public:
  using QComboBox::QComboBox;

  void SetOnDropDown(std::function<void()> onDropDown) { onDropDown_ = std::move(onDropDown); }

  void showPopup() override {
    if (onDropDown_) {
      onDropDown_();
    }
    QComboBox::showPopup();
  }

 private:
  std::function<void()> onDropDown_;
};

}  // namespace vidideza
