// kelmarin-exif's options for scripts, run as a program: folders walked with -r, names from
// standard input and list files, CSV read back by a real CSV reader, --diff of two files,
// --version, the errors of the command line, and --help against the manual page and the bash
// completion.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <regex>
#include <set>

#include "ListerSupport.h"
#include "TiffBuilder.h"

namespace kelmarin {
namespace {

using namespace listertest;
using test::Bytes;
using test::Cat;
using test::TiffBuilder;

// A JPEG whose main directory holds a maker and a description, and, when asked, a GPS latitude.
std::vector<std::uint8_t> ExifJpeg(const std::string& description, bool withGps,
                                   const std::vector<samples::Segment>& more = {}) {
  TiffBuilder tiff(ByteOrder::BigEndian);
  std::vector<TiffBuilder::Entry> entries = {tiff.Ascii(0x010F, "Kelmarin"), tiff.Ascii(0x010E, description)};
  if (withGps) {
    std::vector<std::uint8_t> parts;
    for (std::uint32_t part : {50u, 1u, 12u, 1u, 3456u, 100u}) parts = Cat({parts, tiff.U32(part)});
    entries.push_back(tiff.Long(0x8825, tiff.AddDirectory({tiff.At(2, 5, 3, tiff.Append(parts))})));
  }
  tiff.SetFirstDirectory(tiff.AddDirectory(entries));
  const std::vector<std::uint8_t> app1 = tiff.App1();
  std::vector<samples::Segment> segments = {{0xE1, std::vector<std::uint8_t>(app1.begin() + 4, app1.end())}};
  segments.insert(segments.end(), more.begin(), more.end());
  samples::RgbImage grey(8, 8);
  return samples::EncodeJpeg(grey, 75, segments);
}

// The records of a CSV text as Python's csv module reads them.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text, const fs::path& scratch) {
  WriteFile(scratch / "read.csv", Bytes(text));
  const RunResult r = RunCommand(
      "python3 -c 'import csv, json, sys; print(json.dumps(list(csv.reader(open("
      "sys.argv[1], newline=\"\", encoding=\"utf-8\")))))' '" +
          (scratch / "read.csv").string() + "'",
      scratch);
  std::vector<std::vector<std::string>> records;
  for (const QJsonValue record : Json(r.out).array()) {
    records.emplace_back();
    for (const QJsonValue field : record.toArray()) records.back().push_back(field.toString().toStdString());
  }
  return records;
}

// The "# " lines of a text listing, without the mark.
std::vector<std::string> Listed(const std::string& out) {
  std::vector<std::string> files;
  for (const std::string& line : Lines(out)) {
    if (line.starts_with("# ")) files.push_back(line.substr(2));
  }
  return files;
}

class ListerOptions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all(dir);
    fs::create_directories(dir / "tree" / "a");
    fs::create_directories(dir / "tree" / "many");
    fs::create_directories(dir / "tree" / "locked");
    WriteFile(dir / "defs.def",
              Bytes("#version 2\n#main\n+0x010F,0,0,Hersteller\n+0x010E,0,0,Bildbeschreibung\n"
                    "#gps\n+2,0,0,Breite\n"));
    WriteFile(dir / "good.jpg", ExifJpeg("Abend am See", true));
    WriteFile(dir / "other.jpg", ExifJpeg("Morgen am See", false));
    const std::vector<std::uint8_t> plain = MakeJpeg(4, 4, {});
    WriteFile(dir / "plain.jpg", plain);
    for (const char* name : {"a.jpg", "a-b.jpg", "a/z.jpeg", "B.JPG", "name with space.jpg", "new\nline.jpg",
                             "bad\xFF.jpg", "notes.txt", "locked/hidden.jpg"}) {
      WriteFile(dir / "tree" / name, plain);
    }
    fs::create_directory_symlink(".", dir / "tree" / "loop");
    fs::create_directory_symlink("..", dir / "tree" / "a" / "up");
    fs::create_symlink("a.jpg", dir / "tree" / "linked.jpg");
    // Created out of order: the walk's order must not be the folder's.
    std::vector<int> numbers(40);
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
    for (int n : numbers)
      fs::copy_file(dir / "plain.jpg", dir / "tree" / "many" / ("f" + std::to_string(100 + n) + ".jpg"));
    fs::permissions(dir / "tree" / "locked", fs::perms::none);
    fs::create_directories(dir / "cache");
    fs::permissions(dir / "cache", fs::perms::all);
  }
  static void TearDownTestSuite() {
    fs::permissions(dir / "tree" / "locked", fs::perms::owner_all);
    fs::remove_all(dir);
  }

  // Runs the lister in dir; as root under the user nobody, so that a locked folder stays locked.
  static RunResult Run(const std::string& arguments, const std::string& input = "") {
    WriteFile(dir / "input", Bytes(input));
    // The cache folder keeps the locale's forms from one run to the next, whoever runs.
    const std::string user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    return RunCommand("cd '" + dir.string() + "' && LC_ALL=de_DE.UTF-8 XDG_CACHE_HOME='" +
                          (dir / "cache").string() + "' " + user + "'" + KELMARIN_EXIF + "' " + arguments +
                          " <input",
                      dir);
  }

  static inline const fs::path dir =
      fs::temp_directory_path() / ("kelmarin-options-" + std::to_string(getpid()));
  static inline const std::string kDefs = "--definitions defs.def ";
};

