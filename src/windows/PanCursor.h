#pragma once
// The sixteen direction cursors of the image viewer: a black cross whose ends carry a green arrow
// where the image can still be dragged and a red bar where it cannot.

#include <QCursor>
#include <QPixmap>
#include <cstdint>

namespace kelmarin {

// Ends of the cross, as bits of a mask.
enum PanDirection : std::uint8_t {
  kPanUp = 1,
  kPanDown = 2,
  kPanLeft = 4,
  kPanRight = 8,
};

// What the scroll bars say about the picture's position (values and maxima in pixels).
struct PanState {
  bool hVisible = false;
  bool vVisible = false;
  int h = 0;
  int hmax = 0;
  int v = 0;
  int vmax = 0;
};

// The cursor picture (0 to 15) for the bars' state. The image can be dragged right while h > 0, left
// while h < hmax, down while v > 0 and up while v < vmax; a hidden bar allows neither way.
int PanCursorIndex(const PanState& state);

// The green ends (kPan... bits) of cursor picture k; 0 for k outside 0..15.
unsigned PanCursorGreenEnds(int k);

// Cursor picture k as a 32 x 32 pixmap, and as a cursor with its hot spot in the middle.
// k outside 0..15 gives the picture without green ends.
QPixmap PanCursorPixmap(int k);
QCursor PanCursor(int k);

// Where PanCursorPixmap draws the tip of each end, for checking the picture.
QPoint PanCursorEndPoint(PanDirection end);

}  // namespace kelmarin
