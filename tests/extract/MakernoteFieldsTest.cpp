// Makernotes without a directory of the usual form, in both byte orders: Samsung's "STMN",
// Kodak's "KDK INFO" and model-picked forms and Reconyx's (known without a make) keep values of
// 1, 2 and 4 bytes (signed ones, lists, texts, UTF-16 texts) at fixed places, and a makernote too
// short for a value leaves it out; Kodak's directory form has two bytes between its entry count
// and its entries.

#include <gtest/gtest.h>

#include <functional>

#include "TiffBuilder.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using test::TiffBuilder;
using Note = std::function<std::vector<std::uint8_t>(const TiffBuilder&)>;

std::vector<std::uint8_t> Block(ByteOrder order, const std::string& make, const std::string& model, const Note& note,
                                std::uint32_t noteSize) {
  TiffBuilder tiff(order);
  const std::uint32_t makeAt = tiff.AppendText(make + '\0');
  const std::uint32_t modelAt = tiff.AppendText(model + '\0');
  const std::vector<std::uint8_t> bytes = note(tiff);
  const std::uint32_t at = tiff.Append(bytes);
  const std::uint32_t exif =
      tiff.AddDirectory({tiff.At(0x927C, 7, noteSize != 0 ? noteSize : static_cast<std::uint32_t>(bytes.size()), at)});
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x010F, 2, static_cast<std::uint32_t>(make.size() + 1), makeAt),
                                            tiff.At(0x0110, 2, static_cast<std::uint32_t>(model.size() + 1), modelAt),
                                            tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

// `size` zero bytes with the parts written at their offsets.
std::vector<std::uint8_t> Place(std::size_t size, std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> parts) {
  std::vector<std::uint8_t> bytes(size, 0);
  for (const auto& [at, part] : parts) std::copy(part.begin(), part.end(), bytes.begin() + static_cast<long>(at));
  return bytes;
}

// The item's values joined by ",", "-" when there is none.
std::string Text(const ZetExif* item) {
  std::string text = item == nullptr ? "-" : "";
  for (const ExifValue& v : item != nullptr ? item->inhalt : std::vector<ExifValue>{})
    text += (text.empty() ? "" : ",") + (v.index() == 0 ? std::to_string(std::get<0>(v)) : std::get<1>(v));
  return text;
}

struct FieldCase {
  const char* name;
  std::string make, model;
  Note note;
  std::uint32_t noteSize;  // 0: all its bytes
  std::int32_t maker;
  std::vector<std::pair<std::int32_t, std::string>> items;
};

TEST(MakernoteFields, FixedValuesAndPaddedDirectory) {
  const Note samsung = [](const TiffBuilder& t) { return test::Cat({test::Bytes("STMN0100"), t.U32(3361053), t.U32(5)}); };
  const FieldCase cases[] = {
      {"Samsung", "SAMSUNG TECHWIN", "", samsung, 0, 32, {{0, "STMN0100"}, {2, "3361053"}, {3, "5"}}},
      {"SamsungCut", "SAMSUNG TECHWIN", "", samsung, 15, 32, {{0, "STMN0100"}, {2, "3361053"}, {3, "-"}}},
      {"KodakInfo", "EASTMAN KODAK COMPANY", "KODAK DX4900", [](const TiffBuilder& t) {
         return test::Cat({test::Bytes("KDK INFO"), Place(0x6C, {{0x00, test::Bytes("DX4900 ")}, {0x0C, t.U16(2448)},
                  {0x12, {5, 1}}, {0x20, t.U32(464)}, {0x24, t.U16(0xFEB3)}, {0x39, {2}}, {0x6B, {0xFF}}})});
       }, 0, 34, {{0x00, "DX4900 "}, {0x0C, "2448"}, {0x12, "5,1"}, {0x20, "464"}, {0x24, "-333"}, {0x38, "0"},
                  {0x6B, "-1"}}},
      {"KodakDc240", "EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM", [](const TiffBuilder& t) {
         return Place(0x50, {{0x0C, t.U16(1999)}, {0x37, {0xFE}}});
       }, 0, 35, {{0x0C, "1999"}, {0x37, "-2"}}},
      {"ReconyxWithoutMake", "", "", [](const TiffBuilder& t) {
         return Place(0x6C, {{0x00, {0x01, 0xF1}}, {0x26, t.U16(0xFFFB)}, {0x2A, {'H', 0, 0xE9, 0, '5', 0}}});
       }, 0, 38, {{0x13, "-5"}, {0x15, "H?5"}, {0x2B, ""}}},
      {"KodakOwnHeader", "JK Imaging, Ltd.", "PIXPRO", [](const TiffBuilder& t) {
         TiffBuilder own(t.Order() == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
         return test::Cat({test::Bytes(own.Order() == ByteOrder::BigEndian ? "MM" : "II"), own.U16(42), own.U32(8),
                           own.U16(1), {0, 0}, own.U16(0x0104), own.U16(4), own.U32(1), own.U32(7), own.U32(0)});
       }, 0, 33, {{0x0104, "7"}}},
  };
  for (const FieldCase& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.name) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      ImageMetadata image;
      ReadExifBlock(image, Block(order, c.make, c.model, c.note, c.noteSize), nullptr);
      EXPECT_EQ(image.camera_id, c.maker);
      std::vector<std::pair<std::int32_t, std::string>> items;
      for (const auto& [tag, text] : c.items) items.emplace_back(tag, Text(image.ExifTag(3, tag)));
      EXPECT_EQ(items, c.items);
    }
  }
}

}  // namespace
}  // namespace kelmarin
