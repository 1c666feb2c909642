// kelmarin-exif run as a program over generated files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <sstream>

#include "TestFiles.h"
#include "TiffBuilder.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

using test::Cat;
using test::RunResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Lister : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.jpg");
    test::WriteFile(
        dir / "defs.def",
        "* Testdefinitionen\n#version 2\n#main\n+0x010F,0,0,Hersteller\n+0x010E,0,0,Bildbeschreibung\n"
        "+0x0132,0,1,Datum\n+0x829A,0,0,Belichtungszeit\n+0x0112,0,0,Ausrichtung\n!1,oben, links\n"
        "#thumbnail\n+0x0112,0,0,Ausrichtung\n!1,oben links\n#gps\n+2,0,0,Breite\n");
    test::TiffBuilder tiff(ByteOrder::LittleEndian);
    const auto fraction = [&](std::uint16_t tag, std::vector<std::uint32_t> parts) {
      std::vector<std::uint8_t> bytes;
      for (std::uint32_t part : parts) bytes = Cat({bytes, tiff.U32(part)});
      return tiff.At(tag, 5, static_cast<std::uint32_t>(parts.size() / 2), tiff.Append(bytes));
    };
    const std::uint32_t thumbnail = tiff.AddDirectory({tiff.Short(0x0112, 1)});
    gpsAt = tiff.AddDirectory({fraction(2, {50, 1, 12, 1, 3456, 100})});
    exifAt = tiff.AddDirectory({fraction(0x829A, {1, 125}), fraction(0x829D, {28, 10})});
    tiff.SetFirstDirectory(
        tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin"), tiff.Ascii(0x010E, "a\tb\nc\\d M\xC3\xBCller"),
                           tiff.Ascii(0x0132, "2004:12:24 18:30:00"), tiff.Short(0x0112, 1),
                           tiff.Long(0x8769, exifAt), tiff.Long(0x8825, gpsAt)},
                          thumbnail));
    const std::vector<std::uint8_t> app1 = tiff.App1();
    good = test::MakeJpeg(16, 8, std::vector<std::uint8_t>(app1.begin() + 4, app1.end()));
    test::WriteFile(dir / "good.jpg", good);
    test::WriteFile(dir / "plain.jpg", test::MakeJpeg(4, 4, {}));
    test::WriteFile(dir / "notimage.jpg", std::string("Das ist kein Bild.\n"));
    test::WriteFile(dir / "truncated.jpg", std::vector<std::uint8_t>(good.begin(), good.begin() + 40));
    test::WriteFile(dir / "empty.jpg", std::string());
    test::WriteFile(dir / "bad.def", std::string("#version 2\n#main\n+0x010F,0,Hersteller\n"));
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }

  // Runs the lister in dir on the arguments (file names relative to dir).
  static RunResult Run(const std::string& arguments, const std::string& locale = "de_DE.UTF-8") {
    return test::RunCommand(
        "cd '" + dir.string() + "' && LC_ALL=" + locale + " '" + KELMARIN_EXIF + "' " + arguments, dir);
  }

  static inline const fs::path dir =
      fs::temp_directory_path() / ("kelmarin-lister-" + std::to_string(getpid()));
  static inline const std::string kDefs = "--definitions defs.def ";
  static inline std::vector<std::uint8_t> good;
  static inline std::uint32_t exifAt = 0, gpsAt = 0;
};

TEST_F(Lister, TextRowsOfImagesInAnyLocale) {
  for (const char* locale : {"de_DE.UTF-8", "C"}) {
    const RunResult r = Run(kDefs + "plain.jpg good.jpg", locale);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    if (std::string(locale) == "C") {  // the point form of fractions whatever the locale
      EXPECT_TRUE(r.out.starts_with("# plain.jpg\n\tKeine Exif Infos\t\t\n# good.jpg\n")) << r.out;
      EXPECT_NE(r.out.find("\n33437\t???\tf2.8\t28/10\n"), std::string::npos) << r.out;
      continue;
    }
    // Sections in order, each after a separator row of three TABs; text escaped, values formatted.
    EXPECT_EQ(r.out,
              "# plain.jpg\n\tKeine Exif Infos\t\t\n# good.jpg\n\tSektion Main\t\t\n"
              "271\tHersteller\tKelmarin\tKelmarin\n"
              "270\tBildbeschreibung\ta\\tb\\nc\\\\d Müller\ta\\tb\\nc\\\\d Müller\n"
              "306\tDatum\t24.12.2004 18:30:00\t2004:12:24 18:30:00\n274\tAusrichtung\toben, links\t1\n"
              "34665\t???\t" +
                  std::to_string(exifAt) + "\t" + std::to_string(exifAt) +
                  "\n33434\tBelichtungszeit\t1/125\t1/125\n33437\t???\tf2.8\t28/10\n"
                  "34853\t???\t" +
                  std::to_string(gpsAt) + "\t" + std::to_string(gpsAt) +
                  "\n"
                  "\t\t\t\n\tSektion Thumbnail\t\t\n274\tAusrichtung\toben links\t1\n"
                  "\t\t\t\n\tSektion GPS\t\t\n2\tBreite\t50° 12' 34.56\"\t50/1,12/1,3456/100\n")
        << locale;
  }
}

