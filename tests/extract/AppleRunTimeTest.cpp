// Apple's run time: the binary property list of makernote tag 0x0003 and the rows it becomes, in
// makernotes of either byte order, and lists whose trailer, references or marker do not hold.
#include <gtest/gtest.h>

#include <string>

#include "MakernoteSamples.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

struct ListParts {
  std::uint8_t valueRef = 6;     // the reference of "value"'s number
  std::uint64_t top = 0;         // the top object
  std::uint64_t tableAt = 0;     // 0: where the table is
  std::string magic = "bplist00";
};

// A dictionary of the four keys and their numbers (a byte, 8 bytes, a byte, 4 bytes), one-byte
// offsets and references.
std::string RunTimeList(const ListParts& parts) {
  std::string list = parts.magic;
  std::vector<std::size_t> offsets;
  const auto object = [&](const std::string& bytes) {
    offsets.push_back(list.size());
    list += bytes;
  };
  object(std::string("\xD4\x01\x02\x03\x04\x05", 6) + static_cast<char>(parts.valueRef) + "\x07\x08");
  object("\x55" "flags"), object("\x55" "value"), object("\x55" "epoch"), object("\x59" "timescale");
  object(std::string("\x10\x01", 2)), object(std::string("\x13\x00\x00\x4E\x83\x1C\xAB\x03\x39", 9));
  object(std::string("\x10\x00", 2)), object(std::string("\x12\x3B\x9A\xCA\x00", 5));
  const std::size_t tableAt = list.size();
  for (const std::size_t at : offsets) list += static_cast<char>(at);
  std::string trailer(32, '\0');
  trailer[6] = 1, trailer[7] = 1, trailer[15] = static_cast<char>(offsets.size());
  trailer[23] = static_cast<char>(parts.top);
  const std::uint64_t table = parts.tableAt != 0 ? parts.tableAt : tableAt;
  trailer[30] = static_cast<char>(table >> 8), trailer[31] = static_cast<char>(table);
  return list + trailer;
}

// An Apple makernote: "Apple iOS\0", version 1, its byte order, one entry (tag 3, UNDEFINED)
// whose bytes follow the directory; offsets from the makernote start.
std::vector<std::uint8_t> AppleApp1(ByteOrder order, const std::string& list) {
  const bool big = order == ByteOrder::BigEndian;
  const auto u16 = [big](std::uint32_t v) {
    return big ? std::string{static_cast<char>(v >> 8), static_cast<char>(v)}
               : std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
  };
  const auto u32 = [&](std::uint32_t v) { return big ? u16(v >> 16) + u16(v) : u16(v) + u16(v >> 16); };
  const std::string note = std::string("Apple iOS\0\0\1", 12) + (big ? "MM" : "II") + u16(1) + u16(3) + u16(7) +
                           u32(static_cast<std::uint32_t>(list.size())) + u32(32) + u32(0) + list;
  return test::PlainMakernoteApp1(order, "Apple", note);
}

std::string RunTime(ByteOrder order, const std::string& list) {
  ImageMetadata image;
  ReadExifBlock(image, AppleApp1(order, list), nullptr);
  std::string text;
  for (int i = 1; i <= image.ExifCount(kSectionMakernote); ++i) {
    const ZetExif* item = image.ExifPos(kSectionMakernote, i);
    if (item->directory != 3) continue;
    text += (text.empty() ? "" : " ") + std::to_string(item->tag) + "=" + std::to_string(*item->inhalt.Number(0));
  }
  return text;
}

TEST(AppleRunTime, DictionaryOfNumbers) {
  struct Case {
    const char* name;
    ListParts parts;
    const char* shown;
  };
  const Case cases[] = {
      {"whole list", {}, "1=1 2=86325028651833 3=0 4=1000000000"},
      {"a value's reference beyond the objects", {.valueRef = 40}, "1=1 3=0 4=1000000000"},
      {"a value's reference to a text", {.valueRef = 2}, "1=1 3=0 4=1000000000"},
      {"top object beyond the objects", {.top = 9}, ""},
      {"top object not a dictionary", {.top = 5}, ""},
      {"offset table beyond the list", {.tableAt = 500}, ""},
      {"another signature", {.magic = "bplist01"}, ""},
  };
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const Case& c : cases) EXPECT_EQ(RunTime(order, RunTimeList(c.parts)), c.shown) << c.name;
    // A list cut short of its trailer.
    EXPECT_EQ(RunTime(order, RunTimeList({}).substr(0, 30)), "");
  }
}

}  // namespace
}  // namespace kelmarin
