#pragma once
// How the extraction fuzz targets cut the fuzzer's bytes into the pieces of a metadata source:
// records of one kind byte, a big-endian 16-bit length and that many payload bytes (fewer at the
// end). The seed generator writes the same records.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "extract/MetadataSource.h"

namespace kelmarin::fuzz {

enum class Piece : std::uint8_t {
  ExifPayload = 0,  // APP1: marker header and "Exif\0\0" are added
  App1Raw,          // APP1: the payload is the whole marker
  IptcPayload,      // APP13: marker header and "Photoshop 3.0\0" are added
  App13Raw,         // APP13: the payload is the whole marker
  OtherMarker,      // the payload's first byte is the marker code
  Comment,          // a JPEG comment
  PngText,          // keyword, zero byte, text
  EmptyMarker,      // an APP1 marker without bytes
  Count
};

inline void AppendRecord(std::vector<std::uint8_t>& out, Piece kind, std::span<const std::uint8_t> payload) {
  const std::size_t size = payload.size() > 0xFFFF ? 0xFFFF : payload.size();
  out.push_back(static_cast<std::uint8_t>(kind));
  out.push_back(static_cast<std::uint8_t>(size >> 8));
  out.push_back(static_cast<std::uint8_t>(size));
  out.insert(out.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(size));
}

inline std::vector<std::uint8_t> WithHeader(std::uint8_t code, std::string_view signature,
                                            std::span<const std::uint8_t> payload) {
  const std::size_t length = 2 + signature.size() + payload.size();
  std::vector<std::uint8_t> out = {0xFF, code, static_cast<std::uint8_t>(length >> 8),
                                   static_cast<std::uint8_t>(length)};
  out.insert(out.end(), signature.begin(), signature.end());
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

inline MetadataSource SourceFromBytes(std::span<const std::uint8_t> data) {
  MetadataSource source;
  std::size_t at = 0;
  while (at < data.size()) {
    const auto kind = static_cast<Piece>(data[at] % static_cast<std::uint8_t>(Piece::Count));
    const std::size_t length = at + 2 < data.size() ? (std::size_t{data[at + 1]} << 8) | data[at + 2] : 0;
    at = std::min(at + 3, data.size());
    const auto payload = data.subspan(at, std::min(length, data.size() - at));
    at += payload.size();
    switch (kind) {
      case Piece::ExifPayload:
        source.markers.push_back({0xE1, WithHeader(0xE1, {"Exif\0\0", 6}, payload)});
        break;
      case Piece::App1Raw:
        source.markers.push_back({0xE1, {payload.begin(), payload.end()}});
        break;
      case Piece::IptcPayload:
        source.markers.push_back({0xED, WithHeader(0xED, {"Photoshop 3.0\0", 14}, payload)});
        break;
      case Piece::App13Raw:
        source.markers.push_back({0xED, {payload.begin(), payload.end()}});
        break;
      case Piece::OtherMarker:
        source.markers.push_back(
            {payload.empty() ? std::uint8_t{0xE2} : payload[0], {payload.begin(), payload.end()}});
        break;
      case Piece::Comment:
        source.comments.emplace_back(payload.begin(), payload.end());
        break;
      case Piece::PngText: {
        const std::string text(payload.begin(), payload.end());
        const auto nul = text.find('\0');
        source.texts.push_back(
            {text.substr(0, nul), nul == std::string::npos ? std::string() : text.substr(nul + 1)});
        break;
      }
      default:
        source.markers.push_back({0xE1, {}});
        break;
    }
  }
  return source;
}

}  // namespace kelmarin::fuzz
