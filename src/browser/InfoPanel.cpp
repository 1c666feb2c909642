#include "browser/InfoPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "browser/Twips.h"

namespace kelmarin {

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Kontrollbild"));
  setCursor(Qt::PointingHandCursor);
}

std::int32_t PreviewBox::WidthTwips() const {
  return TwipsScale::Of(this).ToTwipsX(width());
}
std::int32_t PreviewBox::HeightTwips() const {
  return TwipsScale::Of(this).ToTwipsY(height());
}
double PreviewBox::TwipsPerPixelX() const {
  return TwipsScale::Of(this).perPixelX;
}
double PreviewBox::TwipsPerPixelY() const {
  return TwipsScale::Of(this).perPixelY;
}

void PreviewBox::ClearPicture() {
  picture = QImage();
  update();
}

bool PreviewBox::DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) {
  if (image.isNull()) return false;
  picture = image;
  origin = QPoint(x, y);
  update();
  return true;
}

void PreviewBox::paintEvent(QPaintEvent*) {
  if (picture.isNull()) return;
  QPainter painter(this);
  painter.drawImage(origin, picture);
}

void PreviewBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QWidget::mouseReleaseEvent(event);
}

namespace {

QLabel* InfoLabel(const QString& objectName, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(objectName);
  label->setTextFormat(Qt::PlainText);
  return label;
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
}

void InfoPanel::SetLabels(const InfoLabels& labels) {
  name->setText(labels.name);
  date->setText(labels.modified);
  size->setText(labels.size);
  dimensions->setText(labels.dimensions);
  loadTime->setText(labels.loadtime);
}

}  // namespace kelmarin