TEST_F(Lister, UnreadableFilesAreReportedAndSkipped) {
  RunResult r = Run(kDefs + "notimage.jpg good.jpg truncated.jpg folder.jpg empty.jpg missing.jpg plain.jpg");
  EXPECT_EQ(r.status, 1);
  const auto errors = Lines(r.err);
  ASSERT_EQ(errors.size(), 5u) << r.err;
  const char* failed[] = {"notimage.jpg", "truncated.jpg", "folder.jpg", "empty.jpg", "missing.jpg"};
  for (std::size_t i = 0; i < errors.size(); ++i) {
    EXPECT_TRUE(errors[i].starts_with("Fehler 10") && errors[i].ends_with(std::string(": ") + failed[i]))
        << errors[i];
    EXPECT_EQ(r.out.find(std::string("# ") + failed[i]), std::string::npos);
  }
  EXPECT_NE(r.out.find("# good.jpg\n"), std::string::npos);
  EXPECT_NE(r.out.find("# plain.jpg\n"), std::string::npos);
  if (geteuid() == 0) return;  // root reads every file
  test::WriteFile(dir / "locked.jpg", good);
  fs::permissions(dir / "locked.jpg", fs::perms::none);
  r = Run(kDefs + "locked.jpg good.jpg");
  fs::permissions(dir / "locked.jpg", fs::perms::owner_all);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Fehler 1001: locked.jpg\n");
}

TEST_F(Lister, DefinitionFileAndArgumentFailures) {
  RunResult r = Run("--definitions bad.def good.jpg");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Metadaten-Definition laden"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Fehler in Zeile 3"), std::string::npos) << r.err;
  r = Run("--definitions nothing.def good.jpg");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Fehler beim Öffnen der Metadaten-Definitionsdatei"), std::string::npos) << r.err;
  for (const char* arguments : {"--definitions", "--bunt good.jpg", "--definitions defs.def"}) {
    EXPECT_EQ(Run(arguments).status, 2) << arguments;
  }
  r = Run("good.jpg");  // the definition file beside the program
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\tSektion Main\t\t"), std::string::npos);
}

TEST_F(Lister, JsonDocumentAndInfoLabels) {
  RunResult r = Run("--json " + kDefs + "good.jpg notimage.jpg plain.jpg");
  EXPECT_EQ(r.status, 1);
  QJsonParseError error;
  const QJsonArray files = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error).array();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
  ASSERT_EQ(files.size(), 3);
  const QJsonObject first = files[0].toObject();
  EXPECT_EQ(first[QStringLiteral("file")].toString(), QStringLiteral("good.jpg"));
  EXPECT_TRUE(first[QStringLiteral("error")].isNull());
  EXPECT_EQ(first[QStringLiteral("maker")].toInt(-1), 0);
  const QJsonArray sections = first[QStringLiteral("sections")].toArray();
  ASSERT_EQ(sections.size(), 3);
  EXPECT_EQ(sections[0].toObject()[QStringLiteral("section")].toInt(), 1);
  EXPECT_EQ(sections[2].toObject()[QStringLiteral("title")].toString(), QStringLiteral("Sektion GPS"));
  const QJsonObject item = sections[0].toObject()[QStringLiteral("items")].toArray()[1].toObject();
  EXPECT_EQ(item[QStringLiteral("tag")].toInt(), 270);
  EXPECT_EQ(item[QStringLiteral("information")].toString(), QStringLiteral("a\tb\nc\\d Müller"));
  EXPECT_TRUE(first[QStringLiteral("iptc")].isArray() && first[QStringLiteral("comments")].isArray());
  EXPECT_GE(files[1].toObject()[QStringLiteral("error")].toInt(), 1000);
  EXPECT_TRUE(files[2].toObject()[QStringLiteral("sections")].toArray().isEmpty());

  r = Run("--info " + kDefs + "good.jpg notimage.jpg");
  EXPECT_EQ(r.status, 1);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[1], "good.jpg");
  EXPECT_TRUE(lines[2].starts_with("zuletzt geändert: "));
  std::string size = std::to_string(good.size());
  for (int i = static_cast<int>(size.size()) - 3; i > 0; i -= 3)
    size.insert(static_cast<std::size_t>(i), ".");
  EXPECT_EQ(lines[3], "Dateigröße: " + size + " Bytes");
  EXPECT_EQ(lines[4], "Bildausdehnung: 16 x 8 Pixel");
  EXPECT_TRUE(lines[5].starts_with("Ladezeit: ") && lines[5].ends_with(" Millisekunden"));
  EXPECT_EQ(Lines(r.err).size(), 1u);
  r = Run("--info --json " + kDefs + "good.jpg");
  const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array()[0].toObject();
  EXPECT_EQ(info[QStringLiteral("dimensions")].toString(), QStringLiteral("Bildausdehnung: 16 x 8 Pixel"));
  EXPECT_EQ(info[QStringLiteral("name")].toString(), QStringLiteral("good.jpg"));
}

// JSON rows of single list values keep a numeric tag and carry their position.
TEST(JsonArrayRows, PositionRowsCarryTheirPosition) {
  const std::string file = std::string(KELMARIN_SAMPLES_DIR) + "/canon-eos-5d-mark-ii.jpg";
  const auto r = test::RunCommand(std::string("'") + KELMARIN_EXIF + "' --json '" + file + "'",
                                  std::filesystem::temp_directory_path());
  ASSERT_EQ(r.status, 0) << r.err;
  const QJsonArray sections =
      QJsonDocument::fromJson(QByteArray::fromStdString(r.out))[0][u"sections"].toArray();
  const QJsonArray items = sections[2][u"items"].toArray();  // main, thumbnail, makernote, GPS
  ASSERT_GE(items.size(), 2);
  EXPECT_EQ(items[0][u"tag"].toInt(), 1);
  EXPECT_FALSE(items[0].toObject().contains(u"position"));
  EXPECT_EQ(items[1][u"tag"].toInt(), 1);
  EXPECT_EQ(items[1][u"position"].toInt(), 2);
}

}  // namespace
}  // namespace kelmarin