// Image files of the format table in any case, by their paths as bytes ('-' < '.' < '/'), links to
// files listed, links to folders (a loop among them) not followed, the locked folder reported
// while the walk goes on; the same order in every output form.
TEST_F(ListerOptions, RecursiveWalk) {
  std::vector<std::string> expected = {"tree/B.JPG",    "tree/a-b.jpg",     "tree/a.jpg",
                                       "tree/a/z.jpeg", "tree/bad\xFF.jpg", "tree/linked.jpg"};
  for (int n = 100; n < 140; ++n) expected.push_back("tree/many/f" + std::to_string(n) + ".jpg");
  expected.insert(expected.end(), {"tree/name with space.jpg", "tree/new\\nline.jpg"});
  const RunResult r = Run(kDefs + "-r tree plain.jpg");
  EXPECT_EQ(r.status, 1);
  expected.push_back("plain.jpg");
  EXPECT_EQ(Listed(r.out), expected);
  EXPECT_TRUE(r.err.starts_with("kelmarin-exif: Ordner nicht lesbar: tree/locked")) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;

  const RunResult json = Run(kDefs + "--rekursiv --json tree/a/ tree/a");
  const QJsonArray files = Json(json.out).array();
  ASSERT_EQ(files.size(), 2) << json.out;
  EXPECT_EQ(files[0][u"file"].toString() + u'|' + files[1][u"file"].toString(),
            QStringLiteral("tree/a/z.jpeg|tree/a/z.jpeg"));
  EXPECT_EQ(Listed(Run(kDefs + "tree").out), std::vector<std::string>()) << "a folder without -r is no image";
  const RunResult info = Run(kDefs + "-r --info --csv tree/a");
  EXPECT_EQ(ReadCsv(info.out, dir).size(), 2u) << info.out;
}

TEST_F(ListerOptions, NamesFromStandardInputAndListFiles) {
  WriteFile(dir / "list.txt", Bytes("good.jpg\ntree/name with space.jpg\n"));
  struct Case {
    std::string input, arguments;
    std::vector<std::string> listed;
    int status;
  } cases[] = {
      {"good.jpg\nplain.jpg\n", "-", {"good.jpg", "plain.jpg"}, 0},
      {"good.jpg\n\nplain.jpg", "-", {"good.jpg", "plain.jpg"}, 0},
      {"", "-", {}, 0},
      {std::string("tree/new\nline.jpg\0good.jpg\0", 28), "-0 -", {"tree/new\\nline.jpg", "good.jpg"}, 0},
      {"tree/bad\xFF.jpg\n", "--dateiliste=-", {"tree/bad\xFF.jpg"}, 0},
      {"plain.jpg\n", "good.jpg - other.jpg", {"good.jpg", "plain.jpg", "other.jpg"}, 0},
      {"plain.jpg\n", "- --dateiliste -", {"plain.jpg"}, 0},
      {"", "--dateiliste list.txt plain.jpg", {"good.jpg", "tree/name with space.jpg", "plain.jpg"}, 0},
      {"tree/a\n", "-r -", {"tree/a/z.jpeg"}, 0},
      {"", "--dateiliste missing.txt good.jpg", {"good.jpg"}, 1},
      {"missing.jpg\ngood.jpg\n", "-", {"good.jpg"}, 1},
  };
  for (const Case& c : cases) {
    const RunResult r = Run(kDefs + c.arguments, c.input);
    EXPECT_EQ(std::pair(r.status, Listed(r.out)), std::pair(c.status, c.listed)) << c.arguments << "\n"
                                                                                 << r.err;
  }
  EXPECT_EQ(Run(kDefs + "--json -").out, "[]\n");
  EXPECT_TRUE(Run(kDefs + "--dateiliste missing.txt")
                  .err.starts_with("kelmarin-exif: Dateiliste nicht lesbar: missing.txt"));
}

