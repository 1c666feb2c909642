#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>
#include <QRect>

class QWidget;

namespace kelmarin {

// The red of busy status texts and of rows that need attention. On a light background it is the
// pure red; on a dark desktop theme it is lightened until it reads as well as on white.
QColor ReadableRed(const QPalette& palette, QPalette::ColorRole background);

// `frame` shrunk to fit into `area` and moved inside it (a window's frame on the screen).
QRect FitInto(const QRect& frame, const QRect& area);

// Moves and, where it must, shrinks every dialog of the application into the available area of
// its screen (its frame included) when it is shown: a message box with a long path, a save dialog
// on a small screen. Installed once on the application; removed with `owner`.
void KeepDialogsOnScreen(QObject* owner);

}  // namespace kelmarin
