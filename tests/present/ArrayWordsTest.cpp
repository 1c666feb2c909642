// Single values of byte lists that hold numbers of several bytes: big-endian 32-bit words, signed
// big-endian 16-bit words (Casio's levels, 255,252 is -4) and little-endian 16-bit words (Sony's
// shot information), each with value names, and positions the list does not reach.

#include <gtest/gtest.h>

#include <sstream>

#include "../metadata/RecordingReporter.h"
#include "PresentTestSupport.h"
#include "present/Listing.h"

namespace kelmarin {
namespace {

constexpr const char* kWordsFile =
    "#version 2\n#makernote canon01\n"
    "+1,0,0,Stufen\n+1,1,19,Erste Stufe\n!-4,minus vier\n+1,2,19,Zweite Stufe\n+1,3,19,Dritte Stufe\n"
    "+2,0,0,Aufnahme\n+2,2,20,Breite\n+2,3,20,Höhe\n!513,zwei-eins\n+2,4,20,Unerreicht\n+2,5,21,Text\n"
    "+3,0,0,Worte\n+3,1,18,Erstes Wort\n+3,2,18,Zweites Wort\n";

TEST(ArrayWords, NumbersOfSeveralBytes) {
  using namespace std::string_literals;
  // Item tag, its bytes, and the sub-rows expected (tag, information, raw).
  const std::tuple<std::int32_t, std::string, std::vector<std::string>> cases[] = {
      {1, "\xff\xfc\x00\x03\x80\x00"s, {"1.1|minus vier|-4", "1.2|3|3", "1.3|-32768|-32768"}},
      {1, "\x7f\xff\x01"s, {"1.1|32767|32767"}},
      {2, "II\x10\x0e\x01\x02\x07"s, {"2.2|3600|3600", "2.3|zwei-eins|513"}},
      {2, "II\xff"s, {}},
      {2, "II\x10\x0e" "AB\x00" "C"s, {"2.2|3600|3600", "2.3|16961|16961", "2.4|17152|17152", "2.5|AB|AB"}},
      {3, "\x00\x01\x02\x03\xff\xff\xff\xfe"s, {"3.1|66051|66051", "3.2|4294967294|4294967294"}},
  };
  std::istringstream in(kWordsFile);
  RecordingReporter reporter;
  const auto defs = LoadDefinitions(in, reporter);
  ASSERT_NE(defs, nullptr);
  for (const auto& [tag, bytes, expected] : cases) {
    ImageMetadata image;
    image.camera_id = 4;
    image.ExifAdd(3, tag, kTypNumbers, test::Bytes(tag, bytes).inhalt);
    std::vector<std::string> rows;
    for (const ListingRow& row : FillMetadataList(*defs, image, MakeFormatContext(test::German(), 1.0))) {
      if (row.kind == RowKind::Item && row.position != 0)
        rows.push_back((row.tag + u'|' + row.information + u'|' + row.raw).toStdString());
    }
    EXPECT_EQ(rows, expected) << tag;
  }
}

}  // namespace
}  // namespace kelmarin
