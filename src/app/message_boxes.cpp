#include "app/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>

namespace vidideza {

QtDialogs::QtDialogs(QString title) : title_(std::move(title)) {}

void QtDialogs::Notice(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, title_, FromBytes(text), QMessageBox::Ok, parent_);
  box.exec();
}

bool QtDialogs::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, title_, FromBytes(text), QMessageBox::NoButton, parent_);
  QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes;
}

void QtDialogs::Error(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, title_, FromBytes(text), QMessageBox::Ok, parent_);
  box.exec();
}

QString FromBytes(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
  const QByteArray latin1 = text.toLatin1();
  return {latin1.constData(), static_cast<std::size_t>(latin1.size())};
}

}  // namespace vidideza
