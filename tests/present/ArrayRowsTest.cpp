// Makernote sub-directories and single values of lists in the metadata list, with definitions read
// by the loader: the sub-directory sections, the position lines and the rows they give.
#include <gtest/gtest.h>

#include <sstream>

#include "../metadata/RecordingReporter.h"
#include "PresentTestSupport.h"
#include "present/Listing.h"

namespace kelmarin {
namespace {

constexpr const char* kFile =
    "#version 2\n#makernote canon01\n+1,0,0,Liste\n+1,3,16,Signiert\n!-1,minus eins\n!3,drei\n"
    "+1,2,17,Byte\n+1,5,11,Unerreicht\n+3,0,0,Wortliste\n+3,2,18,Wort\n!258,Wort 258\n+3,3,18,Drittes Wort\n"
    "+0x100,0,0,Verweis\n#makernote canon01 0x2010\n+0x100,0,0,Im Verzeichnis\n+0x101,0,0,Liste dort\n"
    "+0x101,1,0,Erster Wert\n!7,sieben\n";

std::string Text(const ListingRow& row) {
  return (row.tag + u'|' + row.label + u'|' + row.information + u'|' + row.raw + u'|').toStdString() +
         std::to_string(row.directory) + "|" + std::to_string(row.position);
}

TEST(ArrayRows, SubDirectoriesAndPositionsGiveTheirRows) {
  std::istringstream in(kFile);
  RecordingReporter reporter;
  const auto defs = LoadDefinitions(in, reporter);
  ASSERT_NE(defs, nullptr);
  ImageMetadata image;
  image.camera_id = 4;
  image.ExifAdd(3, 1, kTypNumbers, test::Numbers(1, {8, 254, 65535}).inhalt);
  image.ExifAdd(3, 3, kTypNumbers, test::Numbers(3, {0, 0, 0, 1, 0, 0, 1, 2, 9}).inhalt);
  image.ExifAdd(3, 0x100, kTypNumbers, {std::int64_t{2}});
  for (const std::int32_t tag : {0x100, 0x101}) {
    image.ExifAdd(3, tag, kTypNumbers, test::Numbers(tag, {7, 9}).inhalt)->directory = 0x2010;
  }
  std::vector<std::string> rows;
  for (const ListingRow& row : FillMetadataList(*defs, image, MakeFormatContext(test::German(), 1.0))) {
    if (row.kind == RowKind::Item) rows.push_back(Text(row));
  }
  const std::vector<std::string> expected = {
      "1|Liste|8,254,65535|8,254,65535|0|0",
      "1.2|Byte|-2|254|0|2",
      "1.3|Signiert|minus eins|65535|0|3",
      "3|Wortliste|0,0,0,1,0,0,1,2,9|0,0,0,1,0,0,1,2,9|0|0",
      "3.2|Wort|Wort 258|258|0|2",
      "256|Verweis|2|2|0|0",
      "8208:256|Im Verzeichnis|7,9|7,9|8208|0",
      "8208:257|Liste dort|7,9|7,9|8208|0",
      "8208:257.1|Erster Wert|sieben|7|8208|1",
  };
  EXPECT_EQ(rows, expected);
  image.camera_id = 0;  // without a layout, no sub-rows
  EXPECT_EQ(FillMetadataList(*defs, image, MakeFormatContext(test::German(), 1.0)).size(), 7u);
}

}  // namespace
}  // namespace kelmarin
