// The rows of the format registry, with the signatures and metadata readers that only they use.

#include "image/meta/Formats.h"

#include <algorithm>

#include "extract/ByteCursor.h"
#include "extract/Containers.h"
#include "image/CodecModules.h"
#include "image/meta/JpegReader.h"
#include "image/meta/PngReader.h"

namespace kelmarin {

const CodecModule kMagickModule{"kelmarin-codec-magick", "ImageMagick (Magick++)", 0};
const CodecModule kEmfModule{"kelmarin-codec-emf", "libemf2svg.so.1", 2};

namespace {

const CodecModule kRawModule{"kelmarin-codec-raw", "LibRaw (libraw_r)", 1};
const CodecModule kHeifModule{"kelmarin-codec-heif", "libheif (HEVC, AV1)", 3};
const CodecModule kJxlModule{"kelmarin-codec-jxl", "", 4};
const CodecModule kTiffModule{"kelmarin-codec-tiff", "", 5};
const CodecModule kWebpModule{"kelmarin-codec-webp", "", 6};

// In the order of the start-up check; each module's slot is its place here.
constexpr std::array<const CodecModule*, kCodecModuleCount> kModules = {
    &kMagickModule, &kRawModule, &kEmfModule, &kHeifModule, &kJxlModule, &kTiffModule, &kWebpModule};

// The type codes of today's formats, after the classic twelve of ImageTypes.h.
constexpr std::int32_t kTypeHeif = 13;
constexpr std::int32_t kTypeWebp = 14;
constexpr std::int32_t kTypeJxl = 15;

// True when the head holds `text` at `at`.
bool At(const FileHead& head, std::size_t at, std::string_view text) {
  return ByteCursor(head.bytes).HoldsAt(at, text);
}

bool IsBmp(const FileHead& head) {
  return At(head, 0, "BM") && head.bytes.size() >= 26;
}

bool IsMetafile(const FileHead& head) {
  const bool emf = At(head, 0, std::string_view("\1\0\0\0", 4)) && At(head, 40, " EMF");
  const bool placeableWmf = At(head, 0, "\xD7\xCD\xC6\x9A");
  // A standard WMF header: type 1 (memory) or 2 (disk), header size 9 words.
  ByteCursor wmf(head.bytes, false);
  const std::uint16_t type = wmf.U16(), words = wmf.U16();
  return emf || placeableWmf || (head.bytes.size() >= 18 && (type == 1 || type == 2) && words == 9);
}

bool IsGif(const FileHead& head) {
  return At(head, 0, "GIF87a") || At(head, 0, "GIF89a");
}

bool IsJpeg(const FileHead& head) {
  return At(head, 0, "\xFF\xD8\xFF");
}

bool IsPcd(const FileHead& head) {
  return At(head, 0x800, "PCD_IPI");
}

// The maker byte, a version up to 5 and run-length coding, in a header of 128 bytes.
bool IsPcx(const FileHead& head) {
  ByteCursor pcx(head.bytes);
  const std::uint8_t maker = pcx.U8(), version = pcx.U8(), coding = pcx.U8();
  return head.bytes.size() >= 128 && maker == 0x0A && version <= 5 && coding == 1;
}

bool IsPng(const FileHead& head) {
  return At(head, 0, "\x89PNG\r\n\x1a\n");
}

bool IsPsd(const FileHead& head) {
  return At(head, 0, "8BPS");
}

// A TGA header has no signature: its fields must hold values a TGA writer can produce.
bool IsTga(const FileHead& head) {
  if (head.tgaFooter) return true;
  ByteCursor tga(head.bytes, false);
  tga.Skip(1);  // the length of the image ID
  const int mapType = tga.U8(), imageType = tga.U8();
  tga.Seek(12);
  const int width = tga.U16(), height = tga.U16(), depth = tga.U8(), descriptor = tga.U8();
  if (tga.RanOut()) return false;  // shorter than the 18 bytes of the header
  const bool knownType = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                         imageType == 10 || imageType == 11;
  const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  return mapType <= 1 && knownType && knownDepth && width > 0 && height > 0 && (descriptor & 0xC0) == 0;
}

bool IsTiff(const FileHead& head) {
  return At(head, 0, std::string_view("II*\0", 4)) || At(head, 0, std::string_view("MM\0*", 4));
}

bool IsJpeg2000(const FileHead& head) {
  return At(head, 0, std::string_view("\0\0\0\x0CjP  \r\n\x87\n", 12)) || At(head, 0, "\xFF\x4F\xFF\x51");
}

// TIFF-based camera formats that are not TIFF files to a TIFF reader, and the camera formats of
// other containers.
bool IsRaw(const FileHead& head) {
  return At(head, 6, "HEAPCCDR") || At(head, 0, "FUJIFILMCCD-RAW") || At(head, 0, "IIRO") ||
         At(head, 0, "IIRS") || At(head, 0, "MMOR") || At(head, 0, std::string_view("IIU\0", 4)) ||
         At(head, 0, std::string_view("\0MRM", 4)) || At(head, 0, "FOVb") || At(head, 4, "ftypcrx ");
}

// An ISO base media file ("ftyp" box first) of a brand of the list: its major brand or one of up
// to 16 compatible ones. `brands` lists four-letter brands one after another.
bool HasBrand(const FileHead& head, std::string_view brands) {
  ByteCursor cursor(head.bytes);
  const std::size_t box = cursor.U32();
  if (head.bytes.size() < 16 || !cursor.Match("ftyp")) return false;
  const std::size_t end =
      std::min({head.bytes.size(), box < 16 ? std::size_t{16} : box, std::size_t{16 + 4 * 17}});
  ByteCursor listed(head.bytes.first(end));
  listed.Seek(8);
  for (bool major = true; listed.Remaining() >= 4; major = false) {
    for (std::size_t brand = 0; brand + 4 <= brands.size(); brand += 4) {
      if (listed.Match(brands.substr(brand, 4))) return true;
    }
    listed.Skip(major ? 8 : 4);  // past the major brand and the minor version
  }
  return false;
}

bool IsHeif(const FileHead& head) {
  return HasBrand(head, "heicheixheimheishevchevxmif1msf1avifavis");
}

bool IsWebp(const FileHead& head) {
  return At(head, 0, "RIFF") && At(head, 8, "WEBP");
}

bool IsBareJxl(std::span<const std::uint8_t> bytes) {
  return ByteCursor(bytes).Match("\xFF\x0A");
}

bool IsJxl(const FileHead& head) {
  return IsBareJxl(head.bytes) || At(head, 0, std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12));
}

// Some cameras write plain JPEG files under a RAW name: their markers are read as they are.
bool ReadRaw(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
             MetadataSource& metadata) {
  return ReadTiffContainer(file, owner, metadata) || ReadCr3Container(file, owner, metadata) ||
         ReadRafContainer(file, metadata) || ReadCrwContainer(file, metadata) ||
         ReadMrwContainer(file, owner, metadata) || ReadX3fContainer(file, metadata) ||
         ReadJpegSegments(file, metadata);
}

bool ReadHeif(std::span<const std::uint8_t> file, const std::shared_ptr<const void>&,
              MetadataSource& metadata) {
  return ReadHeifContainer(file, metadata);
}

// The profile is coded inside the codestream's header; a damaged header leaves the rest listed.
bool ReadJxl(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
             MetadataSource& metadata) {
  if (!ReadJxlContainer(file, owner, metadata) && !IsBareJxl(file)) return false;
  codec::ReadProfileByModule(kJxlModule, file, metadata.icc, metadata.pixelsInSrgb);
  return true;
}

bool ReadPsd(std::span<const std::uint8_t> file, const std::shared_ptr<const void>&,
             MetadataSource& metadata) {
  return ReadPsdContainer(file, metadata);
}

bool ReadGif(std::span<const std::uint8_t> file, const std::shared_ptr<const void>&,
             MetadataSource& metadata) {
  return ReadGifContainer(file, metadata);
}

constexpr int Magick(MagickFormat format) {
  return static_cast<int>(format);
}

using MP = MetadataPath;
using PB = PixelBackend;

}  // namespace

