#pragma once
// The image viewer window `Bild`. The picture `Bild` sits inside the clipping frame `Bild_rahmen`; its
// (zero or negative) position there is the scroll position, mirrored by the bars `Bild_hscroll` and
// `Bild_vscroll` in pixels. The picture is moved by the bars or by dragging it; the mouse cursor over
// it shows the directions in which it can still be moved.
//
// Scroll values are plain ints: a picture up to Qt's widget size limit scrolls over its whole width.
//
// Zoom: the picture box is the image at the zoom (device pixels per image pixel, so that 100 % shows
// one image pixel per device pixel also on high-DPI screens); the bars, dragging and the cursors work
// on the box as it is. "Einpassen" fits the image into the frame and keeps fitting it while the window
// is resized. Keys: Esc closes; arrows, Page Up/Down, Home/End scroll; + and - zoom in steps, E fits,
// 1 shows 100 %; Space / Backspace ask for the next / previous image. The wheel scrolls (Shift: across,
// Ctrl: zoom about the mouse).

#include <QPointF>
#include <QWidget>

class QMenu;
class QScrollBar;

namespace kelmarin {

class BildPicture;

class BildViewer : public QWidget {
  Q_OBJECT

 public:
  // A tool window of the owner (it stays above it); without owner a window of its own.
  explicit BildViewer(QWidget* owner = nullptr);
  ~BildViewer() override;

  // Caption, picture moved to (0, 0) and sized width x height pixels, bars laid out again (values 0).
  // Returns the picture box to draw into; the window is not shown. Non-positive sizes are taken as 1.
  BildPicture& Prepare(const QString& caption, int width, int height);
  // After the image was drawn into the prepared picture: the image's default zoom ("Einpassen" for an
  // image larger than the screen's available area, else 100 %); the window, unless maximised, is
  // sized to the picture within the available area of its owner's screen, as it would be if opened
  // on it: centred there when it opens, about its old centre when it was open. Then it is shown.
  void Present();
  // The window shown with the caption alone and no picture (a file that could not be decoded); the
  // window keeps its size.
  void PresentEmpty(const QString& caption);

  // Zoom in device pixels per image pixel; Fitting while "Einpassen" holds.
  double Zoom() const { return zoom; }
  bool Fitting() const { return fitting; }
  void ZoomTo(double devicePixelsPerImagePixel);
  void Fit();
  void ZoomIn();
  void ZoomOut();
  // The zoom as the caption shows it: "100 %", "Einpassen (25 %)".
  QString ZoomText() const;

  BildPicture& Picture() const { return *pictureBox; }
  QWidget& Frame() const { return *clipFrame; }
  QScrollBar& HorizontalBar() const { return *horizontalBar; }
  QScrollBar& VerticalBar() const { return *verticalBar; }

  bool Dragging() const { return dragging; }
  // The cursor picture (0 to 15) the picture currently shows.
  int PanCursorIndex() const { return cursorIndex; }
  // The smallest window width and height in pixels: 1000 twips, rounded up.
  QSize MinimumViewerSize() const;

 signals:
  // The user asked for the next (+1) or previous (-1) image of the list the viewer was opened from.
  void stepRequested(int delta);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
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
  // Resizes the picture to the zoom, keeping the image point under anchor (frame coordinates) there.
  void ApplyZoom(double newZoom, QPointF anchor);
  void ApplyZoomAtCentre(double newZoom);
  double FitZoom() const;
  void SizeToPicture(const QRect& area, double ratio, bool opening);
  void UpdateCaption();
  void ScrollBy(QScrollBar& bar, int pixels);

  QWidget* clipFrame;
  BildPicture* pictureBox;
  QScrollBar* horizontalBar;
  QScrollBar* verticalBar;
  bool dragging = false;
  int dragX = 0;
  int dragY = 0;
  int cursorIndex = -1;
  QMenu* menu;
  QString caption;
  QSize imageSize;  // the image's own size in pixels
  double zoom = 1.0;
  bool fitting = false;
  bool zooming = false;   // the picture is being resized for a zoom: no refitting meanwhile
  int wheelZoomRest = 0;  // wheel turn (in eighths of a degree) not yet used for a zoom step
};

}  // namespace kelmarin
