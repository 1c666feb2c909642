// kelmarin-exif run as a program over generated files: its rows, JSON and information labels, its
// messages, damaged and hostile files (each listed or reported, the program ends normally), its
// image module (JPEG and PNG need none; --info and the other formats load it, and without it the
// program says so and stops with status 2), and the makernote rows of bundled camera samples
// against the listings under golden/.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "FileWriters.h"
#include "ListerSupport.h"
#include "TiffBuilder.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

using test::Bytes;
using test::Cat;
using test::TiffBuilder;
using namespace listertest;

// A count as the German locale writes it: 12.345.
std::string GermanCount(std::size_t n) {
  return QLocale(QLocale::German).toString(static_cast<qulonglong>(n)).toStdString();
}

class Lister : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.jpg");
    WriteFile(
        dir / "defs.def",
        Bytes("* Testdefinitionen\n#version 2\n#main\n+0x010F,0,0,Hersteller\n+0x010E,0,0,Bildbeschreibung\n"
              "+0x0132,0,1,Datum\n+0x829A,0,0,Belichtungszeit\n+0x0112,0,0,Ausrichtung\n!1,oben, links\n"
              "#thumbnail\n+0x0112,0,0,Ausrichtung\n!1,oben links\n#gps\n+2,0,0,Breite\n"));
    TiffBuilder tiff(ByteOrder::LittleEndian);
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
    good = MakeJpeg(16, 8, std::vector<std::uint8_t>(app1.begin() + 4, app1.end()));
    WriteFile(dir / "good.jpg", good);
    WriteFile(dir / "plain.jpg", MakeJpeg(4, 4, {}));
    WriteFile(dir / "notimage.jpg", Bytes("Das ist kein Bild.\n"));
    WriteFile(dir / "truncated.jpg", std::vector<std::uint8_t>(good.begin(), good.begin() + 40));
    WriteFile(dir / "empty.jpg", {});
    WriteFile(dir / "bad.def", Bytes("#version 2\n#main\n+0x010F,0,Hersteller\n"));
    // The program alone, without the image module beside it; a GIF file named as one and not.
    fs::create_directories(dir / "bin");
    fs::copy_file(KELMARIN_EXIF, dir / "bin" / "kelmarin-exif");
    fs::copy_file(fs::path(KELMARIN_SAMPLES_DIR) / "landscape.gif", dir / "picture.gif");
    fs::copy_file(fs::path(KELMARIN_SAMPLES_DIR) / "landscape.gif", dir / "picture");
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }

  // Runs the lister in dir on the arguments (file names relative to dir).
  static RunResult Run(const std::string& arguments, const std::string& locale = "de_DE.UTF-8",
                       const fs::path& program = KELMARIN_EXIF) {
    return RunCommand(
        "cd '" + dir.string() + "' && LC_ALL=" + locale + " '" + program.string() + "' " + arguments, dir);
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
    // Sections in order, each after a separator row of three TABs; text escaped, values formatted,
    // fractions in their point form whatever the locale.
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

// --summary: "Caption: text" per line instead of the rows, a "summary" object in JSON; files that
// cannot be read are reported as without it, and folders walked with -r.
TEST_F(Lister, SummaryTextAndJson) {
  RunResult r = Run(kDefs + "--summary plain.jpg good.jpg notimage.jpg");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "# plain.jpg\n# good.jpg\nKamera: Kelmarin\nBelichtung: 1/125 s, f/2,8\nBild: oben, links\n");
  EXPECT_TRUE(r.err.starts_with("Fehler ")) << r.err;

  fs::create_directories(dir / "walk");
  fs::copy_file(dir / "good.jpg", dir / "walk" / "g.jpg", fs::copy_options::overwrite_existing);
  r = Run(kDefs + "--summary --json -r walk notimage.jpg");
  const QJsonArray files = Json(r.out).array();
  ASSERT_EQ(files.size(), 2);
  const QJsonObject summary = files[0][u"summary"].toObject();
  EXPECT_EQ(summary.keys(), QStringList({u"camera"_qs, u"exposureTime"_qs, u"fNumber"_qs, u"from"_qs}));
  EXPECT_EQ(std::tuple(files[0][u"file"].toString(), summary[u"exposureTime"].toDouble(),
                       summary[u"fNumber"].toDouble(), summary[u"from"][u"exposure"][1][u"tag"].toString(),
                       files[0].toObject().contains(u"sections")),
            std::tuple(u"walk/g.jpg"_qs, 0.008, 2.8, u"33437"_qs, false));
  EXPECT_TRUE(files[1][u"error"].toInt() >= 1000 && !files[1].toObject().contains(u"summary"));
}

