#pragma once
// EXIF blocks with the makernotes of Nikon's binary blocks and of the makers whose makernote has
// no directory (JVC's text, Minolta's DiMAGE EX), and Sigma's X3F files: for the tests and the
// fuzz seeds.

#include <string>
#include <utility>
#include <vector>

#include "TiffBuilder.h"

namespace kelmarin::test {

// A Nikon makernote ("Nikon\0\2\x10\0\0" and a TIFF header of its own in the builder's order)
// holding each of `blocks` as UNDEFINED bytes under its tag, and the serial number (0x001D, when
// not empty) and shutter count (0x00A7, when not 0) that key the enciphered ones.
inline std::vector<std::uint8_t> NikonBlocksApp1(ByteOrder order,
                                                 const std::vector<std::pair<std::uint16_t, std::string>>& blocks,
                                                 const std::string& serial = "", std::uint32_t shutterCount = 0,
                                                 const std::string& modelText = "NIKON D300") {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText(std::string("NIKON CORPORATION") + '\0');
  const std::uint32_t model = tiff.AppendText(modelText + '\0');
  const std::uint32_t note = tiff.Append(Cat({Bytes(std::string("Nikon\0\2\x10\0\0", 10)),
                                              Bytes(order == ByteOrder::BigEndian ? "MM" : "II"), tiff.U16(42),
                                              tiff.U32(8)}));
  const std::uint32_t base = note + 10;  // offsets count from the makernote's own header
  // The directory follows the header; the values follow the directory in entry order.
  const auto entryCount = static_cast<std::uint32_t>(blocks.size() + (serial.empty() ? 0 : 1) + (shutterCount != 0));
  std::uint32_t valueAt = tiff.Size() + 2 + 12 * entryCount + 4;
  std::vector<TiffBuilder::Entry> entries;
  std::vector<std::vector<std::uint8_t>> values;
  const auto add = [&](std::uint16_t tag, std::uint16_t type, const std::vector<std::uint8_t>& bytes) {
    const auto count = static_cast<std::uint32_t>(bytes.size());
    if (count <= 4) {
      entries.push_back(tiff.Inline(tag, type, count, bytes));
      return;
    }
    entries.push_back(tiff.At(tag, type, count, valueAt - base));
    values.push_back(bytes);
    valueAt += count + count % 2;
  };
  if (!serial.empty()) add(0x001D, 2, Bytes(serial + '\0'));
  for (const auto& [tag, bytes] : blocks) add(tag, 7, Bytes(bytes));
  if (shutterCount != 0) entries.push_back(tiff.Long(0x00A7, shutterCount));
  tiff.AddDirectory(entries);
  for (const auto& bytes : values) tiff.Append(bytes);
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x010F, 2, 18, make), tiff.At(0x0110, 2, static_cast<std::uint32_t>(modelText.size() + 1), model), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

struct CanonStored {
  std::uint16_t tag;
  std::uint16_t type;  // 7 bytes, 3 words, 4 32-bit numbers
  std::vector<std::uint8_t> bytes;
};

// An EXIF block of a Canon body: the makernote directory (model id first) and the blocks' values
// after it (UNDEFINED bytes, SHORT or LONG numbers as given), offsets from the TIFF header.
inline std::vector<std::uint8_t> CanonApp1(ByteOrder order, const std::string& model, std::uint32_t modelId,
                                    const std::vector<CanonStored>& blocks) {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText(std::string("Canon") + '\0');
  const std::uint32_t modelAt = tiff.AppendText(model + '\0');
  auto valueAt = static_cast<std::uint32_t>(tiff.Size() + 2 + 12 * (blocks.size() + 1) + 4);
  std::vector<TiffBuilder::Entry> entries = {tiff.Long(0x0010, modelId)};
  for (const CanonStored& block : blocks) {
    const auto size = static_cast<std::uint32_t>(block.bytes.size());
    entries.push_back(tiff.At(block.tag, block.type, block.type == 3 ? size / 2 : block.type == 4 ? size / 4 : size, valueAt));
    valueAt += size + size % 2;
  }
  const std::uint32_t note = tiff.AddDirectory(entries);
  for (const CanonStored& block : blocks) tiff.Append(block.bytes);
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x010F, 2, 6, make),
                                            tiff.At(0x0110, 2, static_cast<std::uint32_t>(model.size() + 1), modelAt),
                                            tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

// An EXIF block of the given make whose makernote is `note` as it stands.
inline std::vector<std::uint8_t> PlainMakernoteApp1(ByteOrder order, const std::string& make,
                                                    const std::string& note) {
  TiffBuilder tiff(order);
  const std::uint32_t noteAt = tiff.AppendText(note);
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, static_cast<std::uint32_t>(note.size()), noteAt)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.Ascii(0x010F, make), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

// An X3F file: the header (version 2.3 or 4.0), image data, the properties section and the
// section directory, whose offset the last four bytes hold.
inline std::vector<std::uint8_t> X3fFile(std::uint32_t version, const std::vector<std::pair<std::string, std::string>>& properties,
                              bool withDirectory = true) {
  const TiffBuilder o(ByteOrder::LittleEndian);
  std::vector<std::uint8_t> file = Cat({Bytes("FOVb"), o.U32(version)});
  for (int i = 0; i < 16; ++i) file.push_back(static_cast<std::uint8_t>(0xA0 + i));
  file = Cat({file, o.U32(3), o.U32(2640), o.U32(1760), o.U32(90)});
  if (version >= 0x00040000) file = Cat({file, o.U32(5424), o.U32(3616), o.U32(0)});
  else file = Cat({file, Bytes("Sunlight"), std::vector<std::uint8_t>(24 + 32 + 128, 0)});
  file.resize(file.size() + 64, 0x55);  // image data
  std::vector<std::uint8_t> chars, entries;
  const auto put = [&](const std::string& text) {
    const auto index = static_cast<std::uint32_t>(chars.size() / 2);
    for (const char c : text) chars = Cat({chars, o.U16(static_cast<std::uint8_t>(c))});
    chars = Cat({chars, o.U16(0)});
    return index;
  };
  for (const auto& [name, value] : properties) entries = Cat({entries, o.U32(put(name)), o.U32(put(value))});
  const auto prop = static_cast<std::uint32_t>(file.size());
  file = Cat({file, Bytes("SECp"), o.U32(0x00020000), o.U32(static_cast<std::uint32_t>(properties.size())),
                    o.U32(0), o.U32(0), o.U32(static_cast<std::uint32_t>(chars.size() / 2)), entries, chars});
  const auto directory = static_cast<std::uint32_t>(file.size());
  file = Cat({file, Bytes("SECd"), o.U32(0x00020000), o.U32(1), o.U32(prop),
                    o.U32(directory - prop), Bytes("PROP"), o.U32(withDirectory ? directory : 8)});
  return file;
}

}  // namespace kelmarin::test
