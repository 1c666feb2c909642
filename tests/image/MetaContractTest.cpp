// The codec keeps the markers, comments and texts of the file read last; the image object reads its
// metadata from them lazily, once, and only for JPEG and PNG. The metadata-only path
// (kelmarin_image_meta) against the full image layer: for the same files the lister's entry gives
// the same dimensions, errors and markers as ZetImage::GetImageDims, and the JPEG marker reader
// keeps exactly what libjpeg's own jpeg_save_markers keeps, hostile files included.

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "Cameras.h"
#include "ImageTestSupport.h"
#include "image/Codec.h"
#include "image/meta/JpegReader.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

using samples::Bytes;
using samples::Segment;

std::string CanonJpeg(const ScratchFolder& folder, const std::string& name = "canon.jpg") {
  const std::string path = folder.Path(name);
  const samples::Shot shot = samples::SampleShot(samples::Maker::kCanon, 64, 48);
  const Bytes exif =
      samples::CameraExif(samples::Maker::kCanon, shot, samples::EncodeJpeg(samples::Quadrants(16, 12), 70));
  const std::vector<Segment> segments = {
      {0xE1, exif},
      {0xED, samples::IptcPayload({{25, "Baum"}, {25, "Wald"}, {80, "Anna"}})},
      samples::Comment("erster"),
      samples::Comment(std::string("zwei\0ter", 8))};
  EXPECT_TRUE(samples::WriteJpeg(path, samples::Quadrants(64, 48), 90, segments));
  return path;
}

TEST(KeptMetadata, DimensionsDoNotDecodeTheScan) {
  ScratchFolder folder;
  const std::string path = CanonJpeg(folder);
  std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  // Cut the file just after the start-of-scan header: the header path does not look further. The
  // segments are walked by their lengths (the thumbnail inside APP1 has a scan of its own).
  std::size_t sos = 2;
  while (sos + 4 < bytes.size() && bytes[sos + 1] != 0xDA) sos += 2 + bytes[sos + 2] * 256u + bytes[sos + 3];
  ASSERT_EQ(bytes[sos + 1], 0xDA);
  bytes.resize(sos + 14);
  const std::string cut = folder.Path("cut.jpg");
  WriteFileBytes(cut, bytes);
  ZetImage image;
  std::int32_t type = kTypeJpeg, w = 0, h = 0;
  EXPECT_FALSE(image.GetImageDims(cut, type, w, h));
  EXPECT_EQ(std::tuple(w, h, image.pixels().isNull()), std::tuple(64, 48, true));
  const ImageMetadata metadata = image.ReadMetadata();  // from the kept markers
  const std::int32_t count = metadata.ExifCount();
  ASSERT_GT(count, 10);
  // The Canon layout.
  EXPECT_EQ(std::tuple(metadata.camera_id, metadata.IptcTag(25)->inhalt, metadata.ImageCommentItem("P2")->inhalt),
            std::tuple(4, "Baum,Wald", "zwei"));
  // Reading another file afterwards does not take this image's markers away.
  ZetImage other;
  ASSERT_EQ(Load(other, CanonJpeg(folder, "other.jpg"), kTypeJpeg), 0);
  EXPECT_EQ(image.ReadMetadata().ExifCount(), count);
}

TEST(KeptMetadata, PngTextsBeforeAndAfterTheImageData) {
  ScratchFolder folder;
  const std::string path = folder.Path("texts.png");
  const std::vector<samples::PngTextChunk> texts = {
      {samples::PngTextKind::kText, "Title", "Abend", false},
      {samples::PngTextKind::kCompressed, "Description", "gepackt gepackt gepackt", false},
      {samples::PngTextKind::kInternational, "Comment", "über dem Tal", false},
      {samples::PngTextKind::kText, "Copyright", "nach den Bilddaten", true},
      {samples::PngTextKind::kCompressed, "Software", "auch danach", true},
  };
  ASSERT_TRUE(samples::WritePng(path, samples::Quadrants(30, 20), texts));
  auto expectTexts = [&](const MetadataSource& kept) {
    ASSERT_EQ(kept.texts.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(kept.texts[i].keyword + "=" + kept.texts[i].text, texts[i].keyword + "=" + texts[i].text);
    }
  };
  kelmarin::RgbImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypePng, pixels), codec::kOk);
  expectTexts(*codec::InputMetadata());
  codec::ClearInputMetadata();
  std::int32_t w = 0, h = 0;
  ASSERT_EQ(codec::ReadDimensions(path, kTypePng, w, h), codec::kOk);
  EXPECT_EQ(std::pair(w, h), std::pair(30, 20));
  expectTexts(*codec::InputMetadata());

  ZetImage image;
  ASSERT_EQ(Load(image, path, kTypePng), 0);
  const ImageMetadata metadata = image.ReadMetadata();
  ASSERT_EQ(metadata.ImageCommentCount(), 5);
  EXPECT_EQ(metadata.ImageCommentItem("copyright")->inhalt, "nach den Bilddaten");
}