// The locale's forms come from the image module once and are then read from the cache folder while
// the locale settings stay; without the module the program's own German forms stand.
TEST_F(Lister, LocaleFormsKeptInTheCacheFolder) {
  const fs::path cache = dir / "cache";
  const std::string english = "en_US.UTF-8 XDG_CACHE_HOME='" + cache.string() + "'";
  const auto dateRow = [&](const std::string& locale, const fs::path& program = KELMARIN_EXIF) {
    const RunResult r = Run(kDefs + "good.jpg", locale, program);
    const std::size_t at = r.out.find("306\t");
    return at == std::string::npos ? r.err : r.out.substr(at, r.out.find('\n', at) - at);
  };
  EXPECT_EQ(dateRow(english), "306\tDatum\t12/24/2004 6:30:00 PM\t2004:12:24 18:30:00");
  std::string kept = ReadText(cache / "kelmarin" / "locale");
  const std::size_t form = kept.find("\nM/d/yyyy\n");
  ASSERT_NE(form, std::string::npos) << kept;
  WriteFile(cache / "kelmarin" / "locale", Bytes(kept.replace(form + 1, 8, "yyyy-MM-dd")));
  EXPECT_EQ(dateRow(english), "306\tDatum\t2004-12-24 6:30:00 PM\t2004:12:24 18:30:00");
  EXPECT_EQ(dateRow("C XDG_CACHE_HOME='" + cache.string() + "'"),
            "306\tDatum\t24.12.2004 18:30:00\t2004:12:24 18:30:00");
  EXPECT_EQ(dateRow(english), "306\tDatum\t12/24/2004 6:30:00 PM\t2004:12:24 18:30:00");
  EXPECT_EQ(
      dateRow("en_US.UTF-8 XDG_CACHE_HOME='" + (dir / "other").string() + "'", dir / "bin" / "kelmarin-exif"),
      "306\tDatum\t24.12.2004 18:30:00\t2004:12:24 18:30:00");
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
  EXPECT_TRUE(r.out.find("# good.jpg\n") != std::string::npos &&
              r.out.find("# plain.jpg\n") != std::string::npos);
  if (geteuid() == 0) return;  // root reads every file
  WriteFile(dir / "locked.jpg", good);
  fs::permissions(dir / "locked.jpg", fs::perms::none);
  r = Run(kDefs + "locked.jpg good.jpg");
  fs::permissions(dir / "locked.jpg", fs::perms::owner_all);
  EXPECT_EQ(std::pair(r.status, r.err), std::pair(1, std::string("Fehler 1001: locked.jpg\n")));
}

TEST_F(Lister, DefinitionFileAndArgumentFailures) {
  RunResult r = Run("--definitions bad.def good.jpg");
  EXPECT_EQ(std::pair(r.status, r.out), std::pair(2, std::string()));
  EXPECT_TRUE(r.err.find("Metadaten-Definition laden") != std::string::npos &&
              r.err.find("Fehler in Zeile 3") != std::string::npos)
      << r.err;
  r = Run("--definitions nothing.def good.jpg");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Fehler beim Öffnen der Metadaten-Definitionsdatei"), std::string::npos) << r.err;
  for (const char* arguments : {"--definitions", "--bunt good.jpg", "--definitions defs.def"}) {
    EXPECT_EQ(Run(arguments).status, 2) << arguments;
  }
}

