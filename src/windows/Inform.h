#pragma once
// The about window "Inform": version, legal notice, components with their versions, links.

class QWidget;

namespace kelmarin {

// Shows the about window modally, owned by owner.
void ShowAboutWindow(QWidget* owner);

}  // namespace kelmarin
