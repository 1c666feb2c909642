// The lens line: each maker's codes, shared codes narrowed or offered as candidates, unknown and
// contradicted codes, the EXIF lens model, the user's file, and Nikon's enciphered lens data.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>

#include "extract/ImageMetadata.h"
#include "extract/NikonCipher.h"
#include "present/Lens.h"

namespace kelmarin {
namespace {

constexpr const char* kTable = R"(# test table
canon | 137 | Canon EF 85mm f/1.2L USM | 85 | 1.2
canon | 137 | Sigma 18-270mm f/3.5-6.3 DC OS HSM | 18-270 | 3.5-6.3
canon | 137 | Sigma 17-70mm f/2.8-4 DC Macro OS HSM | 17-70 | 2.8-4
canon | 137 | Zweites 17-70mm f/3.5-5.6 | 17-70mm | f/3.5-5.6
canon | 224 | Canon EF 70-200mm f/2.8L IS USM | 70-200 | 2.8
canon | 160 | Erstes 20-35mm | 20-35 | 3.5-4.5
canon | 160 | Zweites 20-35mm | 20-35 | 3.5-4.5
canon | 0227 | Canon EF 70-200mm f/2.8L IS USM + 2.8x
nikon | 9a 40 2d 53 2c 3c 9c 0e | AF-S DX VR Zoom-Nikkor 18-55mm f/3.5-5.6G | 18-55 | 3.5-5.6
nikon | 76 58 50 50 14 14 7A 02 | AF Nikkor 50mm f/1.8D | 50 | 1.8
nikon | 00 | manuelles Objektiv
sony | 2 | Minolta AF 28-70mm F2.8 G | 28-70 | 2.8
pentax | 3 44 | Sigma 17-70mm F2.8-4.5 | 17-70 | 2.8-4.5
olympus | 0 13 10 | Olympus M.Zuiko Digital 14-42mm F3.5-5.6 II R | 14-42 | 3.5-5.6
samsung | 2 | Samsung NX 18-55mm F3.5-5.6 OIS | 18-55 | 3.5-5.6
leica | 5 | Leica Summilux-M 35mm f/1.4 | 35 | 1.4
canon | 5 | Canon EF 50mm f/1.8 II
canon | 5 | Canon EF 50mm f/1.8
canon | 5 | Canon EF 50mm f/1.8 II
)";

struct Item {
  std::int32_t section;
  std::int32_t tag;
  ExifValues values;
  std::int32_t directory = 0;
};

// Canon's camera settings: lens type at position 23, longest and shortest focal length, units per
// mm, largest aperture at the picture's focal length (1/32 EV).
Item CanonSettings(std::int64_t type, std::int64_t shortest, std::int64_t longest,
                   std::int64_t aperture = 0) {
  std::vector<ExifValue> values(30, std::int64_t{0});
  values[22] = type;
  values[23] = longest;
  values[24] = shortest;
  values[25] = std::int64_t{1};
  values[26] = aperture;
  return {3, 0x0001, ExifValues(values)};
}

Item Text(std::int32_t section, std::int32_t tag, const char* text, std::int32_t directory = 0) {
  return {section, tag, ExifValues{std::string(text)}, directory};
}

Item Numbers(std::int32_t section, std::int32_t tag, std::vector<std::int64_t> numbers,
             std::int32_t directory = 0) {
  std::vector<ExifValue> values(numbers.begin(), numbers.end());
  return {section, tag, ExifValues(values), directory};
}

Item Spec(const char* a, const char* b, const char* c, const char* d) {
  return {1, 0xA432, ExifValues{std::string(a), std::string(b), std::string(c), std::string(d)}};
}

// Nikon lens data of the given version with the lens ID bytes at `at`, enciphered for the key
// when the version asks for it.
Item NikonLensData(const std::string& version, std::size_t at, std::vector<std::uint8_t> id,
                   const NikonKey& key) {
  std::vector<std::uint8_t> bytes(version.begin(), version.end());
  bytes.resize(at + 20, 0);
  std::copy(id.begin(), id.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  if (version >= "0201") bytes = NikonDecipher(bytes, key);
  return Numbers(3, 0x0098, std::vector<std::int64_t>(bytes.begin(), bytes.end()));
}

std::filesystem::path WriteFile(const std::string& name, const std::string& text) {
  const auto path = std::filesystem::temp_directory_path() /
                    (name + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

LensTable TestTable(const std::string& user = {}, std::vector<std::string>* messages = nullptr) {
  const auto shipped = WriteFile("kelmarin-lenses-test.def", kTable);
  const auto own = user.empty() ? std::filesystem::path() : WriteFile("kelmarin-lenses-user.conf", user);
  LensTable table = LensTable::Load(shipped, own, messages);
  std::filesystem::remove(shipped);
  if (!own.empty()) std::filesystem::remove(own);
  return table;
}

std::optional<LensAnswer> Resolve(std::int32_t maker, const std::vector<Item>& items,
                                  const LensTable& table) {
  ImageMetadata metadata;
  metadata.camera_id = maker;
  for (const Item& item : items) {
    if (ZetExif* added = metadata.ExifAdd(item.section, item.tag, kTypNumbers, item.values)) {
      added->directory = item.directory;
    }
  }
  return ResolveLens(metadata, table);
}

struct LensCase {
  const char* what;
  std::int32_t maker;
  std::vector<Item> items;
  const char* text;  // "" = no lens line
  const char* raw;
  const char* firstFrom;  // section:tag of the first source
};

TEST(Lens, EachMakerSharedCodesUnknownCodesAndTheExifLensModel) {
  const NikonKey key{4012345, 0x00012345};
  const std::vector<std::uint8_t> nikonId = {0x9A, 0x40, 0x2D, 0x53, 0x2C, 0x3C, 0x9C};
  // clang-format off
  const std::vector<LensCase> cases = {
      {"Canon code", 4, {CanonSettings(224, 70, 200)}, "Canon EF 70-200mm f/2.8L IS USM", "Canon LensType 224", "3:1.23"},
      {"shared code narrowed by focal range", 4, {CanonSettings(137, 18, 270)}, "Sigma 18-270mm f/3.5-6.3 DC OS HSM",
       "Canon LensType 137", "3:1.23"},
      {"shared code narrowed by aperture", 4, {CanonSettings(137, 17, 70, 96)}, "Sigma 17-70mm f/2.8-4 DC Macro OS HSM",
       "Canon LensType 137", "3:1.23"},
      {"shared code narrowed by EXIF MaxApertureValue", 4,
       {CanonSettings(137, 17, 70), {1, 0x9205, {std::string("3/1")}}}, "Sigma 17-70mm f/2.8-4 DC Macro OS HSM",
       "Canon LensType 137", "3:1.23"},
      {"shared code, focal length of the picture", 4, {CanonSettings(137, 0, 0), {1, 0x920A, {std::string("80/1")}}},
       "Sigma 18-270mm f/3.5-6.3 DC OS HSM", "Canon LensType 137", "3:1.23"},
      {"shared code left open", 4, {CanonSettings(160, 20, 35)}, "Erstes 20-35mm oder Zweites 20-35mm",
       "Canon LensType 160", "3:1.23"},
      {"code with leading zeros in the table", 4, {CanonSettings(227, 0, 0)},
       "Canon EF 70-200mm f/2.8L IS USM + 2.8x", "Canon LensType 227", "3:1.23"},
      {"unknown code", 4, {CanonSettings(9999, 10, 20)}, "unbekanntes Objektiv (10-20mm)", "Canon LensType 9999",
       "3:1.23"},
      {"code contradicted by the focal range", 4, {CanonSettings(224, 18, 55)}, "unbekanntes Objektiv (18-55mm)",
       "Canon LensType 224", "3:1.23"},
      {"no code, a compact camera's zoom: its range without the current aperture", 4,
       {CanonSettings(65535, 7, 21, 96)}, "7-21mm", "7-21mm", "3:1.25"},
      {"Canon lens without contacts", 4, {CanonSettings(65535, 0, 0)}, "manuelles Objektiv", "Canon LensType 65535", "3:1.23"},
      {"EXIF lens model before the makernote's", 4, {Text(1, 0xA434, "Samyang 14mm"), Text(3, 0x0095, "RF24-105mm F4 L IS USM"), CanonSettings(65535, 0, 0)},
       "Samyang 14mm", "Samyang 14mm", "1:42036"},
      {"EXIF lens model wins over a code", 4,
       {Text(1, 0xA434, "Tamron 28-75mm F/2.8"), Text(1, 0xA433, "Tamron"), CanonSettings(137, 28, 75)},
       "Tamron 28-75mm F/2.8", "Canon LensType 137", "1:42036"},
      {"placeholder lens model passed over", 4, {Text(1, 0xA434, "----"), CanonSettings(224, 70, 200)},
       "Canon EF 70-200mm f/2.8L IS USM", "Canon LensType 224", "3:1.23"},
      {"lens model of the code's range gets the table's fuller name", 4,
       {Text(1, 0xA434, "EF70-200mm f/2.8L IS USM"), CanonSettings(224, 70, 200)}, "Canon EF 70-200mm f/2.8L IS USM",
       "Canon LensType 224", "3:1.23"},
      {"EF lens on an R body", 4, {Text(1, 0x0110, "Canon EOS R5"), CanonSettings(224, 70, 200)},
       "Canon EF 70-200mm f/2.8L IS USM (adaptiert)", "Canon LensType 224", "3:1.23"},
      {"EF lens on an EF body named Rebel", 4, {Text(1, 0x0110, "Canon EOS Rebel T6"), CanonSettings(224, 70, 200)}, "Canon EF 70-200mm f/2.8L IS USM", "Canon LensType 224", "3:1.23"},
      {"candidate names that contain one another both shown", 4, {CanonSettings(5, 0, 0)}, "Canon EF 50mm f/1.8 II oder Canon EF 50mm f/1.8", "Canon LensType 5", "3:1.23"},
      {"Nikon plain lens data 0101", 17,
       {NikonLensData("0101", 11, {0x76, 0x58, 0x50, 0x50, 0x14, 0x14, 0x7A}, key), Numbers(3, 0x0083, {2})},
       "AF Nikkor 50mm f/1.8D", "Nikon LensID 76 58 50 50 14 14 7A 02", "3:152"},
      {"Nikon enciphered lens data 0204", 17,
       {Text(3, 0x001D, "4012345"), Numbers(3, 0x00A7, {0x00012345}), NikonLensData("0204", 12, nikonId, key),
        Numbers(3, 0x0083, {14})},
       "AF-S DX VR Zoom-Nikkor 18-55mm f/3.5-5.6G", "Nikon LensID 9A 40 2D 53 2C 3C 9C 0E", "3:152"},
      {"Nikon enciphered lens data 0201 without its key", 17,
       {NikonLensData("0201", 11, nikonId, key), Numbers(3, 0x0083, {14})}, "", "", ""},
      {"Nikon lens data 0100", 17, {NikonLensData("0100", 6, {0x76, 0x58, 0x50, 0x50, 0x14, 0x14, 0x7A}, key),
                                    Numbers(3, 0x0083, {2})},
       "AF Nikkor 50mm f/1.8D", "Nikon LensID 76 58 50 50 14 14 7A 02", "3:152"},
      {"Nikon unknown ID: the lens data's range, apertures as marked", 17,
       {NikonLensData("0101", 11, {0x01, 0x40, 0x2D, 0x53, 0x2C, 0x3C, 0x01}, key)},
       "unbekanntes Objektiv (18-55mm f/3.5-5.6)", "Nikon LensID 01 40 2D 53 2C 3C 01 00", "3:152"},
      {"Nikon lens without CPU", 17, {NikonLensData("0101", 11, {0, 0, 0, 0, 0, 0, 0}, key)}, "manuelles Objektiv",
       "Nikon LensID 00 00 00 00 00 00 00 00", "3:152"},
      {"Nikon range only", 17, {{3, 0x0084, {std::string("180/10"), std::string("550/10"), std::string("35/10"),
                                             std::string("56/10")}}},
       "18-55mm f/3.5-5.6", "18-55mm f/3.5-5.6", "3:132"},
      {"Sony A-mount", 27, {Numbers(3, 0xB027, {2})}, "Minolta AF 28-70mm F2.8 G", "Sony LensType 2", "3:45095"},
      {"Sony A-mount on an E-mount body", 27, {Text(1, 0x0110, "ILCE-7M3"), Numbers(3, 0xB027, {2})},
       "Minolta AF 28-70mm F2.8 G (adaptiert)", "Sony LensType 2", "3:45095"},
      {"Sony E-mount lens (no A-mount code)", 27, {Numbers(3, 0xB027, {65535})}, "", "", ""},
      {"Minolta", 15, {Numbers(3, 0x010C, {2})}, "Minolta AF 28-70mm F2.8 G", "Minolta LensType 2", "3:268"},
      {"Pentax", 3, {Numbers(3, 0x003F, {3, 44})}, "Sigma 17-70mm F2.8-4.5", "Pentax LensType 3 44", "3:63"},
      {"Olympus equipment", 28, {Numbers(3, 0x0201, {0, 0, 0x13, 0x10, 0, 0}, 0x2010)},
       "Olympus M.Zuiko Digital 14-42mm F3.5-5.6 II R", "Olympus LensType 0 13 10", "3:8208:513"},
      {"Olympus without lens", 28, {Numbers(3, 0x0201, {0, 0, 0, 0, 0, 0}, 0x2010)}, "", "", ""},
      {"Samsung", 29, {Numbers(3, 0xA003, {2})}, "Samsung NX 18-55mm F3.5-5.6 OIS", "Samsung LensType 2", "3:40963"},
      {"Leica code", 14, {Numbers(3, 0x0310, {5})}, "Leica Summilux-M 35mm f/1.4", "Leica LensType 5", "3:784"},
      {"Panasonic text", 19, {Text(3, 0x0051, "LUMIX G VARIO 14-42/F3.5-5.6 ")}, "LUMIX G VARIO 14-42/F3.5-5.6",
       "LUMIX G VARIO 14-42/F3.5-5.6", "3:81"},
      {"Fujifilm range", 8, {{3, 0x1404, {std::string("18/1")}}, {3, 0x1405, {std::string("55/1")}},
                             {3, 0x1406, {std::string("28/10")}}, {3, 0x1407, {std::string("4/1")}}},
       "18-55mm f/2.8-4", "18-55mm f/2.8-4", "3:5124"},
      {"EXIF lens specification only", 0, {Spec("18/1", "55/1", "35/10", "56/10")}, "18-55mm f/3.5-5.6",
       "18-55mm f/3.5-5.6", "1:42034"},
      {"nothing about the lens", 4, {Text(1, 0x0110, "Canon EOS 5D")}, "", "", ""},
  };
  // clang-format on
  const LensTable table = TestTable();
  for (const LensCase& c : cases) {
    const auto answer = Resolve(c.maker, c.items, table);
    if (*c.text == '\0') {
      EXPECT_FALSE(answer) << c.what << ": " << (answer ? answer->text : "");
      continue;
    }
    ASSERT_TRUE(answer) << c.what;
    EXPECT_EQ(answer->text, c.text) << c.what;
    EXPECT_EQ(answer->raw, c.raw) << c.what;
    ASSERT_FALSE(answer->from.empty()) << c.what;
    EXPECT_EQ(std::to_string(answer->from.front().section) + ':' + answer->from.front().tag, c.firstFrom)
        << c.what;
  }
}

TEST(Lens, RangesUseThePointUnderAGermanNumericLocale) {
  const std::string kept = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale here";
  const LensTable table = TestTable();
  const auto compact = Resolve(0, {Spec("71/10", "213/10", "28/10", "49/10")}, table);
  const auto named = Resolve(4, {Text(1, 0xA434, "EF70.0-200.0mm"), CanonSettings(224, 70, 200)}, table);
  std::setlocale(LC_NUMERIC, kept.c_str());
  EXPECT_EQ(compact.value().text, "7.1-21.3mm f/2.8-4.9");
  EXPECT_EQ(named.value().text, "Canon EF 70-200mm f/2.8L IS USM");
}

TEST(Lens, UserFileAddsAndOverridesCodesAndPassesOverBadLines) {
  std::vector<std::string> messages;
  const LensTable table = TestTable(
      "canon | 224 | Mein 70-200er\n"
      "canon | 9999 | Neues Objektiv | 10-20\n"
      "canon | 1\n"
      "ca non | 1 | Name\n"
      "canon |  | Name\n"
      "canon | 2 | Name | zehn\n"
      "canon | 3 | Name | 10 | f/0\n"
      "# Kommentar\n",
      &messages);
  EXPECT_EQ(Resolve(4, {CanonSettings(224, 70, 200)}, table).value().text, "Mein 70-200er");
  EXPECT_EQ(Resolve(4, {CanonSettings(9999, 10, 20)}, table).value().text, "Neues Objektiv");
  EXPECT_EQ(Resolve(4, {CanonSettings(137, 18, 270)}, table).value().text,
            "Sigma 18-270mm f/3.5-6.3 DC OS HSM");
  ASSERT_EQ(messages.size(), 5u);
  const char* expected[] = {"Zeile 3: erwartet", "Zeile 4: Hersteller \"ca non\" ungültig",
                            "Zeile 5: Code fehlt", "Zeile 6: Brennweite \"zehn\" ungültig",
                            "Zeile 7: Blende \"f/0\" ungültig"};
  for (std::size_t i = 0; i < messages.size(); ++i) {
    EXPECT_NE(messages[i].find(expected[i]), std::string::npos) << messages[i];
    EXPECT_NE(messages[i].find("übergangen"), std::string::npos) << messages[i];
  }
  // A missing user file is no fault; a missing shipped file is one.
  messages.clear();
  LensTable::Load(std::filesystem::path("/nonexistent/lenses.def"),
                  std::filesystem::path("/nonexistent/own.conf"), &messages);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("/nonexistent/lenses.def"), std::string::npos);
}

TEST(Lens, ShippedTableReadsWithoutFaultsAndNamesTheSampleCameras) {
  std::vector<std::string> messages;
  const LensTable table =
      LensTable::Load(std::filesystem::path(KELMARIN_DEF_FILE).parent_path() / "lenses.def", {}, &messages);
  EXPECT_TRUE(messages.empty()) << messages.front();
  EXPECT_EQ(Resolve(4, {CanonSettings(48, 18, 55, 140)}, table).value().text,
            "Canon EF-S 18-55mm f/3.5-5.6 IS");
  EXPECT_EQ(Resolve(28, {Numbers(3, 0x0201, {0, 0, 0x23, 0, 0, 0}, 0x2010)}, table).value().text,
            "Olympus Zuiko Digital ED 14-42mm F3.5-5.6");
}

TEST(Lens, UserFileLiesInTheConfigurationFolder) {
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string kept = oldConfig != nullptr ? oldConfig : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/eigene", 1);
  EXPECT_EQ(UserLensFile(), std::filesystem::path("/tmp/eigene/Tarnwickel/Kelmarin-lenses.conf"));
  ::setenv("XDG_CONFIG_HOME", "relativ", 1);  // not absolute: ignored
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') {
    EXPECT_EQ(UserLensFile(), std::filesystem::path(home) / ".config/Tarnwickel/Kelmarin-lenses.conf");
  }
  if (oldConfig != nullptr)
    ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(NikonCipher, KeyStreamAndSerialKey) {
  // Serial 0 and shutter count 0 start the stream at 0xC1 and 0xA7; its first bytes are
  // 0xA7 + 0xC1 × 0x60 and then + 0xC1 × 0x61 (mod 256).
  const std::vector<std::uint8_t> zeros(8, 0);
  const auto stream = NikonDecipher(zeros, NikonKey{0, 0});
  EXPECT_EQ(std::vector<std::uint8_t>(stream.begin(), stream.begin() + 6),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0x07, 0x28}));
  // Only the XOR of the shutter count's bytes and the serial's low byte count.
  EXPECT_EQ(NikonDecipher(zeros, {0x100, 0x01020304}), NikonDecipher(zeros, {0, 0x04}));
  EXPECT_NE(NikonDecipher(zeros, {0, 0x01020304}), NikonDecipher(zeros, {0, 0x01020300}));
  // Enciphering twice gives the block back; a start beyond the end changes nothing.
  const std::vector<std::uint8_t> block = {'0', '2', '0', '4', 1, 2, 3, 4, 5};
  EXPECT_EQ(NikonDecipher(NikonDecipher(block, {77, 99}), {77, 99}), block);
  EXPECT_EQ(NikonDecipher(block, {77, 99}, 20), block);
  const std::tuple<const char*, const char*, std::uint32_t> serials[] = {{"4012345", "NIKON D60", 4012345},
                                                                         {" 123 \0", "NIKON D3", 123},
                                                                         {"ABC123", "NIKON D50", 0x22},
                                                                         {"ABC123", "NIKON D3100", 0x60},
                                                                         {"", "NIKON D80", 0x60}};
  for (const auto& [text, model, number] : serials) EXPECT_EQ(NikonSerialKey(text, model), number) << text;
}

}  // namespace
}  // namespace kelmarin