// Row 4 of the grid shares its line with the button "alle auswählen" at its left end; jxl takes the
// place of the hidden jp2 box.
// clang-format off
const std::array<Format, kFormatCount> kImageFormats = {{
    // type, caption, extensions, row, column, signature, shape only, names type, read by content;
    // metadata path, header reader, container reader;
    // backend, module, variant, by path, size from pixels, orient by EXIF, retry as
    {kTypeBmp, "bmp", "BMP", 1, 1, IsBmp, false, true, false,
     MP::kImageLayer, nullptr, nullptr,
     PB::kModule, &kMagickModule, Magick(MagickFormat::kBmp), false, false, false, 0},
    {kTypeMetafile, "emf, wmf", "EMF,WMF", 1, 2, IsMetafile, false, true, false,
     MP::kImageLayer, nullptr, nullptr,
     PB::kMetafile, nullptr, 0, false, true, false, 0},
    {kTypeGif, "gif", "GIF", 1, 3, IsGif, false, true, false,
     MP::kImageLayer, nullptr, ReadGif,
     PB::kGif, nullptr, 0, false, false, false, 0},
    {kTypeJpeg, "jpg", "JPG,JPEG,JPE", 1, 4, IsJpeg, false, true, false,
     MP::kHeader, codec::JpegDimensions, nullptr,
     PB::kJpeg, nullptr, 0, false, false, true, 0},
    {kTypePcd, "pcd", "PCD", 2, 1, IsPcd, false, true, false,
     MP::kImageLayer, nullptr, nullptr,
     PB::kModule, &kMagickModule, Magick(MagickFormat::kPcd), false, true, false, 0},
    {kTypePcx, "pcx", "PCX", 2, 2, IsPcx, true, true, false,
     MP::kImageLayer, nullptr, nullptr,
     PB::kModule, &kMagickModule, Magick(MagickFormat::kPcx), false, false, false, 0},
    {kTypePng, "png", "PNG", 2, 3, IsPng, false, true, false,
     MP::kHeader, codec::PngDimensions, nullptr,
     PB::kPng, nullptr, 0, false, false, true, 0},
    {kTypePsd, "psd", "PSD", 2, 4, IsPsd, false, false, false,
     MP::kImageLayer, nullptr, ReadPsd,
     PB::kModule, &kMagickModule, Magick(MagickFormat::kPsd), false, false, false, 0},
    {kTypeTga, "tga", "TGA", 3, 2, IsTga, true, true, false,
     MP::kImageLayer, nullptr, nullptr,
     PB::kModule, &kMagickModule, Magick(MagickFormat::kTga), false, false, false, 0},
    {kTypeTiff, "tif", "TIF,TIFF", 3, 3, IsTiff, false, true, false,
     MP::kContainerOrImageLayer, nullptr, ReadTiffContainer,
     PB::kModule, &kTiffModule, 0, false, false, true, kTypeRaw},
    {kTypeJpeg2000, "jp2", "JP2", 3, 4, IsJpeg2000, false, false, false,
     MP::kNone, nullptr, nullptr,
     PB::kNone, nullptr, 0, false, false, false, 0},
    {kTypeRaw, "raw", "CR2,CRW,DCR,DNG,MRW,NEF,ORF,PEF,RAF,RAW,SRF,SR2,CR3,NRW,ARW,ERF,3FR,IIQ,MOS,MEF,KDC,RWL,SRW,RW2,X3F",
     3, 1, IsRaw, false, false, true,
     MP::kContainerOrImageLayer, nullptr, ReadRaw,
     PB::kModule, &kRawModule, 0, true, false, false, 0},
    {kTypeHeif, "heic, avif", "HEIC,HEIF,HIF,AVIF", 4, 2, IsHeif, false, true, false,
     MP::kContainer, nullptr, ReadHeif,
     PB::kModule, &kHeifModule, 0, false, false, false, 0},
    {kTypeWebp, "webp", "WEBP", 4, 3, IsWebp, false, true, false,
     MP::kContainer, nullptr, ReadWebpContainer,
     PB::kModule, &kWebpModule, 0, false, false, false, 0},
    {kTypeJxl, "jxl", "JXL", 3, 4, IsJxl, false, true, false,
     MP::kContainer, nullptr, ReadJxl,
     PB::kModule, &kJxlModule, 0, false, false, false, 0},
}};
// clang-format on

std::span<const CodecModule* const> CodecModules() {
  return kModules;
}

const Format* FormatOf(std::int32_t typeCode) {
  if (typeCode == kTypeUnknown) return nullptr;
  const auto row = std::find_if(kImageFormats.begin(), kImageFormats.end(),
                                [typeCode](const Format& format) { return format.typeCode == typeCode; });
  return row != kImageFormats.end() ? &*row : nullptr;
}

}  // namespace kelmarin