TEST(KeptMetadata, AFailedLoadLeavesNoMarkersOfAnEarlierFile) {
  ScratchFolder folder;
  const std::string good = CanonJpeg(folder);
  kelmarin::RgbImage pixels;
  ASSERT_EQ(codec::ReadPixels(good, kTypeJpeg, pixels), codec::kOk);
  const std::string broken = folder.Path("broken.jpg");
  WriteFileBytes(broken, {0xFF, 0xD8, 0xFF, 0xE1, 0x00});
  ZetImage image;
  ASSERT_EQ(Load(image, broken, kTypeJpeg), 2);
  const ImageMetadata metadata = image.ReadMetadata();
  EXPECT_EQ(metadata.ExifCount() + metadata.ImageCommentCount(), 0);
}

Bytes Filled(std::size_t size, std::uint8_t first) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(first + i * 7);
  return bytes;
}

Bytes Jpeg(const std::vector<Segment>& segments) {
  return samples::EncodeJpeg(samples::Quadrants(40, 24), 85, segments);
}

// APP0 (JFIF) and APP14 (Adobe) are read by libjpeg itself, the others by ours: the order of all of
// them must still be the file's. Four APP2 segments of the largest size span several read blocks.
Bytes MixedJpeg() {
  Bytes adobe = {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 1};
  Bytes jfif = {'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, 0, 0};
  std::vector<Segment> segments = {{0xE0, jfif},
                                   {0xE1, Filled(3000, 1)},
                                   {0xEE, adobe},
                                   samples::Comment(std::string("ein\0Kommentar", 13))};
  for (int i = 0; i < 4; ++i) segments.push_back({0xE2, Filled(65533, static_cast<std::uint8_t>(i))});
  segments.push_back({0xEF, {}});  // an empty payload
  segments.push_back(samples::Comment(""));
  segments.push_back({0xED, samples::IptcPayload({{25, "Baum"}})});
  return Jpeg(segments);
}

// What libjpeg's own reader keeps of the header: jpeg_save_markers for every APPn and COM segment.
struct Reference {
  bool ok = false;
  std::uint32_t width = 0, height = 0;
  MetadataSource kept;
};

struct ReferenceErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

Reference ReadWithLibjpeg(const std::string& path) {
  Reference result;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return result;
  jpeg_decompress_struct cinfo{};
  ReferenceErrors errors{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<ReferenceErrors*>(c->err)->jump, 1);
  };
  errors.pub.output_message = [](j_common_ptr) {};
  if (setjmp(errors.jump) == 0) {
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
    for (int app = 0; app < 16; ++app) jpeg_save_markers(&cinfo, JPEG_APP0 + app, 0xFFFF);
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
      result.ok = true;
      result.width = cinfo.image_width;
      result.height = cinfo.image_height;
      for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_COM) {
          result.kept.comments.emplace_back(reinterpret_cast<const char*>(m->data), m->data_length);
          continue;
        }
        const unsigned length = m->data_length + 2;
        JpegMarker marker;
        marker.code = static_cast<std::uint8_t>(m->marker);
        marker.bytes = {0xFF, marker.code, static_cast<std::uint8_t>(length >> 8),
                        static_cast<std::uint8_t>(length & 0xFF)};
        marker.bytes.insert(marker.bytes.end(), m->data, m->data + m->data_length);
        result.kept.markers.push_back(std::move(marker));
      }
    }
  }
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return result;
}

