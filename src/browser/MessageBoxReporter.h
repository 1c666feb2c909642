#pragma once
// The core's messages as message boxes with one OK button.

#include "metadata/Reporter.h"

class QString;
class QWidget;

namespace kelmarin {

class MessageBoxReporter : public Reporter {
 public:
  // owner: the window the boxes are centred on (may be null; not owned).
  explicit MessageBoxReporter(QWidget* window = nullptr) : owner(window) {}
  void Report(const Message& message) override;

 private:
  QWidget* owner;
};

// A message box without icon, with one OK button and the caption "Kelmarin".
void ShowPlainMessage(QWidget* owner, const QString& text);

}  // namespace kelmarin
