// The header (ICC.1:2022, 7.2), the tag table (7.3) and the two text tags a viewer shows, read
// straight from the bytes: opening each profile with lcms2 (which copies it, allocates its tag
// tables and a lock) costs a lister of many camera files a fifth more processor time.

#include "extract/IccFacts.h"

#include <algorithm>
#include <string_view>

#include "extract/ByteCursor.h"
#include "metadata/Text.h"
#include "metadata/Utf16.h"

namespace kelmarin {

namespace {

constexpr std::size_t kHeader = 128;
constexpr std::uint32_t kMagic = 0x61637370;           // 'acsp'
constexpr std::uint32_t kDescription = 0x64657363;     // 'desc' tag and textDescriptionType
constexpr std::uint32_t kCopyright = 0x63707274;       // 'cprt'
constexpr std::uint32_t kMultiLocalized = 0x6D6C7563;  // 'mluc'
constexpr std::uint32_t kText = 0x74657874;            // 'text'
// Longer texts are cut: they are shown on one row.
constexpr std::size_t kMaxTextBytes = 4096;

// The profile's bytes from `at`, at most `length` of them (fewer where the profile ends).
std::string AsciiText(const ByteCursor& r, std::size_t at, std::size_t length) {
  const std::span<const std::uint8_t> bytes = r.Bytes();
  const std::size_t from = std::min(at, bytes.size());
  const std::size_t count = std::min({length, kMaxTextBytes, bytes.size() - from});
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()) + from, count);
  return BytesToUtf8(text.substr(0, text.find('\0')));
}

// UTF-16BE (ICC.1, 10.15) up to its first NUL unit, surrogate pairs joined, unpaired ones replaced.
std::string Utf16Text(const ByteCursor& r, std::size_t at, std::size_t length) {
  const std::size_t units = std::min(length, kMaxTextBytes) / 2;
  std::size_t count = 0;
  while (count < units && r.U16At(at + 2 * count) != 0) ++count;
  return Utf16ToUtf8(count, [&](std::size_t i) { return static_cast<char32_t>(r.U16At(at + 2 * i)); });
}

// A multiLocalizedUnicodeType (10.15): the record for en-US, else the first English one, else the
// first of all.
std::string LocalizedText(const ByteCursor& r, std::size_t tag, std::size_t size) {
  const std::uint32_t records = r.U32At(tag + 8);
  const std::uint32_t recordSize = r.U32At(tag + 12);
  if (recordSize < 12) return {};
  std::size_t chosen = 0;
  int rank = 0;  // 3 en-US, 2 en, 1 any
  for (std::uint32_t i = 0; i < records && i < 1024; ++i) {
    const std::size_t record = tag + 16 + std::size_t{i} * recordSize;
    if (record + 12 > tag + size) break;
    const bool english = r.U16At(record) == 0x656E;
    const int here = english && r.U16At(record + 2) == 0x5553 ? 3 : english ? 2 : 1;
    if (here > rank) rank = here, chosen = record;
  }
  if (rank == 0) return {};
  const std::uint32_t length = r.U32At(chosen + 4);
  const std::uint32_t offset = r.U32At(chosen + 8);
  if (offset > size || length > size - offset) return {};
  return Utf16Text(r, tag + offset, length);
}

// The text of a 'desc', 'mluc' or 'text' tag at its entry in the tag table; empty for another type.
std::string TagText(const ByteCursor& r, std::size_t entry) {
  const std::size_t tag = r.U32At(entry + 4);
  const std::size_t size = r.U32At(entry + 8);
  if (size < 12 || tag > r.Bytes().size() || size > r.Bytes().size() - tag) return {};
  switch (r.U32At(tag)) {
    case kDescription: {  // textDescriptionType (ICC.1:2001-04, 6.5.17): the ASCII part
      const std::uint32_t count = r.U32At(tag + 8);
      return count <= size - 12 ? AsciiText(r, tag + 12, count) : std::string();
    }
    case kMultiLocalized:
      return LocalizedText(r, tag, size);
    case kText:
      return AsciiText(r, tag + 8, size - 8);
    default:
      return {};
  }
}

}  // namespace

std::optional<IccFacts> ReadIccFacts(std::span<const std::uint8_t> profile) {
  const ByteCursor r(profile);
  if (profile.size() < kHeader + 4 || r.U32At(36) != kMagic) return std::nullopt;
  IccFacts facts;
  facts.size = profile.size();
  facts.version = r.U32At(8);
  facts.deviceClass = r.U32At(12);
  facts.colourSpace = r.U32At(16);
  facts.pcs = r.U32At(20);
  const IccDate date{r.U16At(24), r.U16At(26), r.U16At(28), r.U16At(30), r.U16At(32), r.U16At(34)};
  if (date.year != 0 || date.month != 0 || date.day != 0) facts.date = date;
  facts.intent = r.U32At(64);
  facts.creator = r.U32At(80);
  const std::uint32_t tags = r.U32At(kHeader);
  for (std::uint32_t i = 0; i < tags && kHeader + 4 + (std::size_t{i} + 1) * 12 <= profile.size(); ++i) {
    const std::size_t entry = kHeader + 4 + std::size_t{i} * 12;
    const std::uint32_t signature = r.U32At(entry);
    if (signature == kDescription && facts.description.empty()) facts.description = TagText(r, entry);
    if (signature == kCopyright && facts.copyright.empty()) facts.copyright = TagText(r, entry);
  }
  return facts;
}

std::string SignatureText(std::uint32_t signature) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(signature >> shift);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  if (signature == 0) return {};
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace kelmarin
