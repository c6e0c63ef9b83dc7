#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialogs.h"

namespace vidideza {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// What the form needs of a window: its controls, addressed by their design names ("Edit8",
// "ComboBox4", "Timer2"...), and its message boxes. Texts are the system's byte texts. A view
// runs no handler of the form while the form sets a control: only the user's own changes do.
class TFormView : public Dialogs {
 public:
  // One-line edits, editable selectors and the spin box.
  virtual std::string Text(std::string_view control) const = 0;
  virtual void SetText(std::string_view control, const std::string& text) = 0;
  // Labels, which take the width of their caption.
  virtual void SetCaption(std::string_view control, const std::string& caption) = 0;
  // An edit's background; nothing stands for the system's window colour.
  virtual void SetColour(std::string_view control, std::optional<Rgb> colour) = 0;
  virtual bool Checked(std::string_view control) const = 0;
  // A selector's list; its edit text stays as it is.
  virtual void SetItems(std::string_view control, const std::vector<std::string>& items) = 0;
  // What the open list tells about each item (its tooltip): hints[i] for item i, "" for none.
  virtual void SetItemHints(std::string_view control, const std::vector<std::string>& hints) = 0;
  virtual int ItemIndex(std::string_view control) const = 0;  // -1: none selected
  virtual void SetItemIndex(std::string_view control, int index) = 0;
  // The index of PageControl1's active page: the link selector.
  virtual int ActivePage() const = 0;
  // The response window, Memo1.
  virtual void AddResponseLine(std::string_view line) = 0;
  virtual void ClearResponse() = 0;
  // A timer of the design, with its design period. Starting a running timer changes nothing;
  // stopping and starting begins its period afresh.
  virtual void StartTimer(std::string_view timer) = 0;
  virtual void StopTimer(std::string_view timer) = 0;
  // Called on a link thread: run `call` on the UI thread soon, without waiting for it.
  virtual void PostToUiThread(std::function<void()> call) = 0;
};

}  // namespace vidideza
