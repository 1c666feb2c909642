#include "browser/MetadataSearchBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

namespace kelmarin {

MetadataSearchBar::MetadataSearchBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Suchleiste"));
  field = new QLineEdit(this);
  field->setObjectName(QStringLiteral("Suchfeld"));
  field->setPlaceholderText(QStringLiteral("Suchen …"));
  field->setClearButtonEnabled(true);
  field->setToolTip(QStringLiteral("Zeilen nach Tag, Bezeichnung, Information oder Rohdaten filtern (Esc leert)"));
  field->installEventFilter(this);
  hideUnknown = new QCheckBox(QStringLiteral("??? ausblenden"), this);
  hideUnknown->setObjectName(QStringLiteral("UnbekannteAusblenden"));
  hideUnknown->setToolTip(QStringLiteral("Zeilen unbekannter Tags ausblenden"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 2);
  row->addWidget(field, 1);
  row->addWidget(hideUnknown);
  connect(field, &QLineEdit::textChanged, this, [this] { emit filterChanged(Filter()); });
  connect(hideUnknown, &QCheckBox::toggled, this, [this] { emit filterChanged(Filter()); });
}

RowFilter MetadataSearchBar::Filter() const {
  return {field->text(), hideUnknown->isChecked()};
}

bool MetadataSearchBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == field && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !field->text().isEmpty()) {
    field->clear();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelmarin
