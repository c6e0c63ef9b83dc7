#pragma once

#include <string>
#include <vector>

#include "app/dialogs.h"

namespace vidideza {

// Message boxes answered without a person: each box is recorded as "<kind>: <text>".
class RecordingDialogs final : public Dialogs {
 public:
  explicit RecordingDialogs(std::vector<std::string>& shown, bool answerYes = true)
      : shown_(shown), answerYes_(answerYes) {}
  void Notice(const std::string& text) override { shown_.push_back("notice: " + text); }
  bool Confirm(const std::string& text) override {
    shown_.push_back("confirm: " + text);
    return answerYes_;
  }
  void Error(const std::string& text) override { shown_.push_back("error: " + text); }

 private:
  std::vector<std::string>& shown_;
  bool answerYes_;
};

}  // namespace vidideza
