#include "browser/InfoPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>

#include "browser/Twips.h"

namespace kelmarin {

PreviewBox::PreviewBox(QWidget* parent) : PictureWidget(parent) {
  setObjectName(QStringLiteral("Kontrollbild"));
  setCursor(Qt::PointingHandCursor);
}

void PreviewBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  PictureWidget::mouseReleaseEvent(event);
}

namespace {

QLabel* InfoLabel(const QString& objectName, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(objectName);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// The text in the label's width, cut in the middle with "…" when it does not fit (a file name keeps
// its start and its extension); the whole text is then the label's tool tip.
void SetFitted(QLabel* label, const QString& text) {
  const QString fitted =
      label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->contentsRect().width());
  label->setText(fitted);
  label->setToolTip(fitted == text ? QString() : text);
}

}  // namespace

InfoPanel::InfoPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Rahmen_Rechts"));
  rahmenInfo = new QGroupBox(QStringLiteral("Bild-Informationen"), this);
  rahmenInfo->setObjectName(QStringLiteral("Rahmen_Info"));
  kontrollbild = new PreviewBox(rahmenInfo);
  name = InfoLabel(QStringLiteral("i_dateiname"), rahmenInfo);
  date = InfoLabel(QStringLiteral("i_dateidatum"), rahmenInfo);
  size = InfoLabel(QStringLiteral("i_dateigröße"), rahmenInfo);
  dimensions = InfoLabel(QStringLiteral("i_dateidimensionen"), rahmenInfo);
  loadTime = InfoLabel(QStringLiteral("i_ladezeit"), rahmenInfo);
}

void InfoPanel::PlaceControls(const TwipsScale& scale) {
  rahmenInfo->setGeometry(scale.ToPixels({45, 495, 5910, 2130}));
  kontrollbild->setGeometry(scale.ToPixels({4050, 270, 1800, 1800}));
  name->setGeometry(scale.ToPixels({90, 270, 3855, 285}));
  date->setGeometry(scale.ToPixels({90, 825, 3855, 285}));
  size->setGeometry(scale.ToPixels({90, 1140, 3855, 285}));
  dimensions->setGeometry(scale.ToPixels({90, 1455, 3855, 285}));
  loadTime->setGeometry(scale.ToPixels({90, 1765, 3855, 285}));
  Fit();
}

void InfoPanel::SetLabels(const InfoLabels& labels) {
  texts = labels;
  Fit();
}

void InfoPanel::Fit() {
  // Only the name can be longer than its label; the other texts are short and of fixed form.
  SetFitted(name, QString::fromStdString(texts.name));
  date->setText(QString::fromStdString(texts.modified));
  size->setText(QString::fromStdString(texts.size));
  dimensions->setText(QString::fromStdString(texts.dimensions));
  loadTime->setText(QString::fromStdString(texts.loadtime));
}

}  // namespace kelmarin
