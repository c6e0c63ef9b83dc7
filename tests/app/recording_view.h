#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/form1_design.h"
#include "app/form_view.h"

namespace vidideza {

// A view without a toolkit: every control of the design with its designed content, what the
// form does to them, and the boxes it shows (answered without a person). The test thread plays
// the UI thread and runs the hand-overs of the link threads.
class RecordingView final : public TFormView {
 public:
  struct Control {
    std::string text;
    std::optional<Rgb> colour;
    bool checked = false;
    std::vector<std::string> items;
    int itemIndex = -1;
    std::vector<std::string> hints;
  };

  RecordingView() {
    for (const ControlDesign& design : Form1Design()) {
      Control& control = controls_[std::string(design.name)];
      control.text = design.text;
      control.checked = design.checked;
      control.items = design.items;
    }
  }

  // What the form did that a person would see, in order: "notice: ...", "confirm: ...",
  // "error: ...", "start Timer2", "stop Timer2".
  std::vector<std::string> events;
  // Memo1, one entry per line added.
  std::vector<std::string> memo;
  std::set<std::string, std::less<>> runningTimers;
  int activePage = 0;
  bool answerYes = true;
  // Called as each line reaches the response window, before it is added.
  std::function<void(const std::string&)> onResponseLine;

  Control& operator[](std::string_view name) { return Find(name); }

  // The boxes among the events.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> boxes;
    for (const std::string& event : events) {
      if (event.rfind("start ", 0) != 0 && event.rfind("stop ", 0) != 0) {
        boxes.push_back(event);
      }
    }
    return boxes;
  }

  // The user typing into a control: the view sets it, the test then runs the handler.
  void Type(std::string_view name, const std::string& text) { Find(name).text = text; }
  void Check(std::string_view radio) {
    for (int i = 1; i <= 6; ++i) {
      Find("AdvOfficeRadioButton" + std::to_string(i)).checked = false;
    }
    Find(radio).checked = true;
  }

  // Runs the hand-overs until done() holds or the time is up; true when done() held.
  bool PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      std::deque<std::function<void()>> calls;
      {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !calls_.empty(); });
        calls.swap(calls_);
      }
      for (const auto& call : calls) {
        call();
      }
      if (done()) {
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
    }
  }
  void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
  }

  std::string Text(std::string_view control) const override { return Find(control).text; }
  void SetText(std::string_view control, const std::string& text) override {
    Find(control).text = text;
  }
  void SetCaption(std::string_view control, const std::string& caption) override {
    Find(control).text = caption;
  }
  void SetColour(std::string_view control, std::optional<Rgb> colour) override {
    Find(control).colour = colour;
  }
  bool Checked(std::string_view control) const override { return Find(control).checked; }
  void SetItems(std::string_view control, const std::vector<std::string>& items) override {
    Control& box = Find(control);
    box.items = items;
    box.itemIndex = items.empty() ? -1 : 0;
  }
  void SetItemHints(std::string_view control, const std::vector<std::string>& hints) override {
    Find(control).hints = hints;
  }
  int ItemIndex(std::string_view control) const override { return Find(control).itemIndex; }
  void SetItemIndex(std::string_view control, int index) override {
    Find(control).itemIndex = index;
  }
  int ActivePage() const override { return activePage; }
  void AddResponseLine(std::string_view line) override {
    if (onResponseLine) {
      onResponseLine(std::string(line));
    }
    memo.emplace_back(line);
  }
  void ClearResponse() override { memo.clear(); }
  void StartTimer(std::string_view timer) override {
    Find(timer);
    if (runningTimers.insert(std::string(timer)).second) {
      events.push_back("start " + std::string(timer));
    }
  }
  void StopTimer(std::string_view timer) override {
    Find(timer);
    runningTimers.erase(std::string(timer));
    events.push_back("stop " + std::string(timer));
  }
  void PostToUiThread(std::function<void()> call) override {
    const std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    posted_.notify_all();
  }
  void Notice(const std::string& text) override { events.push_back("notice: " + text); }
  bool Confirm(const std::string& text) override {
    events.push_back("confirm: " + text);
    return answerYes;
  }
  void Error(const std::string& text) override { events.push_back("error: " + text); }

 private:
  // A name outside the design is the form's mistake: it fails the test.
  Control& Find(std::string_view name) {
    const auto found = controls_.find(name);
    if (found == controls_.end()) {
      throw std::out_of_range("no control " + std::string(name) + " in the design");
    }
    return found->second;
  }
  const Control& Find(std::string_view name) const {
    return const_cast<RecordingView*>(this)->Find(name);
  }

  std::map<std::string, Control, std::less<>> controls_;
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace vidideza