TEST_F(Lister, JsonDocumentAndInfoLabels) {
  const std::string canon = std::string(KELMARIN_SAMPLES_DIR) + "/canon-eos-5d-mark-ii.jpg";
  RunResult r = Run(std::string("--json --definitions '") + KELMARIN_DEF_FILE +
                    "' good.jpg notimage.jpg plain.jpg '" + canon + "'");
  EXPECT_EQ(r.status, 1);
  const QJsonArray files = Json(r.out).array();
  ASSERT_EQ(files.size(), 4);
  const QJsonValue first = files[0], item = first[u"sections"][0][u"items"][1];
  EXPECT_EQ(
      std::tuple(first[u"file"].toString(), first[u"error"].isNull(), first[u"maker"].toInt(-1),
                 first[u"sections"].toArray().size(), first[u"sections"][0][u"section"].toInt(),
                 first[u"sections"][2][u"title"].toString(), item[u"tag"].toInt(),
                 item[u"information"].toString(), first[u"iptc"].isArray() && first[u"comments"].isArray()),
      std::tuple(QStringLiteral("good.jpg"), true, 0, 3, 1, QStringLiteral("Sektion GPS"), 270,
                 QStringLiteral("a\tb\nc\\d Müller"), true));
  EXPECT_TRUE(files[1][u"error"].toInt() >= 1000 && files[2][u"sections"].toArray().isEmpty());
  // Rows of single list values keep a numeric tag and carry their position.
  const QJsonArray notes = files[3][u"sections"][2][u"items"].toArray();  // main, thumbnail, makernote
  ASSERT_GE(notes.size(), 2);
  EXPECT_EQ(std::tuple(notes[0][u"tag"].toInt(), notes[0].toObject().contains(u"position"),
                       notes[1][u"tag"].toInt(), notes[1][u"position"].toInt()),
            std::tuple(1, false, 1, 2));

  r = Run("--info " + kDefs + "good.jpg notimage.jpg");
  EXPECT_EQ(r.status, 1);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(std::tuple(lines[1], lines[3], lines[4], Lines(r.err).size()),
            std::tuple("good.jpg", "Dateigröße: " + GermanCount(good.size()) + " Bytes",
                       "Bildausdehnung: 16 x 8 Pixel", 1u));
  EXPECT_TRUE(lines[2].starts_with("zuletzt geändert: ") && lines[5].starts_with("Ladezeit: ") &&
              lines[5].ends_with(" Millisekunden"));
  r = Run("--info --json " + kDefs + "good.jpg");
  const QJsonObject info = Json(r.out).array()[0].toObject();
  EXPECT_EQ(info[u"name"].toString() + u'|' + info[u"dimensions"].toString(),
            QStringLiteral("good.jpg|Bildausdehnung: 16 x 8 Pixel"));
}

// --info of a JPEG loads no toolkit: the picture is held without one. The size and date of a file
// whose name is no UTF-8 are read from the file itself.
TEST_F(Lister, InfoOfAJpegLoadsNoToolkit) {
  fs::copy_file(dir / "good.jpg", dir / "g\xFF.jpg", fs::copy_options::overwrite_existing);
  // A cache folder of its own, its locale forms written by a first run: other tests running at the
  // same time write the shared cache for their locales, and a cache miss rightly loads the toolkit.
  const std::string cache = "de_DE.UTF-8 XDG_CACHE_HOME='" + (dir / "info-cache").string() + "'";
  ASSERT_EQ(Run("--info " + kDefs + "good.jpg", cache).status, 0);
  const RunResult r = Run("--info " + kDefs + "'g\xFF.jpg'", cache + " LD_DEBUG=libs");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("kelmarin-exif-image.so"), std::string::npos);  // the loader's report is there
  EXPECT_EQ(r.err.find("libQt6"), std::string::npos);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(std::tuple(lines[1], lines[2].size() > std::string("zuletzt geändert: ").size(), lines[3]),
            std::tuple("g\xEF\xBF\xBD.jpg", true, "Dateigröße: " + GermanCount(good.size()) + " Bytes"));
}

