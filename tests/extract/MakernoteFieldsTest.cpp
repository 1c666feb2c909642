// Makernotes without a directory: Samsung's first form keeps its signature with version and the
// preview's offset and length at fixed places, in the block's byte order; a makernote too short
// for a value leaves that value out. Kodak's forms: values of 1, 2 and 4 bytes, signed ones, lists
// and texts after "KDK INFO" or picked by the model, and a directory with two bytes between its
// entry count and its entries.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::TiffBuilder;

// A block whose makernote holds the bytes `note` makes of the builder (all of them unless noteSize).
template <typename MakeNote>
std::vector<std::uint8_t> Block(ByteOrder order, const std::string& make, const std::string& model, MakeNote note,
                                std::uint32_t noteSize = 0) {
  TiffBuilder tiff(order);
  const std::uint32_t makeAt = tiff.AppendText(make + '\0');
  const std::uint32_t modelAt = tiff.AppendText(model + '\0');
  const std::vector<std::uint8_t> bytes = note(tiff);
  const std::uint32_t at = tiff.Append(bytes);
  const std::uint32_t size = noteSize != 0 ? noteSize : static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, size, at)});
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x010F, 2, static_cast<std::uint32_t>(make.size() + 1), makeAt),
                                            tiff.At(0x0110, 2, static_cast<std::uint32_t>(model.size() + 1), modelAt),
                                            tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

std::vector<std::uint8_t> Samsung(const TiffBuilder& tiff) {
  return test::Cat({test::Bytes("STMN0100"), tiff.U32(3361053), tiff.U32(51478)});
}

// Bytes of `size` zeros with the given parts written at their offsets.
std::vector<std::uint8_t> Place(std::size_t size, std::initializer_list<std::pair<std::size_t, std::vector<std::uint8_t>>> parts) {
  std::vector<std::uint8_t> bytes(size, 0);
  for (const auto& [at, part] : parts) std::copy(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

std::vector<std::int64_t> Numbers(ImageMetadata& image, std::int32_t tag) {
  std::vector<std::int64_t> numbers;
  for (const ExifValue& value : image.ExifTag(3, tag)->inhalt) numbers.push_back(std::get<std::int64_t>(value));
  return numbers;
}

TEST(MakernoteFields, KodakFormsWithTheirWidthsAndOrders) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    SCOPED_TRACE(order == ByteOrder::BigEndian ? "MM" : "II");
    ImageMetadata info;
    ReadExifBlock(info, Block(order, "EASTMAN KODAK COMPANY", "KODAK DX4900", [](const TiffBuilder& t) {
      return test::Cat({test::Bytes("KDK INFO"),
                        Place(0x70, {{0x00, test::Bytes("DX4900 ")}, {0x09, {1}}, {0x0C, t.U16(2448)},
                                     {0x12, {5, 1}}, {0x20, t.U32(464)}, {0x39, {2}}, {0x24, t.U16(0xFEB3)}, {0x6B, {0xFF}}})});
    }), nullptr);
    EXPECT_EQ(info.camera_id, 34);
    EXPECT_EQ(std::get<std::string>(info.ExifTag(3, 0x00)->inhalt[0]), "DX4900 ");
    const std::vector<std::pair<std::int32_t, std::vector<std::int64_t>>> expected = {
        {0x09, {1}}, {0x0C, {2448}}, {0x12, {5, 1}}, {0x20, {464}}, {0x24, {-333}}, {0x6B, {-1}}, {0x38, {0}}};
    for (const auto& [tag, values] : expected) EXPECT_EQ(Numbers(info, tag), values) << tag;

    ImageMetadata dated;
    ReadExifBlock(dated, Block(order, "EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM", [](const TiffBuilder& t) {
      return Place(0x50, {{0x0C, t.U16(1999)}, {0x37, {0xFE}}, {0x4E, t.U16(100)}});
    }), nullptr);
    EXPECT_EQ(dated.camera_id, 35);
    EXPECT_EQ(Numbers(dated, 0x0C), std::vector<std::int64_t>{1999});
    EXPECT_EQ(Numbers(dated, 0x37), std::vector<std::int64_t>{-2});
    EXPECT_EQ(Numbers(dated, 0x4E), std::vector<std::int64_t>{100});

    ImageMetadata pixpro;
    ReadExifBlock(pixpro, Block(order, "JK Imaging, Ltd.", "PIXPRO", [order](const TiffBuilder&) {
      TiffBuilder own(order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
      const std::string mark = own.Order() == ByteOrder::BigEndian ? "MM" : "II";
      return test::Cat({test::Bytes(mark), own.U16(42), own.U32(8), own.U16(2), {0, 0},
                        own.U16(0x0104), own.U16(4), own.U32(1), own.U32(7),
                        own.U16(0x0207), own.U16(3), own.U32(1), own.U16(9), {0, 0}, own.U32(0)});
    }), nullptr);
    EXPECT_EQ(pixpro.camera_id, 33);
    EXPECT_EQ(Numbers(pixpro, 0x0104), std::vector<std::int64_t>{7});
    EXPECT_EQ(Numbers(pixpro, 0x0207), std::vector<std::int64_t>{9});
  }
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
      ReadExifBlock(image, Block(order, "SAMSUNG TECHWIN", "", Samsung, c.noteSize), nullptr);
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
