#include "app/qt/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <iostream>
#include <utility>

namespace vidideza {

QtDialogs::QtDialogs(QString title, std::ostream* log)
    : title_(std::move(title)), log_(log != nullptr ? log : &std::cerr) {}

bool QtDialogs::Show(QMessageBox& box) {
  if (ending_) {
    return false;
  }
  box.setTextFormat(Qt::PlainText);  // a box's text may hold what a device or a file said
  open_.emplace_back(&box);
  box.exec();
  open_.pop_back();
  return !ending_ || box.clickedButton() != nullptr;  // dismissed by the end: not answered
}

void QtDialogs::Log(const char* kind, const std::string& text, const char* outcome) {
  *log_ << title_.toStdString() << ": " << kind << ": " << text;
  if (outcome != nullptr) {
    *log_ << " (" << outcome << ")";
  }
  *log_ << std::endl;
}

void QtDialogs::EndWithoutWaiting() {
  ending_ = true;
  for (const QPointer<QMessageBox>& box : open_) {
    if (box) {
      box->done(QMessageBox::Cancel);  // no button clicked: dismissed
    }
  }
}

void QtDialogs::Notice(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, title_, FromBytes(text), QMessageBox::Ok, parent_);
  if (!Show(box)) {
    Log("notice", text);
  }
}

bool QtDialogs::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, title_, FromBytes(text), QMessageBox::NoButton, parent_);
  QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  if (!Show(box)) {
    Log("question", text, "No");
    return false;
  }
  return box.clickedButton() == yes;
}

void QtDialogs::Error(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, title_, FromBytes(text), QMessageBox::Ok, parent_);
  if (!Show(box)) {
    Log("error", text);
  }
}

QString FromBytes(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
  const QByteArray latin1 = text.toLatin1();
  return {latin1.constData(), static_cast<std::size_t>(latin1.size())};
}

}  // namespace vidideza
