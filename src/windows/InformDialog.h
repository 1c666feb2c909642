#pragma once
// The about window `Inform`: program version and legal notice, the component list ("Komponente",
// "Version"), the links to the web page and to the maker's mail address, and OK.

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace kelmarin {

class Inform : public QDialog {
 public:
  // Filled at once: version caption, legal notice and the component rows.
  explicit Inform(QWidget* owner = nullptr);

  QLabel& VersionLabel() const { return *version; }
  QTreeWidget& VersionInfo() const { return *versionInfo; }
  QLabel& WebLink() const { return *hlink; }
  QLabel& MailLink() const { return *mail; }

 protected:
  // Opens the link under a click on hlink ("open" the address) or mail ("mailto:" + address)
  // through the desktop; what the desktop does with it is its own affair.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillComponents();

  QLabel* version;
  QLabel* copyright;
  QTreeWidget* versionInfo;
  QLabel* hlink;
  QLabel* mail;
};

}  // namespace kelmarin
