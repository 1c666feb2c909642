#include "windows/Inform.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include "windows/ComponentList.h"
#include "windows/DialogFont.h"
#include "windows/InformDialog.h"
#include "windows/ProgramVersion.h"

namespace kelmarin {

namespace {

// What a Windows build keeps in its version resource as file description and legal notice.
constexpr const char16_t* kFileDescription = u"Kelmarin";
constexpr const char16_t* kLegalNotice = u"Copyright \u00A9 Tarnwickel. Alle Rechte vorbehalten.";

QLabel* NewLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QLabel* NewLink(QWidget* parent, const QString& name, const QString& address) {
  QLabel* link = NewLabel(parent, name, address);
  link->setCursor(Qt::PointingHandCursor);
  QPalette palette = link->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
  link->setPalette(palette);
  QFont font = link->font();
  font.setUnderline(true);
  link->setFont(font);
  link->installEventFilter(parent);
  return link;
}

}  // namespace

Inform::Inform(QWidget* owner)
    : QDialog(owner),
      version(NewLabel(this, QStringLiteral("Version"), QString())),
      copyright(NewLabel(this, QStringLiteral("Copyright"), QString::fromUtf16(kLegalNotice))),
      versionInfo(new QTreeWidget(this)),
      hlink(NewLink(this, QStringLiteral("hlink"), QStringLiteral(KELMARIN_HOMEPAGE))),
      mail(NewLink(this, QStringLiteral("mail"), QStringLiteral(KELMARIN_MAIL))) {
  setObjectName(QStringLiteral("Inform"));
  setWindowTitle(QStringLiteral("Informationen über Kelmarin"));
  version->setText(VersionCaption(QString::fromUtf16(kFileDescription), ProgramVersionText()));
  copyright->setWordWrap(true);
  versionInfo->setObjectName(QStringLiteral("VersionInfo"));
  versionInfo->setHeaderLabels({QStringLiteral("Komponente"), QStringLiteral("Version")});
  versionInfo->setRootIsDecorated(false);
  versionInfo->header()->setStretchLastSection(true);
  versionInfo->header()->resizeSection(0, 110);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* picIcon = NewLabel(this, QStringLiteral("picIcon"), QString());
  picIcon->setPixmap(windowIcon().pixmap(32, 32));
  picIcon->setVisible(!picIcon->pixmap().isNull());

  auto* grid = new QGridLayout(this);
  grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(version, 0, 1, 1, 2);
  grid->addWidget(copyright, 1, 1, 1, 2);
  grid->addWidget(versionInfo, 2, 0, 1, 3);
  grid->addWidget(NewLabel(this, QStringLiteral("label6"), QStringLiteral("WWW:")), 3, 0);
  grid->addWidget(hlink, 3, 1, 1, 2);
  grid->addWidget(NewLabel(this, QStringLiteral("Label1"), QStringLiteral("eMail:")), 4, 0);
  grid->addWidget(mail, 4, 1, 1, 2);
  grid->addWidget(ok, 5, 2, Qt::AlignRight);
  grid->setColumnStretch(1, 1);
  resize(440, 420);

  FillComponents();
  SetDialogFont(this);
}

void Inform::FillComponents() {
  for (const ComponentRow& row : ComponentRows()) {
    auto* item = new QTreeWidgetItem(versionInfo, {row.komponente, row.version});
    item->setToolTip(1, row.version);  // long system texts do not fit the column
  }
}

bool Inform::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == hlink) {
      QDesktopServices::openUrl(QUrl(hlink->text()));
      return true;
    }
    if (watched == mail) {
      QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + mail->text()));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ShowAboutWindow(QWidget* owner) {
  Inform window(owner);
  window.exec();
}

}  // namespace kelmarin
