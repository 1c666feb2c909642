#include "browser/MessageBoxReporter.h"

#include <QMessageBox>

namespace kelmarin {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      return QMessageBox::NoIcon;
    case MessageIcon::Warning:
      break;
  }
  return QMessageBox::Warning;
}

// Message texts may separate lines with "\r\n"; a box shows "\n".
QString BoxText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

}  // namespace

void MessageBoxReporter::Report(const Message& message) {
  QMessageBox box(BoxIcon(message.icon), QString::fromStdString(message.caption), BoxText(message.text),
                  QMessageBox::Ok, owner);
  box.exec();
}

void ShowPlainMessage(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kelmarin"), text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace kelmarin
