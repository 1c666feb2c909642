#include "windows/PanCursor.h"

#include <QPainter>
#include <QPolygon>
#include <array>

namespace kelmarin {

namespace {

constexpr int kSize = 32;
constexpr int kCentre = 16;
constexpr int kReach = 13;  // from the centre to the tip of an end

// Green ends of each picture, indexed by picture number.
constexpr std::array<unsigned, 16> kGreenEnds = {
    kPanUp | kPanRight,                        // 0
    kPanRight,                                 // 1
    kPanUp | kPanLeft,                         // 2
    kPanLeft,                                  // 3
    kPanDown | kPanRight,                      // 4
    kPanDown | kPanLeft,                       // 5
    kPanUp | kPanLeft | kPanRight,             // 6
    kPanUp | kPanDown | kPanLeft,              // 7
    kPanUp | kPanDown | kPanLeft | kPanRight,  // 8
    kPanUp,                                    // 9
    kPanDown,                                  // 10
    kPanUp | kPanDown,                         // 11
    kPanLeft | kPanRight,                      // 12
    kPanUp | kPanDown | kPanRight,             // 13
    0,                                         // 14
    kPanDown | kPanLeft | kPanRight,           // 15
};

int OneBarIndex(int value, int maximum, int both, int towardsZero, int towardsMaximum) {
  if (value != maximum && value != 0) return both;
  if (value != 0) return towardsZero;
  return towardsMaximum;
}

int TwoBarIndex(const PanState& s) {
  const bool hAtMax = s.h == s.hmax;
  const bool vAtMax = s.v == s.vmax;
  if (vAtMax && hAtMax) return 4;
  if (hAtMax && s.v == 0) return 0;
  if (vAtMax && s.h == 0) return 5;
  if (s.v == 0 && s.h == 0) return 2;
  if (hAtMax) return 13;
  if (vAtMax) return 15;
  if (s.h == 0) return 7;
  if (s.v == 0) return 6;
  return 8;
}

// Rotates a shape drawn for the upper end into the direction of `end`.
QTransform Towards(PanDirection end) {
  QTransform t;
  t.translate(kCentre, kCentre);
  switch (end) {
    case kPanDown:
      t.rotate(180);
      break;
    case kPanLeft:
      t.rotate(-90);
      break;
    case kPanRight:
      t.rotate(90);
      break;
    default:
      break;
  }
  return t;
}

void DrawEnd(QPainter& p, PanDirection end, bool green) {
  p.save();
  p.setTransform(Towards(end));
  p.setPen(QPen(Qt::black, 1));
  if (green) {
    p.setBrush(QColor(0, 160, 0));
    p.drawPolygon(QPolygon({QPoint(0, -kReach), QPoint(-5, -kReach + 6), QPoint(5, -kReach + 6)}));
  } else {
    p.setBrush(QColor(220, 0, 0));
    p.drawRect(-5, -kReach, 10, 6);
  }
  p.restore();
}

}  // namespace

int PanCursorIndex(const PanState& s) {
  if (!s.hVisible && !s.vVisible) return 14;
  if (!s.hVisible) return OneBarIndex(s.v, s.vmax, 11, 10, 9);
  if (!s.vVisible) return OneBarIndex(s.h, s.hmax, 12, 1, 3);
  return TwoBarIndex(s);
}

unsigned PanCursorGreenEnds(int k) {
  if (k < 0 || k >= static_cast<int>(kGreenEnds.size())) return 0;
  return kGreenEnds[static_cast<std::size_t>(k)];
}

QPoint PanCursorEndPoint(PanDirection end) {
  // Inside both the arrow and the bar, three pixels in from the tip.
  return Towards(end).map(QPoint(0, -kReach + 3));
}

QPixmap PanCursorPixmap(int k) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(kCentre, kCentre - kReach + 6, kCentre, kCentre + kReach - 6);
  p.drawLine(kCentre - kReach + 6, kCentre, kCentre + kReach - 6, kCentre);
  const unsigned green = PanCursorGreenEnds(k);
  for (PanDirection end : {kPanUp, kPanDown, kPanLeft, kPanRight}) {
    DrawEnd(p, end, (green & end) != 0);
  }
  return pixmap;
}

QCursor PanCursor(int k) {
  return QCursor(PanCursorPixmap(k), kCentre, kCentre);
}

}  // namespace kelmarin