// CSV as a spreadsheet or a script reads it: every item of every section, IPTC and comments
// included, one record each with six fields; separators, quotes and line breaks inside values
// survive; values that would start a formula keep a leading apostrophe.
TEST_F(ListerOptions, CsvReadBack) {
  WriteFile(dir / "a,b \"c\".jpg",
            ExifJpeg("=HYPERLINK(\"x\"), zwei", false,
                     {{0xED, samples::IptcPayload({{120, "@Titel; \"Zitat\""}, {25, "-5"}})},
                      samples::Comment("+1 Kommentar\nzweite Zeile")}));
  const std::string file = "'a,b \"c\".jpg'";
  const RunResult r = Run(kDefs + "--csv " + file + " plain.jpg");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("Datei,Sektion,Tag,Bezeichnung,Information,Rohdaten\r\n")) << r.out;
  const auto records = ReadCsv(r.out, dir);
  ASSERT_FALSE(records.empty());
  for (const auto& record : records) ASSERT_EQ(record.size(), 6u) << r.out;
  const auto find = [&](const std::string& section, const std::string& tag) {
    for (const auto& record : records) {
      if (record[1] == section && record[2] == tag) return record;
    }
    return std::vector<std::string>();
  };
  const std::string name = "a,b \"c\".jpg";
  EXPECT_EQ(find("Sektion Main", "270"),
            (std::vector<std::string>{name, "Sektion Main", "270", "Bildbeschreibung",
                                      "'=HYPERLINK(\"x\"), zwei", "'=HYPERLINK(\"x\"), zwei"}));
  EXPECT_EQ(find("Sektion IPTC", "120")[4], "'@Titel; \"Zitat\"");
  EXPECT_EQ(find("Sektion IPTC", "25")[4], "'-5");
  EXPECT_EQ(find("Sektion Kommentare", "")[4], "'+1 Kommentar\nzweite Zeile");
  // As many records as the JSON form has items, and none for a file without any.
  const QJsonObject json = Json(Run(kDefs + "--json " + file).out).array()[0].toObject();
  qsizetype items = json[u"iptc"].toArray().size() + json[u"comments"].toArray().size();
  for (const QJsonValue section : json[u"sections"].toArray()) items += section[u"items"].toArray().size();
  EXPECT_EQ(static_cast<qsizetype>(records.size()) - 1, items);
}

TEST_F(ListerOptions, DiffOfTwoFiles) {
  RunResult r = Run(kDefs + "--diff good.jpg other.jpg");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out,
            "# good.jpg\n# other.jpg\n<\tSektion Main\t270\tBildbeschreibung\tAbend am See\tAbend am See\n"
            ">\tSektion Main\t270\tBildbeschreibung\tMorgen am See\tMorgen am See\n"
            "<\tSektion Main\t34853\t???\t56\t56\n<\tSektion GPS\t2\tBreite\t50° 12' "
            "34.56\"\t50/1,12/1,3456/100\n");
  r = Run(kDefs + "--diff good.jpg good.jpg");
  EXPECT_EQ(std::pair(r.status, r.out), std::pair(0, std::string("# good.jpg\n# good.jpg\n")));

  r = Run(kDefs + "--json --diff other.jpg good.jpg");
  EXPECT_EQ(r.status, 3);
  const QJsonObject json = Json(r.out).object();
  const QJsonArray differences = json[u"differences"].toArray();
  ASSERT_EQ(differences.size(), 3) << r.out;
  EXPECT_EQ(std::tuple(json[u"a"].toString(), differences[0][u"tag"].toString(),
                       differences[0][u"a"][u"information"].toString(), differences[2][u"title"].toString(),
                       differences[2][u"a"].isNull(), differences[2][u"b"][u"raw"].toString()),
            std::tuple(QStringLiteral("other.jpg"), QStringLiteral("270"), QStringLiteral("Morgen am See"),
                       QStringLiteral("Sektion GPS"), true, QStringLiteral("50/1,12/1,3456/100")));

  r = Run(kDefs + "--csv --diff good.jpg other.jpg");
  const auto records = ReadCsv(r.out, dir);
  ASSERT_EQ(records.size(), 5u) << r.out;
  EXPECT_EQ(records[1][0] + records[2][0] + records[2][4], "good.jpgother.jpgMorgen am See");

  struct Failure {
    const char* arguments;
    int status;
  } failures[] = {{"--diff good.jpg", 2},
                  {"--diff good.jpg other.jpg plain.jpg", 2},
                  {"--diff good.jpg missing.jpg", 1},
                  {"--diff --info good.jpg other.jpg", 2},
                  {"--diff -r good.jpg other.jpg", 2}};
  for (const Failure& f : failures) {
    r = Run(kDefs + f.arguments);
    EXPECT_EQ(std::pair(r.status, r.out), std::pair(f.status, std::string())) << f.arguments;
    EXPECT_NE(r.err, "") << f.arguments;
  }

  // XMP (here a sidecar's) is compared as the window's comparison shows it, and written in CSV.
  fs::create_directories(dir / "xmp");
  fs::copy_file(dir / "good.jpg", dir / "xmp" / "a.jpg");
  fs::copy_file(dir / "good.jpg", dir / "xmp" / "b.jpg");
  WriteFile(dir / "xmp" / "b.xmp",
            Bytes("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                  "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                  "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"3\"/></rdf:RDF></x:xmpmeta>"));
  r = Run(kDefs + "--diff xmp/a.jpg xmp/b.jpg");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.out.find(">\tXMP (b.xmp)\txmp:Rating\t"), std::string::npos) << r.out;
  r = Run(kDefs + "--csv xmp/b.jpg");
  EXPECT_NE(r.out.find("XMP (b.xmp),xmp:Rating,"), std::string::npos) << r.out;
}

