#pragma once

#include <QString>
#include <string>

class QWidget;

namespace vidideza {

// The three kinds of message box. The window talks to them through this interface so that
// window tests can answer them without a person.
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

// Modal Qt message boxes captioned with the application title, owned by the main window once
// it is named (they stay above it and centre on it).
class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QString title);
  void SetOwner(QWidget* owner) { parent_ = owner; }
  void Notice(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Error(const std::string& text) override;

 private:
  QWidget* parent_ = nullptr;  // not owned
  QString title_;
};

// Byte text of the system to Qt text and back: one character per byte (Latin-1); a character
// outside Latin-1 becomes "?".
QString FromBytes(const std::string& bytes);
std::string ToBytes(const QString& text);

}  // namespace vidideza
