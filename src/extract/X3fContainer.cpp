// Sigma's X3F raw files (Foveon's "FOVb" format, all numbers little-endian): the header at the
// start, and the directory of sections whose offset the file's last four bytes hold, among them
// the properties ("SECp": names and values as UTF-16 texts). An X3F file has no TIFF structure:
// what it says is written into a small TIFF block of its own, with the header as a makernote of
// its own, so that the EXIF reader lists it. See Containers.h for the contract.

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "extract/ByteCursor.h"
#include "extract/Containers.h"
#include "extract/ExifBlock.h"
#include "extract/TiffWriter.h"
#include "metadata/Utf16.h"

namespace kelmarin {

namespace {

using Bytes = std::span<const std::uint8_t>;
using Buffer = std::vector<std::uint8_t>;

// Header (file version 2.x): version, unique identifier (16 bytes), mark bits, columns, rows,
// rotation, white balance (32 characters), scene capture type (32 characters). From version 4.0
// on, the image size lies further back and the header holds no texts.
constexpr std::size_t kHeaderBytes = 104;
constexpr std::size_t kVersionAt = 4;
constexpr std::uint32_t kVersion4 = 0x00040000;
constexpr std::size_t kColumnsAt = 28, kRowsAt = 32;
constexpr std::size_t kColumnsAt4 = 40, kRowsAt4 = 44;

// Against hostile directories: sections and properties looked at, and the characters of a value.
constexpr std::uint32_t kMaxSections = 256;
constexpr std::uint32_t kMaxProperties = 4096;
constexpr std::size_t kMaxValueCharacters = 256;

// The UTF-16LE text at character `index` of `chars`, up to its NUL or kMaxValueCharacters units,
// as UTF-8.
std::string Utf16Text(Bytes chars, std::uint64_t index) {
  const std::uint64_t units = chars.size() / 2;
  const std::size_t most = index < units ? std::min<std::size_t>(units - index, kMaxValueCharacters) : 0;
  const auto unit = [&](std::size_t i) {
    const std::size_t at = static_cast<std::size_t>(index + i) * 2;
    return static_cast<char32_t>(chars[at] | (chars[at + 1] << 8));
  };
  std::size_t count = 0;
  while (count < most && unit(count) != 0) ++count;
  return Utf16ToUtf8(count, unit);
}

struct Properties {
  std::string make, model, time;
};

// The properties section: "SECp", version, count, character format (0: UTF-16), reserved, length
// in characters; then per property the character index of its name and of its value; then the
// characters.
void ReadProperties(Bytes section, Properties& found) {
  ByteCursor cursor(section, false);
  if (!cursor.Match("SECp")) return;
  cursor.Skip(4);  // version
  const std::uint32_t count = cursor.U32();
  const std::uint32_t format = cursor.U32();
  cursor.Skip(8);  // reserved, length in characters
  if (cursor.RanOut() || format != 0 || count > kMaxProperties || count > cursor.Remaining() / 8) return;
  ByteCursor indexes = cursor.Sub(std::size_t{count} * 8);
  const Bytes chars = section.subspan(cursor.Position());
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string name = Utf16Text(chars, indexes.U32());
    const std::uint32_t value = indexes.U32();
    std::string* into = name == "CAMMANUF" ? &found.make
                        : name == "CAMMODEL" ? &found.model
                        : name == "TIME"     ? &found.time
                                             : nullptr;
    if (into != nullptr && into->empty()) *into = Utf16Text(chars, value);
  }
}

// The directory ("SECd", version, count, then offset, length and type of each section).
Properties ReadDirectory(Bytes file) {
  Properties found;
  const ByteCursor whole(file, false);
  const std::size_t at = whole.U32At(file.size() - 4);
  if (!whole.HoldsAt(at, "SECd")) return found;
  ByteCursor directory(file.subspan(at), false);
  directory.Skip(8);  // "SECd", version
  const std::uint32_t count = directory.U32();
  for (std::uint32_t i = 0; i < count && i < kMaxSections; ++i) {
    ByteCursor entry = directory.Sub(12);
    if (directory.RanOut()) break;
    const std::size_t offset = entry.U32(), length = entry.U32();
    if (!entry.Match("PROP") || offset > file.size() || length > file.size() - offset) continue;
    ReadProperties(file.subspan(offset, length), found);
  }
  return found;
}

// "TIME": seconds since 1970 as decimal digits, as an EXIF date; empty when it is no such number.
std::string DateText(std::string_view digits) {
  if (digits.empty() || digits.size() > 12) return {};
  std::int64_t seconds = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return {};
    seconds = seconds * 10 + (c - '0');
  }
  return ExifDateOfUnixTime(seconds);
}

// Directory 0 (make, model, image size), the Exif directory (date, and the header as makernote).
Buffer X3fTiffBlock(Bytes file, const Properties& properties) {
  const ByteCursor fields(file, false);
  const bool version4 = fields.U32At(kVersionAt) >= kVersion4;
  auto exif = std::make_shared<Ifd>();
  if (const std::string date = DateText(properties.time); !date.empty()) exif->Ascii(0x9003, date);
  // The makernote: the header as far as the file holds it (only version and mark from 4.0 on,
  // whose other fields lie elsewhere).
  const Bytes header = file.first(std::min(file.size(), version4 ? std::size_t{8} : kHeaderBytes));
  exif->Undefined(kTagMakerNote, Buffer(header.begin(), header.end()));
  Ifd main;
  main.Long(0x0100, {fields.U32At(version4 ? kColumnsAt4 : kColumnsAt)})
      .Long(0x0101, {fields.U32At(version4 ? kRowsAt4 : kRowsAt)})
      .Ascii(0x010F, properties.make.empty() ? "SIGMA" : properties.make)
      .Sub(0x8769, exif);
  if (!properties.model.empty()) main.Ascii(0x0110, properties.model);
  return WriteTiffBlock(ByteOrder::LittleEndian, main);
}

}  // namespace

bool ReadX3fContainer(Bytes file, MetadataSource& source) {
  if (!ByteCursor(file).HoldsAt(0, "FOVb") || file.size() < 8) return false;
  source.AddTiffCopy(TiffBlockRole::Whole, X3fTiffBlock(file, ReadDirectory(file)));
  return true;
}

}  // namespace kelmarin
