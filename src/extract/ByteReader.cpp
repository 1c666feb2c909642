#include "extract/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace kelmarin {

std::span<const std::uint8_t> ByteReader::Bytes(BufferPos pos, std::int64_t count) const {
  if (count <= 0 || pos < 1 || pos > Size()) return {};
  const std::int64_t available = Size() - (pos - 1);
  return data.subspan(Index(pos), static_cast<std::size_t>(std::min(count, available)));
}

std::string_view ByteReader::Text(BufferPos pos, std::int64_t count) const {
  const auto bytes = Bytes(pos, count);
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool ByteReader::MatchesNoCase(BufferPos pos, std::string_view text) const {
  const auto length = static_cast<std::int64_t>(text.size());
  return Has(pos, length) && EqualsNoCase(Text(pos, length), text);
}

BufferPos ByteReader::FindNoCase(std::string_view text, BufferPos from) const {
  if (text.empty()) return 0;
  from = std::max<BufferPos>(from, 1);
  if (from > Size()) return 0;
  const std::string_view rest = Text(from, Size());
  const auto it = std::search(rest.begin(), rest.end(), text.begin(), text.end(),
                              [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  if (it == rest.end()) return 0;
  return from + (it - rest.begin());
}

std::string_view CutAtNul(std::string_view text) {
  const auto nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace kelmarin