// Hostile directories (counts that overflow, bad types, GPS values outside the block, a makernote
// cut in its own header), the good file cut and with flipped bytes, and files of other formats
// that hold only text.
TEST_F(Lister, DamagedAndHostileFilesAreListedOrReported) {
  std::vector<std::string> files;
  const auto add = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    WriteFile(dir / name, bytes);
    files.push_back(name);
  };
  TiffBuilder counts(ByteOrder::LittleEndian), gps(ByteOrder::LittleEndian), nikon(ByteOrder::LittleEndian);
  counts.SetFirstDirectory(counts.AddDirectory({counts.At(0x0111, 4, 0xFFFFFFFFu, 0xFFFFFF00u),
                                                counts.At(0x829A, 5, 0x40000000u, 26),
                                                counts.At(0x9286, 7, 0, 0), counts.At(0x0100, 13, 1, 0)}));
  const std::uint32_t gpsDirectory =
      gps.AddDirectory({gps.At(2, 5, 3, 0xFFFF), gps.At(4, 10, 3, 8), gps.Inline(0, 1, 4, {2, 2, 0, 0})});
  gps.SetFirstDirectory(gps.AddDirectory({gps.Long(0x8825, gpsDirectory)}));
  const std::uint32_t note = nikon.AppendText(std::string("Nikon\0\2\0\0\0MM\0*", 14));
  nikon.SetFirstDirectory(nikon.AddDirectory({nikon.At(0x927C, 7, 100, note), nikon.Ascii(0x010F, "NIKON")}));
  for (const TiffBuilder* block : {&counts, &gps, &nikon}) {
    const std::vector<std::uint8_t> app1 = block->App1();
    add("hostile" + std::to_string(files.size()) + ".jpg", MakeJpeg(8, 8, {app1.begin() + 4, app1.end()}));
  }
  add("header-only.jpg", MakeJpeg(8, 8, Cat({Bytes(std::string_view("Exif\0\0MM\0*", 10)), {0, 0, 0, 8}})));
  add("exif-only.jpg", MakeJpeg(8, 8, Bytes("Exif")));
  for (std::size_t cut : {std::size_t{2}, std::size_t{3}, std::size_t{20}, good.size() / 2, good.size() - 2})
    add("cut" + std::to_string(cut) + ".jpg", {good.begin(), good.begin() + static_cast<long>(cut)});
  std::mt19937 random(5);
  for (int i = 0; i < 40; ++i) {
    auto bytes = good;
    for (int k = 0; k < 8; ++k) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    add("flipped" + std::to_string(i) + ".jpg", bytes);
  }
  for (const char* name : {"text.png", "text.tif", "text.gif", "text.bmp", "text.cr2", "text.jp2", "noext",
                           "text.pcd", "text.jxl", "text.heic", "text.webp"})
    add(name, Bytes("kein Bild, nur Text\n"));
  add("soi-only", Bytes("\xFF\xD8\xFF"));
  add("png-signature.png", Bytes(std::string_view("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));

  for (const std::string mode : {"", "--json "}) {
    std::string arguments = mode;
    for (const std::string& f : files) arguments += "'" + f + "' ";
    const RunResult r = Run(arguments);
    ASSERT_TRUE(r.status == 0 || r.status == 1) << "ended by a signal or failed: " << mode;
    for (const std::string& line : Lines(r.err))
      EXPECT_TRUE(line.starts_with("Fehler ")) << line;  // no library's
    for (const std::string& f : files) {
      const bool listed = r.out.find(mode.empty() ? "# " + f + "\n" : "\"" + f + "\"") != std::string::npos;
      const bool reported = r.err.find(": " + f + "\n") != std::string::npos;
      EXPECT_TRUE(listed != reported || (!mode.empty() && listed)) << f;
    }
    if (!mode.empty()) {
      EXPECT_EQ(Json(r.out).array().size(), static_cast<qsizetype>(files.size()));
    }
  }
  const RunResult info = Run("--info text.jxl text.heic text.webp text.tif");
  EXPECT_EQ(Lines(info.err).size(), 4u) << info.err;
  for (const std::string& line : Lines(info.err)) EXPECT_TRUE(line.starts_with("Fehler ")) << line;
}

TEST_F(Lister, MissingImageModuleStopsOnlyWhatNeedsIt) {
  if (fs::exists(fs::path(KELMARIN_INSTALL_MODULE_DIR) / "kelmarin-exif-image.so"))
    GTEST_SKIP() << "an installed module would be found";
  const fs::path lonely = dir / "bin" / "kelmarin-exif";
  // JPEG (and PNG) files are listed without it.
  RunResult r = Run(kDefs + "plain.jpg", "de_DE.UTF-8", lonely);
  EXPECT_TRUE(r.status == 0 && r.out.starts_with("# plain.jpg\n")) << r.err;
  // --info and a file named as another format: the reason, before any output.
  const std::string reason = "kelmarin-exif: Das Bildmodul kelmarin-exif-image.so fehlt";
  for (const std::string arguments :
       {"--info plain.jpg", "plain.jpg picture.gif", "--json plain.jpg picture.gif"}) {
    SCOPED_TRACE(arguments);
    r = Run(kDefs + arguments, "de_DE.UTF-8", lonely);
    EXPECT_EQ(
        std::tuple(r.status, r.out, r.err.starts_with(reason), std::count(r.err.begin(), r.err.end(), '\n')),
        std::tuple(2, "", true, 1))
        << r.err;
  }
  // Another format found by content: the files before it are listed, then the program stops.
  r = Run(kDefs + "plain.jpg picture plain.jpg", "de_DE.UTF-8", lonely);
  EXPECT_EQ(std::tuple(r.status, r.out, r.err.starts_with(reason)),
            std::tuple(2, "# plain.jpg\n\tKeine Exif Infos\t\t\n", true))
      << r.err;
  // RAW files of no known container need LibRaw only, not the image module.
  WriteFile(dir / "cut.raw", Bytes("kein Bild, nur Text\n"));
  r = Run(kDefs + "cut.raw plain.jpg", "de_DE.UTF-8", lonely);
  EXPECT_EQ(std::tuple(r.status, r.err, r.out),
            std::tuple(1, "Fehler 1003: cut.raw\n", "# plain.jpg\n\tKeine Exif Infos\t\t\n"));
}

// The codec modules beside the image module come before the build tree's; a file there that is no
// module is passed over.
TEST_F(Lister, CodecModulesBesideTheImageModuleComeFirst) {
  const fs::path built = fs::path(KELMARIN_EXIF).parent_path(), copy = dir / "copied";
  fs::create_directories(copy);
  const auto overwrite = fs::copy_options::overwrite_existing;
  for (const char* file : {"kelmarin-exif", "kelmarin-exif-image.so"})
    fs::copy_file(built / file, copy / file, overwrite);
  const std::string tiff = std::string(KELMARIN_SAMPLES_DIR) + "/landscape.tif";
  WriteFile(copy / "kelmarin-codec-tiff.so", Bytes("kein Modul\n"));
  RunResult r = Run(kDefs + "--info '" + tiff + "'", "de_DE.UTF-8", copy / "kelmarin-exif");
  EXPECT_EQ(std::pair(r.status, r.err), std::pair(0, std::string()));
  // Another format's module under the TIFF module's name is taken, and cannot read the file.
  fs::copy_file(built / "kelmarin-codec-heif.so", copy / "kelmarin-codec-tiff.so", overwrite);
  r = Run(kDefs + "--info '" + tiff + "'", "de_DE.UTF-8", copy / "kelmarin-exif");
  EXPECT_EQ(std::pair(r.status, r.err), std::pair(1, "Fehler 1003: " + tiff + "\n"));
}

TEST_F(Lister, EveryFormatOfTheSamplesIsListedAndLoaded) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(KELMARIN_SAMPLES_DIR)) {
    if (entry.path().stem() == "landscape") names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_GE(names.size(), 10u);
  std::string arguments;
  for (const std::string& name : names) arguments += "'" + name + "' ";
  RunResult r = Run(kDefs + arguments);
  EXPECT_EQ(std::pair(r.status, r.err),
            std::pair(0, std::string()));  // nor any chatter of the libraries or of Qt
  for (const std::string& name : names) {
    // TIFF and DNG carry their directories as metadata.
    const bool tiff = name.ends_with(".tif") || name.ends_with(".dng");
    const std::string rows = tiff ? "\tSektion Main\t\t\n" : "\tKeine Exif Infos\t\t\n";
    EXPECT_NE(r.out.find("# " + name + "\n" + rows), std::string::npos) << name;
  }
  // Fully loaded, the metafile ones included (EMF is drawn with a GUI application the module makes).
  r = Run(kDefs + "--info " + arguments);
  EXPECT_EQ(std::tuple(r.status, r.err, std::count(r.out.begin(), r.out.end(), '\n')),
            std::tuple(0, "", static_cast<long>(names.size()) * 6));
}

// The "# " line and the makernote section of a listing.
std::string MakernoteRows(const std::string& listing) {
  std::istringstream in(listing);
  std::string rows;
  bool keep = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("\tSektion ")) keep = line == "\tSektion Makernote\t\t";
    if (line.starts_with("# ") || (keep && line != "\t\t\t")) rows += line + "\n";
  }
  return rows;
}