// Markers, comments and texts as one comparable list of strings.
std::vector<std::string> Flat(const MetadataSource& m) {
  std::vector<std::string> out;
  for (const JpegMarker& marker : m.markers)
    out.push_back(std::to_string(marker.code) + ":" + std::string(marker.bytes.begin(), marker.bytes.end()));
  for (const std::string& comment : m.comments) out.push_back("COM:" + comment);
  for (const auto& text : m.texts) out.push_back("TXT:" + text.keyword + "=" + text.text);
  return out;
}

// Our header reader against libjpeg's own on one file: both fail, or both read the same size and
// the same markers.
void ExpectLikeLibjpeg(const std::string& path) {
  const Reference reference = ReadWithLibjpeg(path);
  codec::FilePtr file = codec::OpenForReading(path);
  ASSERT_NE(file, nullptr);
  codec::Size size;
  MetadataSource kept;
  const codec::Code code = codec::JpegDimensions(file.get(), size, kept);
  const bool referenceOk = reference.ok && reference.width > 0 && reference.height > 0;
  ASSERT_EQ(code == codec::kOk, referenceOk) << code;
  if (!referenceOk) return;
  EXPECT_EQ(std::pair(static_cast<std::uint32_t>(size.width), static_cast<std::uint32_t>(size.height)),
            std::pair(reference.width, reference.height));
  EXPECT_EQ(Flat(kept), Flat(reference.kept));
}

// The lister's entry against the image object's GetImageDims on one file.
void ExpectSameAsImageObject(const std::string& path, std::int32_t type) {
  SCOPED_TRACE(path + " as type " + std::to_string(type));
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
  ASSERT_NE(read.source, nullptr);
  ZetImage image;
  std::int32_t imageType = type, width = -1, height = -1;
  const auto failure = image.GetImageDims(path, imageType, width, height);
  if (read.otherFormat) {
    EXPECT_EQ(std::tuple(codec::NeedsFullImageLayer(read.type), read.error.has_value(), read.type),
              std::tuple(true, false, imageType));
    return;
  }
  // GetImageDims leaves the type alone when it cannot open.
  EXPECT_TRUE(failure || read.type == imageType) << read.type;
  ASSERT_EQ(read.error.has_value(), failure.has_value());
  if (failure) {
    EXPECT_EQ(std::pair(*read.error, Flat(*read.source).empty()), std::pair(failure->code, true));
    return;
  }
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(width, height));
  EXPECT_EQ(Flat(*read.source), Flat(*codec::InputMetadata()));
}

TEST(MetadataOnly, SameResultsAsTheImageObject) {
  ScratchFolder folder;
  std::vector<std::pair<std::string, std::int32_t>> files;
  const auto add = [&](const std::string& name, const Bytes& bytes, std::int32_t type) {
    WriteFileBytes(folder.Path(name), bytes);
    files.emplace_back(folder.Path(name), type);
  };
  const Bytes mixed = MixedJpeg();
  add("mixed.jpg", mixed, kTypeJpeg);
  add("mixed", mixed, kTypeUnknown);  // guessed
  add("plain.jpg", Jpeg({}), kTypeJpeg);
  for (const std::size_t keep : {std::size_t{0}, std::size_t{3}, std::size_t{40}, std::size_t{70000},
                                 mixed.size() - 300, mixed.size() - 2}) {
    add("cut" + std::to_string(keep) + ".jpg", Bytes(mixed.begin(), mixed.begin() + static_cast<long>(keep)),
        kTypeJpeg);
  }
  add("text.jpg", Bytes{'k', 'e', 'i', 'n'}, kTypeJpeg);
  add("text", Bytes{'k', 'e', 'i', 'n'}, kTypeUnknown);
  for (const std::int32_t type : std::initializer_list<std::int32_t>{kTypePng, kTypeJpeg2000, -1, 16})
    add("mixed" + std::to_string(type), mixed, type);
  const std::vector<samples::PngTextChunk> texts = {
      {samples::PngTextKind::kText, "Title", "Abend", false},
      {samples::PngTextKind::kCompressed, "Comment", std::string(5000, 'z'), false},
      {samples::PngTextKind::kInternational, "Author", "M\xC3\xBCller", true},
  };
  ASSERT_TRUE(samples::WritePng(folder.Path("texts.png"), samples::Quadrants(30, 20), texts));
  const Bytes png = ReadFileBytes(folder.Path("texts.png"));
  add("cut.png", Bytes(png.begin(), png.begin() + 60), kTypePng);
  add("png-as.jpg", png, kTypeJpeg);
  WriteImageFile(folder.Path("other.gif"), "gif", samples::Landscape(32, 20));
  std::filesystem::create_directories(folder.Path("folder.jpg"));
  for (const auto& [name, type] : {std::pair{"texts.png", kTypePng},
                                   {"texts.png", kTypeUnknown},
                                   {"other.gif", kTypeUnknown},
                                   {"other.gif", kTypeGif},
                                   {"missing.jpg", kTypeJpeg},
                                   {"missing", kTypeUnknown},
                                   {"folder.jpg", kTypeJpeg}})
    files.emplace_back(folder.Path(name), type);
  for (const auto& [path, type] : files) ExpectSameAsImageObject(path, type);
}

