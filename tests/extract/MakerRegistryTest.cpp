// The maker registry: the layout names of the definition file and their numbers, and the
// detection rows that give those numbers to a make and the first bytes of its makernote.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "extract/ExifBlock.h"
#include "metadata/Makers.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;

TEST(MakerRegistry, LayoutNamesAndNumbers) {
  // Numbers the definition file's sections and saved listings depend on: they never change.
  const struct {
    std::string_view name;
    std::int32_t maker;
  } cases[] = {{"asahi01", 2},    {"asahi02", 3},     {"CANON01", 4},   {"casio01", 5},    {"casio02", 6},    {"fujifilm01", 8},
               {"leica01", 14},   {"Minolta01", 15},  {"nikon01", 16},  {"nikon02", 17},   {"olympus01", 18},
               {"panasonic01", 19}, {"ricoh01", 21},  {"sigma01", 25},  {"apple01", 26},   {"olympus02", 28},
               {"dji01", 31},     {"kodak05", 42},    {"sigma02", 43}};
  for (const auto& c : cases) {
    const MakerLayout* layout = FindMakerLayout(c.name);
    ASSERT_NE(layout, nullptr) << c.name;
    EXPECT_EQ(layout->maker, c.maker) << c.name;
  }
  for (std::string_view unknown : {"nikon03", "canon", "canon01 ", "", "jenoptik01"}) {
    EXPECT_EQ(FindMakerLayout(unknown), nullptr) << unknown;
  }
  std::set<std::string_view> names;
  std::set<std::int32_t> numbers;
  for (const MakerLayout& layout : kMakerLayouts) {
    EXPECT_TRUE(names.insert(layout.name).second) << layout.name;
    EXPECT_TRUE(numbers.insert(layout.maker).second) << layout.name;
    EXPECT_EQ(FindMakerLayout(layout.name), &layout);
  }
}

TEST(MakerRegistry, EveryDetectedNumberIsALayoutAndEveryLayoutIsDetected) {
  std::set<std::int32_t> detected;
  for (const MakerRow& row : MakerTable()) {
    detected.insert(row.maker);
    const bool named = std::any_of(kMakerLayouts.begin(), kMakerLayouts.end(),
                                   [&](const MakerLayout& layout) { return layout.maker == row.maker; });
    EXPECT_TRUE(named || row.maker == kMakerJenoptik01) << row.makeWord << " " << row.maker;
  }
  for (const MakerLayout& layout : kMakerLayouts) EXPECT_TRUE(detected.contains(layout.maker)) << layout.name;
}

// The maker number DetectMakernote gives a makernote of these first bytes (the rest zeros).
std::int32_t Detect(const std::string& make, const std::string& model, const std::string& start) {
  std::vector<std::uint8_t> bytes(start.begin(), start.end());
  bytes.resize(64, 0);
  ExifBlockState state(bytes);
  state.header = 1;
  state.make = make;
  state.model = model;
  state.makernote = 1;
  state.makernoteSize = static_cast<std::int64_t>(bytes.size());
  return DetectMakernote(state).maker;
}

TEST(MakerRegistry, DetectionByMakeAndSignature) {
  const struct {
    const char* what;
    std::string make, model, start;
    std::int32_t maker;
  } cases[] = {
      {"Canon: any bytes", "Canon", "EOS 5D", "", kMakerCanon01},
      {"Nikon's later form", "NIKON CORPORATION", "NIKON D750", "Nikon\0\2\x10\0\0MM\0*"s, kMakerNikon02},
      {"Nikon's first form by the model", "NIKON", "E950", "Nikon\0\1\0"s, kMakerNikon01},
      {"Nikon without a signature", "NIKON", "E5700", "\0\x10"s, kMakerNikon02},
      {"Olympus's later form", "OLYMPUS IMAGING CORP.", "E-M5", "OLYMPUS\0II\3\0"s, kMakerOlympus02},
      {"OM System", "OM Digital Solutions", "OM-1", "OM SYSTEM\0\0\0II\4\0"s, kMakerOlympus02},
      {"Olympus's first form", "OLYMPUS OPTICAL CO.,LTD", "C2040Z", "OLYMP\0\1\0"s, kMakerOlympus01},
      {"Epson in Olympus's form", "SEIKO EPSON CORP.", "R-D1", "EPSON\0\1\0"s, kMakerOlympus01},
      {"Pentax: AOC", "PENTAX Corporation", "K10D", "AOC\0MM"s, kMakerAsahi02},
      {"Pentax: own header", "PENTAX", "K-1", "PENTAX \0MM"s, kMakerAsahi02},
      {"Asahi without signature", "Asahi Optical Co.,Ltd", "PENTAX Optio330", "\0\x1B"s, kMakerAsahi01},
      {"Apple", "Apple", "iPhone 12", "Apple iOS\0\0\1MM"s, kMakerApple01},
      {"Casio QVC", "CASIO COMPUTER CO.,LTD.", "EX-Z750", "QVC\0\0\0"s, kMakerCasio02},
      {"Casio's first form", "CASIO", "QV-3000EX", "\0\x14"s, kMakerCasio01},
      {"Leica's later form", "LEICA CAMERA AG", "X2", "LEICA\0\5\0"s, kMakerLeica02},
      {"Leica's first form", "LEICA", "DIGILUX 2", "LEICA\0\0\0"s, kMakerLeica01},
      {"Leica over Fujifilm's", "LEICA", "DIGILUX 4.3", "FUJIFILM\x0C\0\0\0"s, kMakerFujifilm01},
      {"Kodak: own header", "EASTMAN KODAK COMPANY", "Z980", "II*\0"s, kMakerKodak01},
      {"Kodak: KDK INFO", "Eastman Kodak Company", "DX6490", "KDK INFO"s, kMakerKodak02},
      {"Kodak: by the model", "EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM", "", kMakerKodak03},
      {"Samsung's first form", "SAMSUNG", "Digimax", "STMN100\0"s, kMakerSamsung02},
      {"Ricoh's text form", "RICOH", "Caplio RR30", "Rv0103;Rg80;"s, kMakerRicoh02},
      {"Sony", "SONY", "DSC-R1", "SONY DSC \0\0\0"s, kMakerSony01},
      {"Sigma's X3F header", "SIGMA", "SD9", "FOVb"s, kMakerSigma02},
      {"Reconyx, by its signature alone", "", "", "\x01\xF1"s, kMakerReconyx01},
      {"a make of no row", "Hasselblad", "X1D", "\x01\0"s, kMakerNone},
      {"Sony without a plausible directory", "SONY", "DSC-W1", "", kMakerNone},
  };
  for (const auto& c : cases) EXPECT_EQ(Detect(c.make, c.model, c.start), c.maker) << c.what;
}

}  // namespace
}  // namespace kelmarin
