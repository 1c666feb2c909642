#pragma once
// The image viewer window `Bild`. The picture `Bild` sits inside the clipping frame `Bild_rahmen`; its
// (zero or negative) position there is the scroll position, mirrored by the bars `Bild_hscroll` and
// `Bild_vscroll` in pixels. The picture is moved by the bars or by dragging it; the mouse cursor over
// it shows the directions in which it can still be moved.
//
// Scroll values are plain ints: a picture up to Qt's widget size limit scrolls over its whole width.

#include <QPointF>
#include <QWidget>

class QScrollBar;

namespace kelmarin {

class BildPicture;

class BildViewer : public QWidget {
  Q_OBJECT

 public:
  // A top-level window (also when owner is given: the owner only parents it for lifetime).
  explicit BildViewer(QWidget* owner = nullptr);
  ~BildViewer() override;

  // Caption, picture moved to (0, 0) and sized width x height pixels, bars laid out again (values 0).
  // Returns the picture box to draw into; the window is not shown. Non-positive sizes are taken as 1.
  BildPicture& Prepare(const QString& caption, int width, int height);

  BildPicture& Picture() const { return *bild; }
  QWidget& Frame() const { return *rahmen; }
  QScrollBar& HorizontalBar() const { return *hscroll; }
  QScrollBar& VerticalBar() const { return *vscroll; }

  bool Dragging() const { return dragging; }
  // The cursor picture (0 to 15) the picture currently shows.
  int PanCursorIndex() const { return cursorIndex; }
  // The smallest window width and height in pixels: 1000 twips, rounded up.
  QSize MinimumViewerSize() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnResize();
  void LayoutViewer();
  void LayoutBar(QScrollBar& bar, int pictureSize, int frameSize, bool horizontal);
  void UpdatePanCursor();
  void ToggleMaximised();
  void BeginDrag(QPointF position);
  void PanStep(QPointF position);
  void BarValueChanged(bool horizontal, int value);
  void BarTracked(bool horizontal, int value);
  void MovePicture(bool horizontal, int value);

  QWidget* rahmen;
  BildPicture* bild;
  QScrollBar* hscroll;
  QScrollBar* vscroll;
  bool dragging = false;
  int drag_x = 0;
  int drag_y = 0;
  int cursorIndex = -1;
};

}  // namespace kelmarin
