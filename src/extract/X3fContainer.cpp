// Sigma's X3F raw files (Foveon's "FOVb" format, all numbers little-endian): the header at the
// start, and the directory of sections whose offset the file's last four bytes hold, among them
// the properties ("SECp": names and values as UTF-16 texts). An X3F file has no TIFF structure:
// what it says is written into a small TIFF block of its own, with the header as a makernote of
// its own, so that the EXIF reader lists it. See Containers.h for the contract.

#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "extract/Containers.h"
#include "extract/ExifBlock.h"

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

std::uint32_t U32(Bytes b, std::size_t at) {
  if (at > b.size() || b.size() - at < 4) return 0;
  return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
         (std::uint32_t{b[at + 3]} << 24);
}

bool Starts(Bytes b, std::size_t at, std::string_view text) {
  return at <= b.size() && b.size() - at >= text.size() && std::memcmp(b.data() + at, text.data(), text.size()) == 0;
}

// The UTF-16LE text at character `index` of `chars`, up to its NUL, as UTF-8 (a surrogate as "?").
std::string Utf16Text(Bytes chars, std::uint64_t index) {
  std::string text;
  for (std::uint64_t at = index * 2; at + 2 <= chars.size() && text.size() < kMaxValueCharacters; at += 2) {
    const std::uint32_t code = chars[at] | (std::uint32_t{chars[at + 1]} << 8);
    if (code == 0) break;
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code >= 0xD800 && code < 0xE000) {
      text += '?';
    } else {
      text += static_cast<char>(0xE0 | (code >> 12));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

struct Properties {
  std::string make, model, time;
};

// The properties section: "SECp", version, count, character format (0: UTF-16), reserved, length
// in characters; then per property the character index of its name and of its value; then the
// characters.
void ReadProperties(Bytes section, Properties& found) {
  if (section.size() < 24 || !Starts(section, 0, "SECp") || U32(section, 12) != 0) return;
  const std::uint32_t count = U32(section, 8);
  if (count > kMaxProperties || count > (section.size() - 24) / 8) return;
  const Bytes chars = section.subspan(24 + std::size_t{count} * 8);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string name = Utf16Text(chars, U32(section, 24 + std::size_t{i} * 8));
    std::string* into = name == "CAMMANUF" ? &found.make
                        : name == "CAMMODEL" ? &found.model
                        : name == "TIME"     ? &found.time
                                             : nullptr;
    if (into != nullptr && into->empty()) *into = Utf16Text(chars, U32(section, 28 + std::size_t{i} * 8));
  }
}

// The directory ("SECd", version, count, then offset, length and type of each section).
Properties ReadDirectory(Bytes file) {
  Properties found;
  const std::size_t at = U32(file, file.size() - 4);
  if (!Starts(file, at, "SECd")) return found;
  const Bytes directory = file.subspan(at);
  const std::uint32_t count = U32(directory, 8);
  for (std::uint32_t i = 0; i < count && i < kMaxSections; ++i) {
    const std::size_t entry = 12 + std::size_t{i} * 12;
    if (entry + 12 > directory.size()) break;
    const std::size_t offset = U32(directory, entry), length = U32(directory, entry + 4);
    if (!Starts(directory, entry + 8, "PROP") || offset > file.size() || length > file.size() - offset) continue;
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
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&time, &parts) == nullptr) return {};
  char text[96];
  std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

struct Field {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  Buffer data;
};

void Put16(Buffer& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Buffer& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

Field Text(std::uint16_t tag, std::string_view text) {
  Buffer data(text.begin(), text.end());
  data.push_back(0);
  return {tag, kAscii, static_cast<std::uint32_t>(data.size()), std::move(data)};
}

Field Long(std::uint16_t tag, std::uint32_t value) {
  Buffer data;
  Put32(data, value);
  return {tag, kLong, 1, std::move(data)};
}

std::size_t DirectorySize(const std::vector<Field>& fields) {
  std::size_t size = 2 + 12 * fields.size() + 4;
  for (const Field& field : fields) {
    if (field.data.size() > 4) size += field.data.size() + field.data.size() % 2;
  }
  return size;
}

// The fields (in rising tag order) and then their values of more than four bytes.
void PutDirectory(Buffer& out, const std::vector<Field>& fields) {
  auto dataAt = static_cast<std::uint32_t>(out.size() + 2 + 12 * fields.size() + 4);
  Put16(out, static_cast<std::uint32_t>(fields.size()));
  Buffer data;
  for (const Field& field : fields) {
    Put16(out, field.tag);
    Put16(out, field.type);
    Put32(out, field.count);
    if (field.data.size() <= 4) {
      Buffer value = field.data;
      value.resize(4, 0);
      out.insert(out.end(), value.begin(), value.end());
      continue;
    }
    Put32(out, dataAt + static_cast<std::uint32_t>(data.size()));
    data.insert(data.end(), field.data.begin(), field.data.end());
    if (field.data.size() % 2 != 0) data.push_back(0);
  }
  Put32(out, 0);
  out.insert(out.end(), data.begin(), data.end());
}

// Directory 0 (make, model, image size), the Exif directory (date, and the header as makernote).
Buffer X3fTiffBlock(Bytes file, const Properties& properties) {
  const bool version4 = U32(file, kVersionAt) >= kVersion4;
  std::vector<Field> main = {Text(0x010F, properties.make.empty() ? "SIGMA" : properties.make)};
  if (!properties.model.empty()) main.push_back(Text(0x0110, properties.model));
  main.insert(main.begin(), {Long(0x0100, U32(file, version4 ? kColumnsAt4 : kColumnsAt)),
                             Long(0x0101, U32(file, version4 ? kRowsAt4 : kRowsAt))});
  main.push_back(Long(0x8769, 0));
  const std::size_t exifAt = 8 + DirectorySize(main);
  main.back() = Long(0x8769, static_cast<std::uint32_t>(exifAt));
  // The makernote: the header as far as the file holds it (only version and mark from 4.0 on,
  // whose other fields lie elsewhere).
  const Bytes header = file.first(std::min(file.size(), version4 ? std::size_t{8} : kHeaderBytes));
  std::vector<Field> exif;
  if (const std::string date = DateText(properties.time); !date.empty()) exif.push_back(Text(0x9003, date));
  exif.push_back({kTagMakerNote, kUndefined, static_cast<std::uint32_t>(header.size()),
                  Buffer(header.begin(), header.end())});
  Buffer block = {'I', 'I', 42, 0};
  Put32(block, 8);
  PutDirectory(block, main);
  PutDirectory(block, exif);
  return block;
}

}  // namespace

bool ReadX3fContainer(Bytes file, MetadataSource& source) {
  if (!Starts(file, 0, "FOVb") || file.size() < 8) return false;
  source.AddTiffCopy(TiffBlockRole::Whole, X3fTiffBlock(file, ReadDirectory(file)));
  return true;
}

}  // namespace kelmarin
