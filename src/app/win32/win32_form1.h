#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "app/form1_design.h"
#include "app/form_view.h"
#include "app/win32/win32_item_hints.h"
#include "app/win32/win32_response_view.h"

namespace vidideza {

// The main window on the Win32 API and its standard controls, built from the design table; the
// form's handlers run on the controls' notifications, inside the form's guard.
class TWin32Form1 final : public TFormView {
 public:
  explicit TWin32Form1(std::unique_ptr<Dialogs> dialogs);
  TWin32Form1(const TWin32Form1&) = delete;
  TWin32Form1& operator=(const TWin32Form1&) = delete;
  ~TWin32Form1() override;

  TForm1& Form() { return *form_; }
  HWND Window() const { return window_; }
  // The control of that design name; raises std::out_of_range for another name.
  HWND Control(std::string_view name) const;
  Win32ResponseView& Memo() { return *memo_; }
  // Shows the window; the first page's show action follows once it is painted.
  void Show(int how);
  // Runs FormDestroy once, whichever of session end and the program's end comes first.
  void Shutdown();
  // What the message loop gives the window first: Tab, arrows and Enter between its controls.
  bool PreTranslate(MSG& message);
  // The window's scale: its font's line height over the design's 13 pixels.
  double Scale() const { return scale_; }

  // TFormView
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

 private:
  struct FontDeleter {
    void operator()(HFONT font) const { ::DeleteObject(font); }
  };
  using FontOwner = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;
  struct BrushDeleter {
    void operator()(HBRUSH brush) const { ::DeleteObject(brush); }
  };
  using BrushOwner = std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter>;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FieldProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT FieldMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam);

  void BuildControls();
  HWND BuildControl(const ControlDesign& design, int id);
  void SetTabOrder();
  void AddTooltip(HWND control, std::string_view text);
  int Scaled(int designPixels) const;
  HWND ParentOf(const ControlDesign& design) const;
  void SizeLabel(HWND label, const ControlDesign& design);

  void OnCommand(int id, int code, HWND control);
  void OnPageChange();
  void RunHandler(void (TForm1::*handler)());
  void RunPosted();
  void StepSpin(int delta);
  void CorrectSpin();
  bool IsSpin(HWND window) const;

  std::unique_ptr<Dialogs> dialogs_;
  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  FontOwner font_;
  FontOwner selectorFont_;
  double scale_ = 1.0;
  std::map<std::string, HWND, std::less<>> controls_;
  std::map<int, std::string> names_;  // control id to design name
  std::map<std::string, UINT_PTR, std::less<>> timers_;
  std::set<UINT_PTR> runningTimers_;
  std::map<HWND, BrushOwner> colours_;
  std::map<std::string, std::unique_ptr<Win32ItemHints>, std::less<>> itemHints_;
  std::unique_ptr<Win32ResponseView> memo_;
  HWND checkedRadio_ = nullptr;
  int settingDepth_ = 0;  // the program is setting a control: no handler runs
  bool shownOnce_ = false;
  bool shutDown_ = false;
  std::mutex postedLock_;
  std::deque<std::function<void()>> posted_;
  std::unique_ptr<TForm1> form_;  // last: it goes first, while the controls stand
};

}  // namespace vidideza