TEST(JpegMarkers, KeptAsLibjpegKeepsThem) {
  ScratchFolder folder;
  const Bytes mixed = MixedJpeg();
  WriteFileBytes(folder.Path("mixed.jpg"), mixed);
  ExpectLikeLibjpeg(folder.Path("mixed.jpg"));  // the order of the file, read by libjpeg or by us

  // Lengths below 2 (kept as nothing, reading goes on after them), a length past the end of the
  // file, and random damage: every file is read as libjpeg reads it, or fails as it does.
  const Bytes plain = Jpeg({{0xE1, Filled(20, 3)}, samples::Comment("gut")});
  std::vector<Bytes> hostile;
  for (const std::uint8_t low : {std::uint8_t{0}, std::uint8_t{1}}) {
    Bytes bytes = plain;
    const Bytes bogus = {0xFF, 0xE5, 0x00, low};
    bytes.insert(bytes.begin() + 2, bogus.begin(), bogus.end());
    hostile.push_back(bytes);
  }
  Bytes tooLong(plain.begin(), plain.begin() + 2);
  for (const std::uint8_t b : Bytes{0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x'}) tooLong.push_back(b);
  hostile.push_back(tooLong);
  // Files that end inside a segment longer than a read block, whose rest is read into it directly.
  for (const std::size_t keep : {std::size_t{20'000}, std::size_t{100'000}}) {
    hostile.emplace_back(mixed.begin(), mixed.begin() + static_cast<long>(keep));
  }
  std::mt19937 random(11);
  for (int i = 0; i < 60; ++i) {
    Bytes bytes = i % 2 == 0 ? plain : mixed;
    for (int k = 0; k < 6; ++k) {
      // Damage within the header, where the markers are.
      bytes[2 + random() % std::min<std::size_t>(bytes.size() - 2, 300)] =
          static_cast<std::uint8_t>(random());
    }
    hostile.push_back(bytes);
  }
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = folder.Path("hostile" + std::to_string(i) + ".jpg");
    WriteFileBytes(path, hostile[i]);
    ExpectLikeLibjpeg(path);
  }
}

// JPEG pixels are libjpeg's own RGB decode of the file, byte for byte; a decode called off ends
// without pixels; the markers kept by a decode belong to the thread that decoded.
const JpegMarker* App1(const MetadataSource& source) {
  for (const JpegMarker& marker : source.markers) {
    if (marker.code == 0xE1) return &marker;
  }
  return nullptr;
}

// Against libjpeg's decode with its defaults (the islow DCT, fancy upsampling, RGB out); rows not a
// multiple of 16. The larger picture goes into fresh mapped memory whose pages are filled in while
// the decoder writes.
TEST(JpegPixels, EqualLibjpegsOwnDecode) {
  ScratchFolder folder;
  for (const auto& [width, height] : {std::pair(333, 217), {1333, 1105}}) {
    const std::string path = folder.Path("odd.jpg");
    ASSERT_TRUE(samples::WriteJpeg(path, samples::Landscape(width, height, 3), 85));
    kelmarin::RgbImage pixels;
    ASSERT_EQ(codec::ReadPixels(path, kTypeJpeg, pixels), codec::kOk);
    int sameRows = 0;
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    ASSERT_TRUE(samples::DecodeJpegRows(path, [&](int y, std::span<const std::uint8_t> row) {
      sameRows += y < pixels.height() && row.size() == rowBytes &&
                  std::equal(row.begin(), row.end(), pixels.constScanLine(y));
    }));
    EXPECT_EQ(std::tuple(pixels.width(), pixels.height(), sameRows), std::tuple(width, height, height));
  }
}

TEST(JpegPixels, CalledOffDecodeEndsWithoutPixelsOrMarkersOnItsThreadOnly) {
  ScratchFolder folder;
  const std::string jpeg = folder.Path("a.jpg"), png = folder.Path("b.png"), other = folder.Path("c.jpg");
  ASSERT_TRUE(samples::WriteJpeg(jpeg, samples::Landscape(64, 64), 80, {{0xE1, {'E', 'x', 'i', 'f', 0, 0}}}));
  WriteImageFile(png, "png", samples::Landscape(40, 40));
  ASSERT_TRUE(samples::WriteJpeg(other, samples::Landscape(32, 32), 80));
  std::atomic<bool> cancelled{true};
  codec::WatchCancelFlag(&cancelled);
  codec::ClearInputMetadata();
  kelmarin::RgbImage pixels;
  EXPECT_EQ(codec::ReadPixels(png, kTypePng, pixels), codec::kCancelled);
  EXPECT_EQ(codec::ReadPixels(jpeg, kTypeJpeg, pixels), codec::kCancelled);
  EXPECT_TRUE(pixels.isNull());
  EXPECT_EQ(App1(*codec::InputMetadata()), nullptr);
  cancelled = false;  // looked at while the decode runs
  EXPECT_EQ(codec::ReadPixels(jpeg, kTypeJpeg, pixels), codec::kOk);
  codec::WatchCancelFlag(nullptr);
  // A decode on another thread keeps its markers there.
  std::thread([&] {
    kelmarin::RgbImage own;
    EXPECT_EQ(codec::ReadPixels(other, kTypeJpeg, own), codec::kOk);
    EXPECT_EQ(App1(*codec::InputMetadata()), nullptr);
  }).join();
  EXPECT_NE(App1(*codec::InputMetadata()), nullptr);
}

// Files are read through a positioned stream of our own; the readers seek and read it as a plain
// stream: across its buffer's edge, from the end, before the start and past the end.
TEST(FileStream, SeeksAndReadsLikeAPlainStream) {
  ScratchFolder folder;
  Bytes bytes(40000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  WriteFileBytes(folder.Path("stream.bin"), bytes);
  const codec::FilePtr file = codec::OpenForReading(folder.Path("stream.bin"));
  ASSERT_NE(file, nullptr);
  Bytes got(bytes.size() + 10);
  EXPECT_EQ(std::fread(got.data(), 1, got.size(), file.get()), bytes.size());
  EXPECT_NE(std::feof(file.get()), 0);
  got.resize(bytes.size());
  EXPECT_EQ(got, bytes);
  ASSERT_EQ(std::fseek(file.get(), -3, SEEK_END), 0);
  EXPECT_EQ(std::ftell(file.get()), 39997);
  std::uint8_t tail[8] = {};
  ASSERT_EQ(std::fread(tail, 1, sizeof tail, file.get()), 3u);
  EXPECT_EQ(tail[2], bytes[39999]);
  ASSERT_EQ(std::fseek(file.get(), 20000, SEEK_SET), 0);
  ASSERT_EQ(std::fseek(file.get(), 5, SEEK_CUR), 0);
  EXPECT_EQ(std::fgetc(file.get()), bytes[20005]);
  EXPECT_NE(std::fseek(file.get(), -1, SEEK_SET), 0);
  EXPECT_EQ(std::ftell(file.get()), 20006);
  ASSERT_EQ(std::fseek(file.get(), 50000, SEEK_SET), 0);
  EXPECT_EQ(std::fgetc(file.get()), EOF);
}

}  // namespace
}  // namespace kelmarin::test
