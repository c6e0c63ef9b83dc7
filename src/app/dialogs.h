#pragma once

#include <string>

namespace vidideza {

// The three kinds of message box, each modal and captioned with the application title.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Rejected input: the text and "OK", no icon.
  virtual void Notice(const std::string& text) = 0;
  // "&Yes" (default) and "&No" with a question icon; true only for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // An error that left a handler: the text, an error icon and "OK".
  virtual void Error(const std::string& text) = 0;
};

}  // namespace vidideza
