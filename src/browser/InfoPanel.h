#pragma once
// The panel "Rahmen_Rechts": the frame "Rahmen_Info" ("Bild-Informationen") with the preview
// "Kontrollbild" and the five labels i_dateiname, i_dateidatum, i_dateigröße, i_dateidimensionen,
// i_ladezeit. A file name wider than its label is shortened with "…" and shown whole in the tool tip.

#include <QFrame>

#include "present/InfoLabels.h"
#include "windows/PictureWidget.h"

class QGroupBox;
class QLabel;

namespace kelmarin {

struct TwipsScale;

// The preview box: the picture widget ZetImage::show draws into; it lets its parent show around the
// picture and reports a left-button release over it as a click.
class PreviewBox : public PictureWidget {
  Q_OBJECT

 public:
  explicit PreviewBox(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class InfoPanel : public QFrame {
  Q_OBJECT

 public:
  explicit InfoPanel(QWidget* parent = nullptr);

  void PlaceControls(const TwipsScale& scale);
  void SetLabels(const InfoLabels& labels);
  // The texts last set, whole.
  const InfoLabels& Labels() const { return texts; }

  PreviewBox* Preview() const { return kontrollbild; }
  QLabel* NameLabel() const { return name; }
  QLabel* DateLabel() const { return date; }
  QLabel* SizeLabel() const { return size; }
  QLabel* DimensionsLabel() const { return dimensions; }
  QLabel* LoadTimeLabel() const { return loadTime; }

 private:
  // Shows the texts, the name shortened to its label's width.
  void Fit();

  InfoLabels texts;
  QGroupBox* rahmenInfo;
  PreviewBox* kontrollbild;
  QLabel* name;
  QLabel* date;
  QLabel* size;
  QLabel* dimensions;
  QLabel* loadTime;
};

}  // namespace kelmarin
