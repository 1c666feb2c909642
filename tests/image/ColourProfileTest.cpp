// ICC profiles through the image layer: each container written by its own library (or by
// ImageMagick) with a profile hands that profile on, in the lister's read and in the window's load;
// a picture with a wide-gamut profile is shown as ImageMagick with lcms2 converts it to sRGB, and
// pictures without a usable profile are left as decoded.

#include <Magick++.h>
#include <gtest/gtest.h>
#include <webp/mux.h>

#include <cstdio>

#include "../extract/IccTestProfiles.h"
#include "ImageTestSupport.h"
#include "extract/IccProfile.h"
#include "image/ColourConversion.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

// The profile in `parts` APP2 segments; `skip` (from 1) leaves one out.
std::vector<samples::Segment> IccSegments(const Block& profile, int parts, int skip = 0) {
  std::vector<samples::Segment> segments;
  const std::size_t step = (profile.size() + parts - 1) / parts;
  for (int n = 1; n <= parts; ++n) {
    const std::size_t from = std::min(profile.size(), step * static_cast<std::size_t>(n - 1));
    const std::size_t to = std::min(profile.size(), from + step);
    const std::string_view mark("ICC_PROFILE\0", 12);
    Block payload(mark.begin(), mark.end());
    payload.insert(payload.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(parts)});
    payload.insert(payload.end(), profile.begin() + static_cast<std::ptrdiff_t>(from),
                   profile.begin() + static_cast<std::ptrdiff_t>(to));
    if (n != skip) segments.push_back({0xE2, payload});
  }
  return segments;
}

void WriteMagickWithProfile(const std::string& path, const std::string& format,
                            const samples::RgbImage& image, const Block& profile) {
  ASSERT_TRUE(samples::WriteMagick(path, format, image));  // also sets Magick up once
  Magick::Image out(path);
  out.profile("ICC", Magick::Blob(profile.data(), profile.size()));
  out.write(format + ":" + path);
}

void WriteWebpWithProfile(const std::string& path, const samples::RgbImage& image, const Block& profile) {
  const Block encoded = EncodeWebpLossless(image);
  WebPMux* mux = WebPMuxNew();
  const WebPData picture{encoded.data(), encoded.size()};
  const WebPData icc{profile.data(), profile.size()};
  WebPMuxSetImage(mux, &picture, 1);
  WebPMuxSetChunk(mux, "ICCP", &icc, 1);
  WebPData assembled{};
  ASSERT_EQ(WebPMuxAssemble(mux, &assembled), WEBP_MUX_OK);
  WriteFileBytes(path, Block(assembled.bytes, assembled.bytes + assembled.size));
  WebPDataClear(&assembled);
  WebPMuxDelete(mux);
}

TEST(ColourProfiles, EveryContainerHandsOnItsProfile) {
  ScratchFolder folder;
  const samples::RgbImage image = samples::Landscape(64, 48);
  const Block profile = WideGamutProfile(L"Weiter Farbraum");
  struct Case {
    std::string name;
    std::int32_t type;
  };
  const std::vector<Case> cases = {{"a.jpg", kTypeJpeg}, {"a.png", kTypePng},   {"a.tif", kTypeTiff},
                                   {"a.psd", kTypePsd},  {"a.webp", kTypeWebp}, {"a.heic", kTypeHeif},
                                   {"a.jxl", kTypeJxl}};
  ASSERT_TRUE(samples::WriteJpeg(folder.Path("a.jpg"), image, 90, IccSegments(profile, 3)));
  WriteMagickWithProfile(folder.Path("a.png"), "png", image, profile);
  WriteMagickWithProfile(folder.Path("a.tif"), "tiff", image, profile);
  WriteMagickWithProfile(folder.Path("a.psd"), "psd", image, profile);
  WriteWebpWithProfile(folder.Path("a.webp"), image, profile);
  WriteHeif(folder.Path("a.heic"), image, heif_compression_HEVC, {}, profile);
  WriteJxl(folder.Path("a.jxl"), image, 1, profile, true, true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(folder.Path(c.name), c.type);
    ASSERT_FALSE(read.error);
    EXPECT_EQ(EmbeddedIccProfile(*read.source).bytes, profile);
    ZetImage loaded;
    ASSERT_EQ(Load(loaded, folder.Path(c.name), c.type), 0);
    const ImageMetadata metadata = loaded.ReadMetadata();
    ASSERT_NE(metadata.Source(), nullptr);
    EXPECT_EQ(EmbeddedIccProfile(*metadata.Source()).bytes, profile);
  }
}

// The pixels of a file as ImageMagick shows them after converting to the given profile.
Block MagickPixels(const std::string& path, const Block& target) {
  Magick::Image picture(path);
  picture.profile("ICC", Magick::Blob(target.data(), target.size()));
  Block pixels(picture.columns() * picture.rows() * 3);
  picture.write(0, 0, picture.columns(), picture.rows(), "RGB", Magick::CharPixel, pixels.data());
  return pixels;
}

