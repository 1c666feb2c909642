#pragma once
// A splitter bar of the main window: a thin bar in the colour of window text with a sizing pointer.
// A left-button press starts a drag, the release of any button ends it; while dragging, every pointer
// move is reported relative to the bar's own corner.

#include <QWidget>

namespace kelmarin {

class SplitterBar : public QWidget {
  Q_OBJECT

 public:
  SplitterBar(Qt::Orientation orientation, const QString& objectName, QWidget* parent = nullptr);

 signals:
  void dragged(QPoint position);  // pixels relative to the bar

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  bool dragging = false;
};

}  // namespace kelmarin
