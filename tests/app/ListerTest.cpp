// kelmarin-exif run as a program over generated files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

using test::ReadText;
using test::RunResult;

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A byte count with German thousands separators.
std::string Grouped(std::size_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
    digits.insert(static_cast<std::size_t>(i), ".");
  return digits;
}

bool HasLine(const std::string& text, const std::string& line) {
  const auto lines = Lines(text);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class Lister : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = fs::temp_directory_path() / ("kelmarin-lister-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    test::WriteFile(
        dir / "defs.def",
        "* Testdefinitionen\n#version 2\n#main\n+0x010F,0,0,Hersteller\n+0x010E,0,0,Bildbeschreibung\n"
        "+0x0132,0,1,Datum\n+0x829A,0,0,Belichtungszeit\n+0x0112,0,0,Ausrichtung\n!1,oben, links\n"
        "#thumbnail\n+0x0112,0,0,Ausrichtung\n!1,oben links\n#gps\n+2,0,0,Breite\n");
    test::TiffBuilder tiff;
    const int exif = tiff.AddDirectory();
    const int gps = tiff.AddDirectory();
    const int thumbnail = tiff.AddDirectory();
    tiff.Ascii(0, 0x010F, "Kelmarin");
    tiff.Ascii(0, 0x010E, "a\tb\nc\\d M\xC3\xBCller");
    tiff.Ascii(0, 0x0132, "2004:12:24 18:30:00");
    tiff.Short(0, 0x0112, 1);
    tiff.Link(0, 0x8769, exif);
    tiff.Link(0, 0x8825, gps);
    tiff.Next(0, thumbnail);
    tiff.Rationals(exif, 0x829A, {{1, 125}});
    tiff.Rationals(exif, 0x829D, {{28, 10}});
    tiff.Rationals(gps, 2, {{50, 1}, {12, 1}, {3456, 100}});
    tiff.Short(thumbnail, 0x0112, 1);
    good = test::MakeJpeg(16, 8, test::ExifPayload(tiff));
    test::WriteFile(dir / "good.jpg", good);
    test::WriteFile(dir / "plain.jpg", test::MakeJpeg(4, 4, {}));
    test::WriteFile(dir / "notimage.jpg", std::string("Das ist kein Bild.\n"));
    test::WriteFile(dir / "truncated.jpg", std::vector<std::uint8_t>(good.begin(), good.begin() + 40));
    test::WriteFile(dir / "empty.jpg", std::string());
    fs::create_directories(dir / "folder.jpg");
    test::WriteFile(dir / "bad.def", std::string("#version 2\n#main\n+0x010F,0,Hersteller\n"));
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }

  static RunResult Run(const std::string& arguments, const std::string& locale = "de_DE.UTF-8") {
    return test::RunCommand("LC_ALL=" + locale + " " + Quote(KELMARIN_EXIF) + " " + arguments, dir);
  }
  static std::string Path(const std::string& name) { return (dir / name).string(); }
  static std::string Defs() { return "--definitions " + Quote(Path("defs.def")) + " "; }

  static inline fs::path dir;
  static inline std::vector<std::uint8_t> good;
};

TEST_F(Lister, TextRowsOfAnImage) {
  const RunResult r = Run(Defs() + Quote(Path("good.jpg")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "# " + Path("good.jpg"));
  EXPECT_EQ(lines[1], "\tSektion Main\t\t");
  EXPECT_EQ(lines[2], "271\tHersteller\tKelmarin\tKelmarin");
  EXPECT_TRUE(HasLine(r.out, "270\tBildbeschreibung\ta\\tb\\nc\\\\d Müller\ta\\tb\\nc\\\\d Müller"));
  EXPECT_TRUE(HasLine(r.out, "306\tDatum\t24.12.2004 18:30:00\t2004:12:24 18:30:00"));
  EXPECT_TRUE(HasLine(r.out, "274\tAusrichtung\toben, links\t1"));
  EXPECT_TRUE(HasLine(r.out, "33434\tBelichtungszeit\t1/125\t1/125"));
  EXPECT_TRUE(HasLine(r.out, "33437\t???\tf2.8\t28/10"));
  EXPECT_TRUE(HasLine(r.out, "274\tAusrichtung\toben links\t1"));
  EXPECT_TRUE(HasLine(r.out, "2\tBreite\t50° 12' 34.56\"\t50/1,12/1,3456/100"));
  // Sections in order, each after a separator row of three TABs.
  const std::string& o = r.out;
  const auto thumb = o.find("\t\t\t\n\tSektion Thumbnail\t\t\n");
  const auto gps = o.find("\t\t\t\n\tSektion GPS\t\t\n");
  ASSERT_NE(thumb, std::string::npos);
  ASSERT_NE(gps, std::string::npos);
  EXPECT_LT(thumb, gps);
  EXPECT_EQ(o.find("Sektion Makernote"), std::string::npos);
}

TEST_F(Lister, ImageWithoutExifAndCLocale) {
  const RunResult r = Run(Defs() + Quote(Path("plain.jpg")) + " " + Quote(Path("good.jpg")), "C");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "\tKeine Exif Infos\t\t");
  EXPECT_EQ(lines[2], "# " + Path("good.jpg"));
  EXPECT_TRUE(HasLine(r.out, "33437\t???\tf2.8\t28/10"));
}

