#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "app/form_view.h"

class QTimer;

namespace vidideza {

struct ControlDesign;

// The main window on Qt: widgets built from the design table, the form's view, and widget
// events turned into the form's handlers through its guard. Only the toolkit's own work is
// here: the spin box's keys, focus rules, page switching, fonts and scaling.
class TQtForm1 final : public QWidget, public TFormView {
  Q_OBJECT

 public:
  // Builds the window with its design contents and the form on it (start-up step 3).
  explicit TQtForm1(std::unique_ptr<Dialogs> dialogs, QWidget* parent = nullptr);
  ~TQtForm1() override;

  TForm1& Form() { return *form_; }
  const TForm1& Form() const { return *form_; }
  // The factor by which the 96-dpi design figures are scaled here.
  double DesignScale() const { return scale_; }

  // The view of the form.
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;
  void SetCaption(std::string_view control, const std::string& caption) override;
  void SetColour(std::string_view control, std::optional<Rgb> colour) override;
  bool Checked(std::string_view control) const override;
  void SetItems(std::string_view control, const std::vector<std::string>& items) override;
  void SetItemHints(std::string_view control, const std::vector<std::string>& hints) override;
  int ItemIndex(std::string_view control) const override;
  void SetItemIndex(std::string_view control, int index) override;
  int ActivePage() const override;
  void AddResponseLine(std::string_view line) override;
  void ClearResponse() override;
  void StartTimer(std::string_view timer) override;
  void StopTimer(std::string_view timer) override;
  void PostToUiThread(std::function<void()> call) override;
  void Notice(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Error(const std::string& text) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Widgets from the design table (qt_form1_build.cpp).
  void BuildControls();
  QObject* BuildControl(const ControlDesign& design);
  void SetTabOrder();
  void DrawGroupFrames();
  int Scaled(int designPixels) const;

  void ConnectHandlers();
  // Runs the form's handler inside the one guard; nothing once the form is gone.
  void RunHandler(const std::function<void(TForm1&)>& handler);
  // A slot that does so.
  auto Guarded(void (TForm1::*handler)()) {
    return [this, handler] { RunHandler(handler); };
  }

  // The named control of that kind; raises std::out_of_range when there is none.
  template <typename Widget>
  Widget* Find(std::string_view name) const {
    const auto found = controls_.find(name);
    Widget* widget = found == controls_.end() ? nullptr : qobject_cast<Widget*>(found->second);
    if (widget == nullptr) {
      throw std::out_of_range("the window has no " + std::string(name) + " of that kind");
    }
    return widget;
  }
  QTimer* FindTimer(std::string_view name) const;

  std::unique_ptr<Dialogs> dialogs_;
  double scale_ = 1.0;
  // Every control by its design name, owned through Qt's parent ownership.
  std::map<std::string, QObject*, std::less<>> controls_;
  bool firstShown_ = false;
  std::unique_ptr<TForm1> form_;  // last: it goes first, ending the link threads
};

}  // namespace vidideza
