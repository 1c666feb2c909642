#include "extract/xmp/XmpSources.h"

#include <algorithm>
#include <fstream>

#include "extract/ByteCursor.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

constexpr std::string_view kMainSignature{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kExtendedSignature{"http://ns.adobe.com/xmp/extension/\0", 35};
constexpr std::string_view kPngKeyword = "XML:com.adobe.xmp";
constexpr std::string_view kNoteNamespace = "http://ns.adobe.com/xmp/note/";
constexpr std::size_t kGuidLength = 32;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The payload of an APP1 marker after the signature; empty when it carries another.
std::string_view App1Payload(const JpegMarker& marker, std::string_view signature) {
  if (marker.code != 0xE1 || marker.bytes.size() < 4) return {};
  const std::string_view payload = AsText(std::span(marker.bytes).subspan(4));
  return payload.starts_with(signature) ? payload.substr(signature.size()) : std::string_view();
}

void Add(XmpSource& source, XmpPacket packet, bool extended) {
  if (packet.problem != XmpProblem::None) {
    source.notes.push_back({packet.problem, extended, packet.line, packet.column});
  }
  source.properties.insert(source.properties.end(), std::make_move_iterator(packet.properties.begin()),
                           std::make_move_iterator(packet.properties.end()));
}

std::string ExtendedGuid(const XmpSource& source) {
  for (const XmpProperty& property : source.properties) {
    if (property.ns == kNoteNamespace && property.leafName == "HasExtendedXMP") return property.value;
  }
  return {};
}

// The JPEG's main packet and its Extended XMP; false when it has no main packet.
bool ReadJpegXmp(const MetadataSource& metadata, const XmpVocabulary* vocabulary, XmpSource& source) {
  const auto main = std::find_if(metadata.markers.begin(), metadata.markers.end(),
                                 [](const JpegMarker& m) { return !App1Payload(m, kMainSignature).empty(); });
  if (main == metadata.markers.end()) return false;
  Add(source, ParseXmpPacket(App1Payload(*main, kMainSignature), vocabulary), false);
  const std::string guid = ExtendedGuid(source);
  if (guid.size() != kGuidLength) return true;
  bool incomplete = false;
  const std::string extended = JoinExtendedXmp(metadata.markers, guid, incomplete);
  if (incomplete) source.notes.push_back({XmpProblem::Incomplete, true, 0, 0});
  if (!extended.empty()) Add(source, ParseXmpPacket(extended, vocabulary), true);
  return true;
}

}  // namespace

std::string JoinExtendedXmp(const std::vector<JpegMarker>& markers, std::string_view guid, bool& incomplete) {
  struct Part {
    std::uint32_t offset;
    std::string_view bytes;
  };
  std::vector<Part> parts;
  std::uint32_t total = 0;
  incomplete = false;
  for (const JpegMarker& marker : markers) {
    const std::string_view payload = App1Payload(marker, kExtendedSignature);
    if (payload.size() < kGuidLength + 8 || payload.substr(0, kGuidLength) != guid) continue;
    ByteCursor cursor(std::span(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()));
    cursor.Skip(kGuidLength);
    const std::uint32_t length = cursor.U32();
    const std::uint32_t offset = cursor.U32();
    if (!parts.empty() && length != total) incomplete = true;
    total = length;
    parts.push_back({offset, payload.substr(cursor.Position())});
  }
  if (parts.empty()) return {};
  std::stable_sort(parts.begin(), parts.end(),
                   [](const Part& a, const Part& b) { return a.offset < b.offset; });
  std::string joined;
  for (const Part& part : parts) {
    if (part.offset < joined.size() && part.offset + part.bytes.size() <= joined.size())
      continue;  // repeated
    if (part.offset != joined.size()) incomplete = true;
    if (incomplete) break;
    joined += part.bytes;
  }
  if (joined.size() != total) incomplete = true;
  if (incomplete) joined.clear();
  return joined;
}

std::optional<XmpSource> ReadEmbeddedXmp(const MetadataSource& metadata, const XmpVocabulary* vocabulary) {
  XmpSource source;
  bool found = ReadJpegXmp(metadata, vocabulary, source);
  for (const PngText& text : metadata.texts) {
    if (found || text.keyword != kPngKeyword) continue;
    Add(source, ParseXmpPacket(text.text, vocabulary), false);
    found = true;
  }
  for (const std::string& packet : metadata.xmpPackets) {
    Add(source, ParseXmpPacket(packet, vocabulary), false);
    found = true;
  }
  if (!found) return std::nullopt;
  return source;
}

XmpSource ReadSidecarXmp(std::string fileName, std::string_view bytes, const XmpVocabulary* vocabulary) {
  XmpSource source;
  source.origin = std::move(fileName);
  Add(source, ParseXmpPacket(bytes, vocabulary), false);
  return source;
}

XmpSource ReadSidecarFile(const std::filesystem::path& path, const XmpVocabulary* vocabulary) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes(kXmpMaxPacketBytes + 1, '\0');
  if (file) file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file && !file.eof()) {
    XmpSource source;
    source.origin = path.filename().string();
    source.notes.push_back({XmpProblem::Unreadable, false, 0, 0});
    return source;
  }
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return ReadSidecarXmp(path.filename().string(), bytes, vocabulary);
}

bool IsSidecarOf(std::string_view sidecar, std::string_view imageName) {
  constexpr std::string_view kExtension = ".xmp";
  if (sidecar.size() <= kExtension.size() || !EqualsNoCase(sidecar.substr(sidecar.size() - 4), kExtension)) {
    return false;
  }
  const std::string_view stem = sidecar.substr(0, sidecar.size() - 4);
  if (EqualsNoCase(stem, imageName)) return true;
  const std::size_t dot = imageName.rfind('.');
  return dot != std::string_view::npos && dot > 0 && EqualsNoCase(stem, imageName.substr(0, dot));
}

}  // namespace kelmarin
