#pragma once
// The XMP of one image, each source on its own: the packet embedded in the file (with its Extended
// XMP parts) and the sidecar files beside it. Standard library and expat only.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "extract/MetadataSource.h"
#include "extract/xmp/XmpPacket.h"

namespace kelmarin {

struct XmpNote {
  XmpProblem problem = XmpProblem::None;
  bool extended = false;  // said of the Extended XMP part
  std::uint64_t line = 0;
  std::uint64_t column = 0;
};

struct XmpSource {
  std::string origin;  // empty: embedded in the file; otherwise the sidecar's file name
  std::vector<XmpProperty> properties;
  std::vector<XmpNote> notes;  // what cut a packet short; its properties read so far are kept
};

// The packet embedded in the image: JPEG APP1 "http://ns.adobe.com/xap/1.0/" (and the Extended XMP
// parts whose GUID the main packet names in xmpNote:HasExtendedXMP, joined by their offsets), the
// PNG text "XML:com.adobe.xmp", or the packets a container reader found (tag 700 of a TIFF or
// TIFF-based RAW file among them). Empty when the file has none.
std::optional<XmpSource> ReadEmbeddedXmp(const MetadataSource& source, const XmpVocabulary* vocabulary);

// A sidecar file's contents, named by its file name.
XmpSource ReadSidecarXmp(std::string fileName, std::string_view bytes, const XmpVocabulary* vocabulary);

// A sidecar file read from disk (at most kXmpMaxPacketBytes and one more, so that a larger one is
// cut with its note); a file that cannot be read gives its Unreadable note.
XmpSource ReadSidecarFile(const std::filesystem::path& path, const XmpVocabulary* vocabulary);

// The Extended XMP packet of a JPEG: the APP1 parts of the GUID joined by their offsets. Empty with
// `incomplete` set when the parts leave a gap or their total differs; empty and not set when none.
std::string JoinExtendedXmp(const std::vector<JpegMarker>& markers, std::string_view guid, bool& incomplete);

// Which sidecar names belong to an image file name "NAME.EXT": "NAME.xmp" and "NAME.EXT.xmp",
// compared without regard to ASCII case.
bool IsSidecarOf(std::string_view sidecar, std::string_view imageName);

}  // namespace kelmarin
