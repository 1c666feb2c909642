#pragma once
// The platform's dialog font on every control of a window.

class QWidget;

namespace kelmarin {

// Gives window and every widget inside it the face of the platform's default dialog font, keeping
// each widget's size and style. A null window is ignored.
void SetDialogFont(QWidget* window);

}  // namespace kelmarin
