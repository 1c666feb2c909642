// The metadata list's context menu and keys: copying the value, the row, every row, and the CSV and
// JSON exports of the current image.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QTest>

#include "Cameras.h"
#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/MetadataExport.h"
#include "browser/MetadataList.h"

namespace kelmarin::test {

namespace {
QStringList Texts(std::initializer_list<const char*> texts) {
  QStringList list;
  for (const char* text : texts) list << QString::fromUtf8(text);
  return list;
}
QString U(const char* text) { return QString::fromUtf8(text); }
}  // namespace

class MetadataListMenuTest : public QObject {
  Q_OBJECT

 private:
  // A window on one Canon JPEG with two IPTC datasets; the list's focus on the model row.
  static std::unique_ptr<Verzeichnis> StartOnCamera(Harness& harness) {
    const samples::Shot shot = samples::SampleShot(samples::Maker::kCanon, 64, 48);
    const std::vector<samples::Segment> segments{
        {0xE1, samples::CameraExif(samples::Maker::kCanon, shot, {})},
        {0xED, samples::IptcPayload({{5, "Hafen; Abend"}, {80, "Anna \"Nina\" Roth"}})}};
    if (!samples::WriteJpeg(QFile::encodeName(harness.Path(QStringLiteral("hafen.jpg"))).toStdString(),
                            samples::Landscape(64, 48), 80, segments)) {
      return nullptr;
    }
    auto window = harness.Start();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) return nullptr;
    MetadataList* list = window->Metadata();
    list->setFocus();
    list->setCurrentItem(list->findItems(QStringLiteral("272"), Qt::MatchExactly, 0).value(0));
    return window;
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void csvFieldsQuotedWhereNeeded_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << U("1/250 s") << U("1/250 s");
    QTest::newRow("semicolon") << U("a;b") << U("\"a;b\"");
    QTest::newRow("quote") << U("5\" Zoll") << U("\"5\"\" Zoll\"");
    QTest::newRow("line feed") << U("a\nb") << U("\"a\nb\"");
    QTest::newRow("leading space") << U(" a") << U("\" a\"");
  }
  void csvFieldsQuotedWhereNeeded() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(CsvField(text), field);
  }

  void copyKeysAndMenu() {
    Harness harness;
    auto window = StartOnCamera(harness);
    QVERIFY(window);
    MetadataList* list = window->Metadata();
    QClipboard* clipboard = QApplication::clipboard();
    const QString model = list->currentItem()->text(2);
    QVERIFY(!model.isEmpty());

    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), model);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(clipboard->text(), list->AllText());
    QCOMPARE(clipboard->text().count(QLatin1Char('\n')), list->topLevelItemCount());

    QMenu menu;
    list->FillContextMenu(menu);
    QStringList texts;
    for (QAction* action : menu.actions()) texts << action->text();
    QCOMPARE(texts.mid(0, 6), Texts({"Wert kopieren", "Zeile kopieren", "Alle Zeilen kopieren", "",
                          "Als CSV exportieren …", "Als JSON exportieren …"}));
    menu.actions().at(1)->trigger();
    QCOMPARE(clipboard->text(), QStringLiteral("272\tModell\t%1\t%2\n").arg(model, list->currentItem()->text(3)));
  }

  void exportsAsCsvAndJson() {
    Harness harness;
    auto window = StartOnCamera(harness);
    QVERIFY(window);
    MetadataList* list = window->Metadata();
    QStringList suggested;
    QString target;
    list->askSavePath = [&](const QString&, const QString& name, const QString&) {
      suggested << name;
      return target;
    };
    target = harness.Path(QStringLiteral("export.csv"));
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier);
    QFile csv(target);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBFTag;Bezeichnung;Information;Rohdaten\r\n;Sektion Main;;\r\n"));
    QVERIFY(bytes.contains((U("\r\n272;Modell;") + list->currentItem()->text(2) + U(";")).toUtf8()));

    target = harness.Path(QStringLiteral("export.json"));
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(suggested, Texts({"hafen.csv", "hafen.json"}));
    QFile json(target);
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QJsonArray files = QJsonDocument::fromJson(json.readAll()).array();
    QCOMPARE(files.size(), 1);
    const QJsonObject file = files.at(0).toObject();
    QCOMPARE(file.value(U("file")).toString(), harness.Path(QStringLiteral("hafen.jpg")));
    QCOMPARE(file.value(U("sections")).toArray().at(0).toObject().value(U("title")).toString(), U("Sektion Main"));
    QCOMPARE(file.value(U("iptc")).toArray().at(1).toObject().value(U("value")).toString(), U("Anna \"Nina\" Roth"));
    QVERIFY(file.value(U("error")).isNull());

    // A cancelled dialog writes nothing; a target that cannot be written leaves a message.
    QVERIFY(QFile::remove(target));
    target.clear();
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!QFile::exists(harness.Path(QStringLiteral("export.json"))));
    QString error;
    QVERIFY(!WriteCsvFile(harness.Path(QStringLiteral("fehlt/x.csv")), list->Rows(), error));
    QVERIFY(error.startsWith(QStringLiteral("Die Datei „")));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListMenuTest)
#include "MetadataListMenuTest.moc"
