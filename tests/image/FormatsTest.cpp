// The format registry: each row's extensions, signature and backend, and the lookups over the rows.

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "image/meta/Formats.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin {
namespace {

// The codes of today's formats, after the classic twelve: kept in settings and caches.
constexpr std::int32_t kTypeHeif = 13, kTypeWebp = 14, kTypeJxl = 15;

using Bytes = std::vector<std::uint8_t>;

Bytes Head(std::string_view start, std::size_t size = 0) {
  Bytes bytes(start.begin(), start.end());
  if (bytes.size() < size) bytes.resize(size, 0);
  return bytes;
}

Bytes At(std::size_t at, std::string_view text) {
  Bytes bytes(at, 0);
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

Bytes Tga() {
  Bytes bytes(18, 0);
  bytes[2] = 2;  // true colour
  bytes[12] = bytes[14] = 1;
  bytes[16] = 24;
  return bytes;
}

Bytes Shorter(Bytes bytes) {
  bytes.pop_back();
  return bytes;
}

Bytes Emf() {
  Bytes bytes = Head(std::string_view("\1\0\0\0", 4), 40);
  bytes.insert(bytes.end(), {' ', 'E', 'M', 'F'});
  return bytes;
}

// An ISO base media file type box of these brands (the major one first).
Bytes Ftyp(std::string_view major, std::string_view compatible) {
  const auto size = static_cast<std::uint8_t>(16 + compatible.size());
  return Head(std::string(std::string_view("\0\0\0", 3)) + static_cast<char>(size) + "ftyp" +
              std::string(major) + std::string(4, '\0') + std::string(compatible));
}

TEST(Formats, SignaturesGiveTheirFormatAndTheTypeTheContentNames) {
  struct Case {
    const char* name;
    Bytes head;
    bool tgaFooter;
    std::int32_t format;  // the row found, 0 for none
    std::int32_t named;   // the type a file opened without one takes
  };
  const Case cases[] = {
      {"bmp", Head("BM", 26), false, kTypeBmp, kTypeBmp},
      {"bmp too short", Head("BM", 25), false, 0, 0},
      {"emf", Emf(), false, kTypeMetafile, kTypeMetafile},
      {"placeable wmf", Head("\xD7\xCD\xC6\x9A"), false, kTypeMetafile, kTypeMetafile},
      {"wmf", Head(std::string_view("\2\0\x09\0", 4), 18), false, kTypeMetafile, kTypeMetafile},
      {"gif", Head("GIF87a"), false, kTypeGif, kTypeGif},
      {"jpeg", Head("\xFF\xD8\xFF"), false, kTypeJpeg, kTypeJpeg},
      {"photo cd", At(0x800, "PCD_IPI"), false, kTypePcd, kTypePcd},
      {"pcx", Head("\x0A\x05\x01", 128), false, kTypePcx, kTypePcx},
      {"pcx too short", Head("\x0A\x05\x01", 127), false, 0, 0},
      {"png", Head("\x89PNG\r\n\x1a\n"), false, kTypePng, kTypePng},
      {"psd", Head("8BPS"), false, kTypePsd, 0},
      {"tga by its header", Tga(), false, kTypeTga, kTypeTga},
      {"tga header cut short", Shorter(Tga()), false, 0, 0},
      {"tga by its footer", Head("x"), true, kTypeTga, kTypeTga},
      {"tiff little-endian", Head(std::string_view("II*\0", 4)), false, kTypeTiff, kTypeTiff},
      {"tiff big-endian", Head(std::string_view("MM\0*", 4)), false, kTypeTiff, kTypeTiff},
      {"tiff with a tga footer", Head(std::string_view("MM\0*", 4)), true, kTypeTiff, kTypeTiff},
      {"jpeg 2000 box", Head(std::string_view("\0\0\0\x0CjP  \r\n\x87\n", 12)), false, kTypeJpeg2000, 0},
      {"jpeg 2000 codestream", Head("\xFF\x4F\xFF\x51"), false, kTypeJpeg2000, 0},
      {"orf", Head("IIRO"), false, kTypeRaw, 0},
      {"raf", Head("FUJIFILMCCD-RAW"), false, kTypeRaw, 0},
      {"crw", At(6, "HEAPCCDR"), false, kTypeRaw, 0},
      {"cr3", Ftyp("crx ", "isom"), false, kTypeRaw, 0},
      {"heic", Ftyp("heic", "mif1"), false, kTypeHeif, kTypeHeif},
      {"avif among the compatible brands", Ftyp("isom", "miafavif"), false, kTypeHeif, kTypeHeif},
      {"mp4", Ftyp("isom", "mp41"), false, 0, 0},
      {"heic as the minor version only",
       Head(std::string_view("\0\0\0\x14"
                             "ftypisomheicmp41",
                             20)),
       false, 0, 0},
      {"heic beyond the box",
       Head(std::string_view("\0\0\0\x10"
                             "ftypisom\0\0\0\0heic",
                             20)),
       false, 0, 0},
      {"webp", Head(std::string_view("RIFF\0\0\0\0WEBP", 12)), false, kTypeWebp, kTypeWebp},
      {"jxl codestream", Head("\xFF\x0A"), false, kTypeJxl, kTypeJxl},
      {"jxl container", Head(std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12)), false, kTypeJxl, kTypeJxl},
      {"text", Head("hello, world", 200), false, 0, 0},
      {"empty", Bytes{}, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Format* format = GuessFormat(FileHead{c.head, c.tgaFooter});
    EXPECT_EQ(format != nullptr ? format->typeCode : 0, c.format);
    EXPECT_EQ(format != nullptr && format->guessNamesType ? format->typeCode : 0, c.named);
  }
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Each extension belongs to one row and names that row's type; a row loads through a module exactly
// when it names one, and reads a header exactly when that is its metadata path.
TEST(Formats, EachExtensionNamesItsRowAndEachRowItsBackend) {
  std::set<std::string> extensions;
  for (const Format& format : kImageFormats) {
    SCOPED_TRACE(format.caption);
    EXPECT_EQ(FormatOf(format.typeCode), &format);
    EXPECT_EQ(format.backend == PixelBackend::kModule, format.module != nullptr);
    EXPECT_EQ(format.readHeader != nullptr, format.metadataPath == MetadataPath::kHeader);
    std::string_view list = format.extensions;
    while (!list.empty()) {
      const std::string_view extension = list.substr(0, list.find(','));
      list.remove_prefix(std::min(list.size(), extension.size() + 1));
      EXPECT_TRUE(extensions.insert(std::string(extension)).second) << extension << " in two rows";
      EXPECT_EQ(TypeCodeForFileName("/a.b/x." + Lower(extension)), format.typeCode) << extension;
    }
  }
  EXPECT_EQ(FormatOf(kTypeUnknown), nullptr);
  EXPECT_EQ(FormatOf(16), nullptr);
}

TEST(Formats, FileNamesAndContainers) {
  const std::pair<const char*, std::int32_t> names[] = {
      {"a.JPEG", kTypeJpeg}, {"c.Rw2", kTypeRaw}, {"a.jpegx", 0},       {"a.jp", 0}, {"jpeg", 0}, {"a.", 0},
      {"a.tiff.bak", 0},     {"dir.jpg/file", 0}, {"dir.jpg\\file", 0}, {"", 0}};
  for (const auto& [name, code] : names) EXPECT_EQ(TypeCodeForFileName(name), code) << name;

  // Content under a name of no format: what names its type is read as that type, camera RAW
  // content as RAW though it names none; PSD content names none and is not read.
  const test::ScratchFolder folder;
  const std::pair<Bytes, std::int32_t> unnamed[] = {
      {Head("FUJIFILMCCD-RAW", 120), kTypeRaw},
      {Head(std::string_view("IIRO\x08\0\0\0\0\0", 10)), kTypeRaw},
      {Head(std::string_view("II*\0\x08\0\0\0\0\0", 10)), kTypeTiff},
      {Head("8BPS", 40), 0},
      {Head("hello, world"), 0}};
  for (const auto& [content, code] : unnamed) {
    const std::string path = folder.Path("unnamed.bin");
    ASSERT_TRUE(samples::WriteBytes(path, content));
    EXPECT_EQ(codec::ReadMetadataOnly(path, kTypeUnknown).type, code) << code;
  }
}

}  // namespace
}  // namespace kelmarin
