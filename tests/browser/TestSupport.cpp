#include "TestSupport.h"

#include <QLocale>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>

#include "SampleImage.h"
#include "browser/CurrentImage.h"

namespace kelmarin::test {

void RecordingReporter::Report(const Message& message) {
  messages.push_back(message);
  if (onReport) onReport();
}

void PrepareEnvironment() {
  static QTemporaryDir settings;
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void ClearSettings() {
  QSettings settings(QString::fromUtf16(kOrganisation), QString::fromUtf16(kApplication));
  settings.clear();
  settings.sync();
}

QString Setting(const QString& section, const QString& name) {
  QSettings settings(QString::fromUtf16(kOrganisation), QString::fromUtf16(kApplication));
  const QVariant value = settings.value(section + QLatin1Char('/') + name);
  return value.isValid() ? value.toString() : QString();
}

ListingRow Row(int section, const char* tag, const char* label, const char* info, const char* raw,
               RowKind kind) {
  ListingRow row;
  row.kind = kind;
  row.section = section;
  row.tag = tag;
  row.label = label;
  row.information = info;
  row.raw = raw;
  row.tagNumber = std::atoi(tag);
  return row;
}

Harness::Harness() {
  drives.push_back({QFile::encodeName(root.path()).toStdString(), "", DriveKind::Fixed});
}

void Harness::MakeFolder(const QString& relative) const {
  QDir(root.path()).mkpath(relative);
}

void Harness::WriteJpeg(const QString& relative, int width, int height, bool exif) const {
  const samples::RgbImage image = samples::Landscape(width, height);
  std::vector<samples::Segment> segments;
  if (exif) {
    const samples::Shot shot = samples::SampleShot(samples::Maker::kCanon, width, height);
    const samples::Bytes thumbnail = samples::EncodeJpeg(samples::Landscape(160, 120), 70);
    segments.push_back({0xE1, samples::CameraExif(samples::Maker::kCanon, shot, thumbnail)});
  }
  QVERIFY(samples::WriteJpeg(QFile::encodeName(Path(relative)).toStdString(), image, 85, segments));
}

void Harness::WritePng(const QString& relative, int width, int height) const {
  QVERIFY(
      samples::WritePng(QFile::encodeName(Path(relative)).toStdString(), samples::Landscape(width, height)));
}

void Harness::WriteJpeg(const QString& relative, const std::vector<samples::Segment>& segments) const {
  QVERIFY(samples::WriteJpeg(QFile::encodeName(Path(relative)).toStdString(), samples::Landscape(64, 48), 80,
                             segments));
}

void StartIn(const QString& path) {
  WriteSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("1.0"));
  WriteSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"), path);
}

void Harness::WriteBytes(const QString& relative, const QByteArray& bytes) const {
  QFile file(Path(relative));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

StartOptions Harness::Options() {
  StartOptions options;
  options.definitionFile = KELMARIN_DEF_FILE;
  options.reporter = &reporter;
  options.listDrives = [this] { return drives; };
  options.showFatal = [this](const QString& text) { fatalMessages << text; };
  options.endProgram = [this] { ++endCalls; };
  options.hostName = QStringLiteral("testhost");
  return options;
}

std::unique_ptr<Verzeichnis> Harness::Start(StartOptions options) {
  auto window = std::make_unique<Verzeichnis>(std::move(options));
  if (!window->Load()) return nullptr;
  WaitForImage(*window);
  return window;
}

void WaitForImage(Verzeichnis& window) {
  QVERIFY(QTest::qWaitFor([&window] { return !window.Current().Loading(); }, 20000));
}

QString Shows(Verzeichnis& window) {
  QTreeWidgetItem* node = window.Tree()->SelectedNode();
  return QStringList({node != nullptr ? node->text(0) : QString(),
                      ItemTexts(window.Files()).join(QLatin1Char(',')), window.Info()->NameLabel()->text()})
      .join(QLatin1Char('|'));
}

QTreeWidgetItem* Child(QTreeWidgetItem* node, const QString& text) {
  for (int i = 0; node != nullptr && i < node->childCount(); ++i) {
    if (node->child(i)->text(0) == text) return node->child(i);
  }
  return nullptr;
}

QStringList ChildTexts(QTreeWidgetItem* node) {
  QStringList texts;
  for (int i = 0; node != nullptr && i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

void ClickItem(QTreeWidget* view, QTreeWidgetItem* item, Qt::MouseButton button) {
  QVERIFY(item != nullptr);
  view->scrollToItem(item);
  const QPoint centre = view->visualItemRect(item).center();
  QTest::mouseClick(view->viewport(), button, Qt::NoModifier, centre);
  if (auto* window = qobject_cast<Verzeichnis*>(view->window())) WaitForImage(*window);
}

QStringList ItemTexts(QTreeWidget* view) {
  QStringList texts;
  for (int i = 0; i < view->topLevelItemCount(); ++i) texts << view->topLevelItem(i)->text(0);
  return texts;
}

void DragBar(QWidget* bar, QPoint to, Qt::MouseButton button) {
  for (const auto& [type, at, held] :
       {std::tuple{QEvent::MouseButtonPress, QPoint(1, 1), Qt::MouseButtons(button)},
        {QEvent::MouseMove, to, Qt::MouseButtons(button)},
        {QEvent::MouseButtonRelease, to, Qt::MouseButtons(Qt::NoButton)}}) {
    QMouseEvent event(type, at, bar->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &event);
  }
}

}  // namespace kelmarin::test