TEST_F(Lister, UnreadableFilesAreReportedAndSkipped) {
  std::string arguments = Defs();
  for (const char* name :
       {"notimage.jpg", "good.jpg", "truncated.jpg", "folder.jpg", "empty.jpg", "missing.jpg", "plain.jpg"}) {
    arguments += Quote(Path(name)) + " ";
  }
  const RunResult r = Run(arguments);
  EXPECT_EQ(r.status, 1);
  const auto errors = Lines(r.err);
  ASSERT_EQ(errors.size(), 5u) << r.err;
  const char* failed[] = {"notimage.jpg", "truncated.jpg", "folder.jpg", "empty.jpg", "missing.jpg"};
  for (std::size_t i = 0; i < errors.size(); ++i) {
    EXPECT_EQ(errors[i].rfind("Fehler 10", 0), 0u) << errors[i];
    EXPECT_TRUE(errors[i].size() > 11 && errors[i].ends_with(": " + Path(failed[i]))) << errors[i];
    EXPECT_EQ(r.out.find("# " + Path(failed[i])), std::string::npos);
  }
  EXPECT_NE(r.out.find("# " + Path("good.jpg") + "\n"), std::string::npos);
  EXPECT_NE(r.out.find("# " + Path("plain.jpg") + "\n"), std::string::npos);
}

TEST_F(Lister, FileWithoutPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file: the permission check needs another user";
  const fs::path locked = dir / "locked.jpg";
  test::WriteFile(locked, good);
  fs::permissions(locked, fs::perms::none);
  const RunResult r = Run(Defs() + Quote(locked.string()) + " " + Quote(Path("good.jpg")));
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Fehler 1001: " + locked.string() + "\n");
  EXPECT_NE(r.out.find("# " + Path("good.jpg")), std::string::npos);
}

TEST_F(Lister, DefinitionFileFailures) {
  RunResult r = Run("--definitions " + Quote(Path("bad.def")) + " " + Quote(Path("good.jpg")));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Metadaten-Definition laden"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Fehler in Zeile 3"), std::string::npos) << r.err;
  r = Run("--definitions " + Quote(Path("nothing.def")) + " " + Quote(Path("good.jpg")));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Fehler beim Öffnen der Metadaten-Definitionsdatei"), std::string::npos) << r.err;
  EXPECT_EQ(Run("--definitions").status, 2);
  EXPECT_EQ(Run("--bunt " + Quote(Path("good.jpg"))).status, 2);
  EXPECT_EQ(Run(Defs()).status, 2);
}

TEST_F(Lister, DefaultDefinitionFileBesideTheProgram) {
  const RunResult r = Run(Quote(Path("good.jpg")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\tSektion Main\t\t"), std::string::npos);
}

TEST_F(Lister, JsonDocument) {
  const RunResult r = Run("--json " + Defs() + Quote(Path("good.jpg")) + " " + Quote(Path("notimage.jpg")) +
                          " " + Quote(Path("plain.jpg")));
  EXPECT_EQ(r.status, 1);
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
  const QJsonArray files = doc.array();
  ASSERT_EQ(files.size(), 3);
  const QJsonObject first = files[0].toObject();
  EXPECT_EQ(first[QStringLiteral("file")].toString().toStdString(), Path("good.jpg"));
  EXPECT_TRUE(first[QStringLiteral("error")].isNull());
  EXPECT_EQ(first[QStringLiteral("maker")].toInt(-1), 0);
  const QJsonArray sections = first[QStringLiteral("sections")].toArray();
  ASSERT_EQ(sections.size(), 3);
  EXPECT_EQ(sections[0].toObject()[QStringLiteral("section")].toInt(), 1);
  EXPECT_EQ(sections[0].toObject()[QStringLiteral("title")].toString(), QStringLiteral("Sektion Main"));
  EXPECT_EQ(sections[2].toObject()[QStringLiteral("title")].toString(), QStringLiteral("Sektion GPS"));
  const QJsonObject item = sections[0].toObject()[QStringLiteral("items")].toArray()[1].toObject();
  EXPECT_EQ(item[QStringLiteral("tag")].toInt(), 270);
  EXPECT_EQ(item[QStringLiteral("information")].toString(), QStringLiteral("a\tb\nc\\d Müller"));
  EXPECT_TRUE(first[QStringLiteral("iptc")].isArray());
  EXPECT_TRUE(first[QStringLiteral("comments")].isArray());
  EXPECT_GE(files[1].toObject()[QStringLiteral("error")].toInt(), 1000);
  EXPECT_TRUE(files[2].toObject()[QStringLiteral("sections")].toArray().isEmpty());
}

TEST_F(Lister, InfoLabels) {
  RunResult r = Run("--info " + Defs() + Quote(Path("good.jpg")) + " " + Quote(Path("notimage.jpg")));
  EXPECT_EQ(r.status, 1);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[1], "good.jpg");
  EXPECT_EQ(lines[2].rfind("zuletzt geändert: ", 0), 0u);
  EXPECT_EQ(lines[3], "Dateigröße: " + Grouped(good.size()) + " Bytes");
  EXPECT_EQ(lines[4], "Bildausdehnung: 16 x 8 Pixel");
  EXPECT_EQ(lines[5].rfind("Ladezeit: ", 0), 0u);
  EXPECT_TRUE(lines[5].ends_with(" Millisekunden"));
  EXPECT_EQ(Lines(r.err).size(), 1u);
  r = Run("--info --json " + Defs() + Quote(Path("good.jpg")));
  ASSERT_EQ(r.status, 0) << r.err;
  const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array()[0].toObject();
  EXPECT_EQ(info[QStringLiteral("dimensions")].toString(), QStringLiteral("Bildausdehnung: 16 x 8 Pixel"));
  EXPECT_EQ(info[QStringLiteral("name")].toString(), QStringLiteral("good.jpg"));
}

}  // namespace
}  // namespace kelmarin
