// libFuzzer target: the XMP reader. The bytes are parsed as a packet, as a whole TIFF block
// (tag 700), and split at their first zero byte into a main packet naming Extended XMP and one
// Extended XMP part, so that the joining of parts is fuzzed as well. Behind a GIF or PSD header they
// are the blocks of a GIF and the image resources of a Photoshop file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "extract/Containers.h"
#include "extract/xmp/XmpSources.h"
#include "extract/xmp/XmpVocabulary.h"

namespace {

kelmarin::JpegMarker App1(std::string_view signature, std::string_view payload) {
  kelmarin::JpegMarker marker{0xE1, {0xFF, 0xE1, 0, 0}};
  marker.bytes.insert(marker.bytes.end(), signature.begin(), signature.end());
  marker.bytes.insert(marker.bytes.end(), payload.begin(), payload.end());
  return marker;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kelmarin::XmpVocabulary words = kelmarin::XmpVocabulary::FromText(
      "namespace xmpNote http://ns.adobe.com/xmp/note/\nnamespace dc http://purl.org/dc/elements/1.1/\n");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)kelmarin::ParseXmpPacket(text, &words);

  kelmarin::MetadataSource source;
  (void)kelmarin::ReadTiffContainer({data, size}, nullptr, source);
  (void)kelmarin::ReadEmbeddedXmp(source, &words);

  source.Clear();
  const std::size_t cut = std::min(text.find('\0'), text.size());
  source.markers.push_back(App1({"http://ns.adobe.com/xap/1.0/\0", 29}, text.substr(0, cut)));
  source.markers.push_back(
      App1({"http://ns.adobe.com/xmp/extension/\0", 35}, text.substr(std::min(cut + 1, size))));
  (void)kelmarin::ReadEmbeddedXmp(source, &words);

  for (const std::string_view header :
       {std::string_view("GIF89a\x01\0\x01\0\0\0\0", 13), std::string_view("8BPS\0\x01", 6)}) {
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), data, data + size);
    source.Clear();
    (void)kelmarin::ReadGifContainer(file, source);
    (void)kelmarin::ReadPsdContainer(file, source);
    (void)kelmarin::ReadEmbeddedXmp(source, &words);
  }
  return 0;
}