Block Pixels(const RgbImage& picture) {
  Block pixels;
  for (int y = 0; y < picture.height(); ++y)
    pixels.insert(pixels.end(), picture.constScanLine(y), picture.constScanLine(y) + picture.width() * 3);
  return pixels;
}

// Share of pixels whose channels all lie within `levels` of the other picture's.
double ShareWithin(const Block& a, const Block& b, int levels) {
  std::size_t close = 0;
  for (std::size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
    close += std::abs(a[i] - b[i]) <= levels && std::abs(a[i + 1] - b[i + 1]) <= levels &&
             std::abs(a[i + 2] - b[i + 2]) <= levels;
  }
  return a.empty() ? 0.0 : static_cast<double>(close) / static_cast<double>(a.size() / 3);
}

TEST(ColourProfiles, WideGamutJpegIsShownAsImageMagickConvertsIt) {
  ScratchFolder folder;
  const samples::RgbImage image = samples::Landscape(160, 120);
  const Block wide = WideGamutProfile(L"Weiter Farbraum");
  const auto write = [&](const char* name, const std::vector<samples::Segment>& segments) {
    EXPECT_TRUE(samples::WriteJpeg(folder.Path(name), image, 95, segments));
    ZetImage loaded;
    EXPECT_EQ(Load(loaded, folder.Path(name), kTypeJpeg), 0);
    return Pixels(loaded.pixels());
  };
  const Block plain = write("plain.jpg", {});
  const Block converted = write("wide.jpg", IccSegments(wide, 2));
  ASSERT_EQ(plain.size(), converted.size());

  // The same as lcms2 inside ImageMagick makes of it, and measurably unlike the decoded pixels.
  ASSERT_TRUE(samples::WriteMagick(folder.Path("init.png"), "png", samples::Quadrants(8, 8)));
  const double same = ShareWithin(converted, MagickPixels(folder.Path("wide.jpg"), SrgbProfile()), 3);
  const double unchanged = ShareWithin(converted, plain, 3);
  std::printf("Within 3 levels of ImageMagick's conversion: %.2f %%; of the unconverted pixels: %.2f %%\n",
              100 * same, 100 * unchanged);
  EXPECT_GE(same, 0.99);
  EXPECT_LT(unchanged, 0.5);

  // A profile with a part missing, or one that is not RGB, leaves the pixels as decoded.
  EXPECT_EQ(write("gap.jpg", IccSegments(wide, 3, 2)), plain);
  EXPECT_EQ(write("srgb.jpg", IccSegments(SrgbProfile(), 1)).size(), plain.size());
  EXPECT_GE(ShareWithin(write("srgb.jpg", IccSegments(SrgbProfile(), 1)), plain, 1), 0.99);
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsHPROFILE grey = cmsCreateGrayProfile(cmsD50_xyY(), gamma);  // copies the curve
  cmsFreeToneCurve(gamma);
  EXPECT_EQ(write("grey.jpg", IccSegments(SavedProfile(grey), 1)), plain);
}

// JPEG XL keeps its profile inside the coded header. A lossless picture comes out in the profile's
// colours and is converted like the others; one coded in XYB comes out in sRGB from libjxl itself
// (not linear, not converted twice), so both show alike. A file described by its codestream alone
// has no profile.
TEST(ColourProfiles, JpegXlProfileFromTheCodedHeader) {
  ScratchFolder folder;
  const samples::RgbImage image = samples::Landscape(96, 64);
  const Block wide = WideGamutProfile(L"Weiter Farbraum");
  WriteJxl(folder.Path("lossless.jxl"), image, 1, wide, true, true);
  WriteJxl(folder.Path("xyb.jxl"), image, 1, wide, false, true);
  WriteJxl(folder.Path("described.jxl"), image, 1, {}, true, true);
  const auto read = [&](const char* name) { return codec::ReadMetadataOnly(folder.Path(name), kTypeJxl); };
  EXPECT_EQ(EmbeddedIccProfile(*read("xyb.jxl").source).bytes, wide);
  EXPECT_TRUE(read("xyb.jxl").source->pixelsInSrgb);
  EXPECT_FALSE(read("lossless.jxl").source->pixelsInSrgb);
  EXPECT_TRUE(read("described.jxl").source->icc.empty());
  const auto shown = [&](const char* name) {
    ZetImage loaded;
    EXPECT_EQ(Load(loaded, folder.Path(name), kTypeJxl), 0);
    return Pixels(loaded.pixels());
  };
  const Block converted = shown("lossless.jxl");
  const Block plain = shown("described.jxl");
  EXPECT_LT(ShareWithin(converted, plain, 3), 0.5);
  EXPECT_GE(ShareWithin(shown("xyb.jxl"), converted, 12), 0.95);
  // The profile read after the decoder came up leaves the decoder working.
  EXPECT_EQ(EmbeddedIccProfile(*read("lossless.jxl").source).bytes, wide);
  EXPECT_EQ(shown("described.jxl"), plain);
}

}  // namespace
}  // namespace kelmarin::test
