#include "browser/DesktopFit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace kelmarin {

namespace {

// Relative luminance of a colour (sRGB), 0 black to 1 white.
double Luminance(const QColor& colour) {
  const auto channel = [](double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast asked of normal text; pure red reaches it on black but not on the greys of most
// dark themes.
constexpr double kWantedContrast = 4.5;

class DialogFitter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* dialog = qobject_cast<QDialog*>(watched);
      // A dialog sizes itself while it is shown; the fit follows once that is done.
      if (dialog != nullptr && dialog->isWindow()) {
        QTimer::singleShot(0, dialog, [guard = QPointer<QDialog>(dialog)] {
          if (guard == nullptr || !guard->isVisible() || guard->screen() == nullptr) return;
          const QRect area = guard->screen()->availableGeometry();
          const QRect frame = guard->frameGeometry();
          const QRect fitted = FitInto(frame, area);
          if (fitted == frame) return;
          const QSize border = frame.size() - guard->size();
          guard->resize(fitted.size() - border);
          guard->move(fitted.topLeft());
        });
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QColor ReadableRed(const QPalette& palette, QPalette::ColorRole background) {
  const QColor ground = palette.color(background);
  QColor red(255, 0, 0);
  if (ground.lightness() >= 128) return red;
  // Mixed towards white in small steps until it stands out from the dark background.
  for (int lift = 0; lift <= 200 && Contrast(red, ground) < kWantedContrast; lift += 8) {
    red = QColor(255, lift, lift);
  }
  return red;
}

QRect FitInto(const QRect& frame, const QRect& area) {
  QRect fitted(frame.topLeft(), frame.size().boundedTo(area.size()));
  fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
  fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
  return fitted;
}

void KeepDialogsOnScreen(QObject* owner) {
  if (QCoreApplication::instance() == nullptr) return;
  QCoreApplication::instance()->installEventFilter(new DialogFitter(owner));
}

}  // namespace kelmarin
