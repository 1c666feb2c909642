// Makernotes without a directory: Samsung's first form keeps its signature with version and the
// preview's offset and length at fixed places, in the block's byte order; a makernote too short
// for a value leaves that value out.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::TiffBuilder;

std::vector<std::uint8_t> Block(ByteOrder order, std::uint32_t noteSize) {
  TiffBuilder tiff(order);
  const std::string make = "SAMSUNG TECHWIN\0"s;
  const std::uint32_t makeAt = tiff.AppendText(make);
  const std::uint32_t note = tiff.Append(test::Cat({test::Bytes("STMN0100"), tiff.U32(3361053), tiff.U32(51478)}));
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, noteSize, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x010F, 2, static_cast<std::uint32_t>(make.size()), makeAt), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

TEST(MakernoteFields, FixedValuesAsFarAsTheMakernoteReaches) {
  struct Case {
    std::uint32_t noteSize;
    std::vector<std::int32_t> tags;
  };
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const Case& c : {Case{16, {0, 2, 3}}, Case{15, {0, 2}}, Case{8, {0}}}) {
      SCOPED_TRACE(std::to_string(c.noteSize) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      ImageMetadata image;
      ReadExifBlock(image, Block(order, c.noteSize), nullptr);
      EXPECT_EQ(image.camera_id, 32);
      ASSERT_EQ(image.ExifCount(3), static_cast<std::int32_t>(c.tags.size()));
      EXPECT_EQ(std::get<std::string>(image.ExifTag(3, 0x0000)->inhalt[0]), "STMN0100");
      if (c.tags.size() > 1) {
        EXPECT_EQ(std::get<std::int64_t>(image.ExifTag(3, 0x0002)->inhalt[0]), 3361053);
      }
      if (c.tags.size() > 2) {
        EXPECT_EQ(std::get<std::int64_t>(image.ExifTag(3, 0x0003)->inhalt[0]), 51478);
      }
    }
  }
}

}  // namespace
}  // namespace kelmarin
