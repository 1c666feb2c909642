// The codec keeps the markers, comments and texts of the file read last; the image object reads its
// metadata from them lazily, once, and only for JPEG and PNG.

#include <gtest/gtest.h>

#include "Cameras.h"
#include "ImageTestSupport.h"
#include "image/Codec.h"
#include "metadata/Definitions.h"

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
      samples::Comment(std::string("zwei\0ter", 8)),
  };
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
  EXPECT_EQ(std::pair(w, h), std::pair(64, 48));
  EXPECT_TRUE(image.pixels().isNull());
  EXPECT_EQ(image.camera_id(), 0);
  EXPECT_GT(image.ExifCount(), 0);  // read lazily from the kept markers
  EXPECT_EQ(image.camera_id(), 4);  // Canon layout
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
      EXPECT_EQ(kept.texts[i].keyword, texts[i].keyword);
      EXPECT_EQ(kept.texts[i].text, texts[i].text);
    }
  };
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypePng, pixels), codec::kOk);
  expectTexts(*codec::InputMetadata());
  codec::ClearInputMetadata();
  std::int32_t w = 0, h = 0;
  ASSERT_EQ(codec::ReadDimensions(path, kTypePng, w, h), codec::kOk);
  EXPECT_EQ(std::pair(w, h), std::pair(30, 20));
  expectTexts(*codec::InputMetadata());

  ZetImage image;
  ASSERT_EQ(Load(image, path, kTypePng), 0);
  EXPECT_EQ(image.ImageCommentCount(), 5);
  EXPECT_EQ(image.ImageCommentItem("copyright")->inhalt, "nach den Bilddaten");
}

TEST(LazyMetadata, ReadOnFirstQueryAndOnlyOnce) {
  ScratchFolder folder;
  const std::string path = CanonJpeg(folder);
  ZetImage image;
  ASSERT_EQ(Load(image, path, kTypeJpeg), 0);
  EXPECT_FALSE(image.metadata().MetadataRead());
  const std::int32_t count = image.ExifCount();
  EXPECT_GT(count, 10);
  EXPECT_EQ(image.camera_id(), 4);
  ASSERT_NE(image.IptcTag(25), nullptr);
  EXPECT_EQ(image.IptcTag(25)->inhalt, "Baum,Wald");
  EXPECT_EQ(image.ImageCommentItem("P2")->inhalt, "zwei");

  // Reading another file afterwards does not take this image's metadata away.
  ZetImage other;
  ASSERT_EQ(Load(other, CanonJpeg(folder, "other.jpg"), kTypeJpeg), 0);
  EXPECT_EQ(image.ExifCount(), count);
}

TEST(LazyMetadata, AFailedLoadLeavesNoMarkersOfAnEarlierFile) {
  ScratchFolder folder;
  const std::string good = CanonJpeg(folder);
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(good, kTypeJpeg, pixels), codec::kOk);
  const std::string broken = folder.Path("broken.jpg");
  WriteFileBytes(broken, {0xFF, 0xD8, 0xFF, 0xE1, 0x00});
  ZetImage image;
  ASSERT_EQ(Load(image, broken, kTypeJpeg), 2);
  EXPECT_EQ(image.ExifCount(), 0);
  EXPECT_EQ(image.ImageCommentCount(), 0);
}

}  // namespace
}  // namespace kelmarin::test