TEST_F(ListerOptions, VersionAndArgumentErrors) {
  WriteFile(dir / "old.def", Bytes("* ohne Version\n"));
  RunResult r = Run(kDefs + "--version");
  ASSERT_EQ(r.status, 0) << r.err;
  auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], std::string("kelmarin-exif ") + KELMARIN_VERSION);
  EXPECT_EQ(lines[1], "Definitionsdatei: defs.def (Version 2)");
  std::set<std::string> libraries;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::size_t blank = lines[i].find(' ');
    libraries.insert(lines[i].substr(0, blank));
    EXPECT_TRUE(blank != std::string::npos &&
                lines[i].find_first_of("0123456789", blank) != std::string::npos)
        << lines[i];
  }
  EXPECT_TRUE(libraries.contains("libjpeg-turbo") && libraries.contains("libpng") &&
              libraries.contains("LibRaw"));
  EXPECT_EQ(Lines(Run("--definitions old.def --version").out)[1],
            "Definitionsdatei: old.def (Version unbekannt)");

  for (const char* arguments :
       {"--json --csv good.jpg", "--dateiliste", "--dateiliste=", "-r", "-0", "--rekursiv=x a",
        "--summary --csv good.jpg", "--summary --info good.jpg", "--summary --diff good.jpg good.jpg"}) {
    r = Run(kDefs + arguments);
    EXPECT_EQ(std::pair(r.status, r.out), std::pair(2, std::string())) << arguments;
  }
}

// The options of one source: its option words ("-r", "--json", ...) in `text`, found by `pattern`
// in the lines that `line` picks.
std::set<std::string> OptionWords(const std::string& text, const std::regex& line, const std::regex& word) {
  std::set<std::string> words;
  for (const std::string& l : Lines(text)) {
    if (!std::regex_search(l, line)) continue;
    for (std::sregex_iterator m(l.begin(), l.end(), word); m != std::sregex_iterator(); ++m)
      words.insert((*m)[1]);
  }
  return words;
}

TEST_F(ListerOptions, HelpManPageAndCompletionListTheSameOptions) {
  const RunResult help = Run("--help");
  ASSERT_EQ(help.status, 0);
  // "  -r, --rekursiv       text": the words before the gap.
  std::set<std::string> fromHelp;
  for (const std::string& l : Lines(help.out)) {
    if (!l.starts_with("  -")) continue;
    const std::string head = l.substr(2, l.find("  ", 2) - 2);
    static const std::regex kWord("(^|, )(-[-\\w]*)");
    for (std::sregex_iterator m(head.begin(), head.end(), kWord); m != std::sregex_iterator(); ++m) {
      fromHelp.insert((*m)[2]);
    }
  }
  // The manual page's option headings: "*-r*, *--rekursiv*", "*--dateiliste* _DATEI_".
  const std::string page = ReadText(fs::path(KELMARIN_MAN_DIR) / "kelmarin-exif.1.scd");
  const std::string options =
      page.substr(page.find("# OPTIONEN"), page.find("# EXIT-STATUS") - page.find("# OPTIONEN"));
  const std::set<std::string> fromPage =
      OptionWords(options, std::regex("^\\*-"), std::regex("\\*(-[-\\w]*)\\*"));
  const std::string completion = ReadText(KELMARIN_COMPLETION);
  // compgen -W '--definitions --json ...'
  const std::size_t list = completion.find("-W '") + 4;
  std::set<std::string> fromCompletion;
  std::istringstream words(completion.substr(list, completion.find('\'', list) - list));
  for (std::string word; words >> word;) fromCompletion.insert(word);
  EXPECT_GE(fromHelp.size(), 13u);
  EXPECT_EQ(fromPage, fromHelp);
  EXPECT_EQ(fromCompletion, fromHelp);
}

}  // namespace
}  // namespace kelmarin
