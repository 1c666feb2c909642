#include "windows/DialogFont.h"

#include <QFontDatabase>
#include <QWidget>

namespace kelmarin {

namespace {

void SetFace(QWidget& widget, const QStringList& families) {
  QFont font = widget.font();
  font.setFamilies(families);
  widget.setFont(font);
}

}  // namespace

void SetDialogFont(QWidget* window) {
  if (window == nullptr) return;
  const QStringList families = QFontDatabase::systemFont(QFontDatabase::GeneralFont).families();
  SetFace(*window, families);
  const QList<QWidget*> children = window->findChildren<QWidget*>();
  for (QWidget* child : children) SetFace(*child, families);
}

}  // namespace kelmarin