// The makernote rows of bundled camera JPEGs, listed in a German locale, against golden/ (one file
// per sample, named after it). KELMARIN_UPDATE_GOLDEN=1 writes them anew (then review the diff); an
// empty file named after a sample adds it.
TEST(GoldenListings, MakernotesOfTheBundledCameraSamples) {
  const fs::path samples = KELMARIN_SAMPLES_DIR;
  int listed = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(KELMARIN_TEST_SOURCE_DIR) / "golden")) {
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(samples / name)) << "stale golden listing";
    // Run inside the samples folder, so the "# " line holds the bare file name.
    const RunResult r = RunCommand(
        "cd '" + samples.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF + "' '" + name + "'",
        fs::temp_directory_path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string rows = MakernoteRows(r.out);
    EXPECT_NE(rows.find("\tSektion Makernote\t\t\n"), std::string::npos);
    ++listed;
    if (std::getenv("KELMARIN_UPDATE_GOLDEN") != nullptr) {
      std::ofstream(entry.path(), std::ios::binary) << rows;
    } else {
      EXPECT_EQ(rows, ReadText(entry.path()));
    }
  }
  EXPECT_GE(listed, 2);
}

// Many files in one process (read on several threads) give exactly what listing each file on its
// own gives, in the order given: text, JSON and the error lines.
TEST_F(Lister, OneProcessListsAsEachFileAlone) {
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) {  // more than one batch of files
    names.push_back("f" + std::to_string(i) + (i % 25 == 7 ? ".bmp" : ".jpg"));
    const fs::path path = dir / names.back();
    TiffBuilder tiff(i % 2 == 0 ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
    tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kamera " + std::to_string(i)),
                                              tiff.Short(0x0112, static_cast<std::uint16_t>(i % 8 + 1))}));
    const std::vector<std::uint8_t> app1 = tiff.App1();
    if (i % 25 == 7) {
      ASSERT_TRUE(samples::WriteMagick(path.string(), "BMP", samples::Quadrants(4, 4)));
    } else {
      WriteFile(path, i % 10 == 3 ? std::vector<std::uint8_t>(9, 7)
                                  : MakeJpeg(8 + i, 8, {app1.begin() + 4, app1.end()}));
    }
  }
  const std::string definitions = std::string("--definitions '") + KELMARIN_DEF_FILE + "' ";
  for (const std::string mode : {"", "--json "}) {
    std::string all, out, err;
    for (const std::string& name : names) {
      all += name + " ";
      const RunResult alone = Run(definitions + mode + name);
      err += alone.err;
      // JSON: "[" object "]\n" each, the objects joined by commas
      out += mode.empty() ? alone.out : (out.empty() ? "" : ",") + alone.out.substr(1, alone.out.size() - 3);
    }
    const RunResult together = Run(definitions + mode + all);
    EXPECT_EQ(std::pair(together.status, together.err), std::pair(1, err));
    EXPECT_EQ(together.out, mode.empty() ? out : "[" + out + "]\n") << mode;
  }
}

