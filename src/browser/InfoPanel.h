#pragma once
// The panel "Rahmen_Rechts": the frame "Rahmen_Info" ("Bild-Informationen") with the preview
// "Kontrollbild" and the five labels i_dateiname, i_dateidatum, i_dateigröße, i_dateidimensionen,
// i_ladezeit.

#include <QFrame>
#include <QImage>

#include "image/ZetImage.h"
#include "present/InfoLabels.h"

class QGroupBox;
class QLabel;

namespace kelmarin {

struct TwipsScale;

// The preview box: draws what ZetImage::show gives it and reports clicks.
class PreviewBox : public QWidget, public PictureBox {
  Q_OBJECT

 public:
  explicit PreviewBox(QWidget* parent = nullptr);

  std::int32_t WidthTwips() const override;
  std::int32_t HeightTwips() const override;
  double TwipsPerPixelX() const override;
  double TwipsPerPixelY() const override;
  void ClearPicture() override;
  bool DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) override;

  bool HasPicture() const { return !picture.isNull(); }
  const QImage& Picture() const { return picture; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage picture;  // shares the pixels it was given
  QPoint origin;
};

class InfoPanel : public QFrame {
  Q_OBJECT

 public:
  explicit InfoPanel(QWidget* parent = nullptr);

  void PlaceControls(const TwipsScale& scale);
  void SetLabels(const InfoLabels& labels);

  PreviewBox* Preview() const { return kontrollbild; }
  QLabel* NameLabel() const { return name; }
  QLabel* DateLabel() const { return date; }
  QLabel* SizeLabel() const { return size; }
  QLabel* DimensionsLabel() const { return dimensions; }
  QLabel* LoadTimeLabel() const { return loadTime; }

 private:
  QGroupBox* rahmenInfo;
  PreviewBox* kontrollbild;
  QLabel* name;
  QLabel* date;
  QLabel* size;
  QLabel* dimensions;
  QLabel* loadTime;
};

}  // namespace kelmarin
