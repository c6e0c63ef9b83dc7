#pragma once

#include <QPointer>
#include <QString>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/dialogs.h"

class QMessageBox;
class QWidget;

namespace vidideza {

// Modal Qt message boxes captioned with the application title, owned by the main window once
// it is named (they stay above it and centre on it).
class QtDialogs final : public Dialogs {
 public:
  // Boxes that cannot wait for a person any more are written to log (standard error).
  explicit QtDialogs(QString title, std::ostream* log = nullptr);
  void SetOwner(QWidget* owner) { parent_ = owner; }
  void Notice(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Error(const std::string& text) override;

  // The program is being ended from outside: every open box ends as if dismissed ("No" for a
  // confirmation), and every later box goes to the log at once instead of waiting.
  void EndWithoutWaiting();
  bool Ending() const { return ending_; }

 private:
  // Runs the box unless the program is ending; false when no one answered it.
  bool Show(QMessageBox& box);
  void Log(const char* kind, const std::string& text, const char* outcome = nullptr);

  QWidget* parent_ = nullptr;  // not owned
  QString title_;
  std::ostream* log_;
  bool ending_ = false;
  std::vector<QPointer<QMessageBox>> open_;  // innermost last; a box nests in a box's loop
};

// Byte text of the system to Qt text and back: one character per byte (Latin-1); a character
// outside Latin-1 becomes "?".
QString FromBytes(const std::string& bytes);
std::string ToBytes(const QString& text);

}  // namespace vidideza