// A column as the text form writes it.
std::string Escaped(const QString& column) {
  return EscapedByteByByte(column.toStdString());
}

// The text form is written as the rows are made, the JSON form from the list of rows the window
// shows: both tell the same rows of camera files of several makers (display codes, makernote
// sub-directories, lists with their single values), texts with escapes, and XMP (whose values as
// written only the text form shows: of those rows, the first three columns are compared).
TEST_F(Lister, TextFormTellsTheRowsOfTheJsonForm) {
  std::string files = "good.jpg plain.jpg";
  for (const auto& entry : fs::directory_iterator(KELMARIN_SAMPLES_DIR)) {
    if (entry.path().extension() == ".jpg") files += " '" + entry.path().string() + "'";
  }
  const std::string definitions = std::string("--definitions '") + KELMARIN_DEF_FILE + "' ";
  const RunResult text = Run(definitions + files), json = Run(definitions + "--json " + files);
  ASSERT_EQ(text.status, 0) << text.err;
  const QJsonArray objects = Json(json.out).array();
  ASSERT_GE(objects.size(), 8);
  std::vector<std::string> expected;
  std::vector<std::size_t> xmpRows;  // lines expected without their raw column
  std::size_t subRows = 0;
  for (const QJsonValue object : objects) {
    expected.push_back("# " + object[u"file"].toString().toStdString());
    const QJsonArray sections = object[u"sections"].toArray();
    if (sections.isEmpty()) expected.push_back("\tKeine Exif Infos\t\t");
    for (const QJsonValue section : sections) {
      if (section != sections.first()) expected.push_back("\t\t\t");
      expected.push_back("\t" + Escaped(section[u"title"].toString()) + "\t\t");
      std::string owner;
      for (const QJsonValue item : section[u"items"].toArray()) {
        std::string tag = std::to_string(item[u"tag"].toInt());
        if (item[u"directory"].toInt() != 0) tag = std::to_string(item[u"directory"].toInt()) + ":" + tag;
        if (item[u"position"].toInt() == 0) {
          owner = tag;
        } else {
          tag = owner + "." + std::to_string(item[u"position"].toInt());
          ++subRows;
        }
        expected.push_back(tag + "\t" + Escaped(item[u"label"].toString()) + "\t" +
                           Escaped(item[u"information"].toString()) + "\t" +
                           Escaped(item[u"raw"].toString()));
      }
    }
    QString source;
    for (const QJsonValue entry : object[u"xmp"].toArray()) {
      if (source != entry[u"source"].toString()) {
        source = entry[u"source"].toString();
        expected.push_back("\t\t\t");
        expected.push_back(source == u"eingebettet" ? "\tXMP\t\t" : "\tXMP (" + Escaped(source) + ")\t\t");
      }
      xmpRows.push_back(expected.size());
      expected.push_back(Escaped(entry[u"path"].toString()) + "\t" + Escaped(entry[u"label"].toString()) +
                         "\t" + Escaped(entry[u"value"].toString()) + "\t");
    }
  }
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), expected.size()) << text.out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool xmp = std::find(xmpRows.begin(), xmpRows.end(), i) != xmpRows.end();
    EXPECT_EQ(xmp ? lines[i].substr(0, expected[i].size()) : lines[i], expected[i]) << "line " << i;
  }
  EXPECT_GE(subRows, 10u);
  EXPECT_FALSE(xmpRows.empty());
}

}  // namespace
}  // namespace kelmarin
