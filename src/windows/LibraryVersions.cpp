#include "windows/LibraryVersions.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <jpeglib.h>
// clang-format on
#include <gif_lib.h>
#include <brotli/decode.h>
#include <expat.h>
#include <jxl/decode.h>
#include <lcms2.h>
#include <libheif/heif.h>
#include <libraw/libraw.h>
#include <magick/MagickCore.h>
#include <png.h>
#include <tiffio.h>
#include <webp/decode.h>

#include "image/meta/SharedLibrary.h"

namespace kelmarin {

namespace {

std::string JpegTurboVersion() {
#ifdef LIBJPEG_TURBO_VERSION_NUMBER
  constexpr int n = LIBJPEG_TURBO_VERSION_NUMBER;  // 2001005 for 2.1.5
  return std::to_string(n / 1000000) + "." + std::to_string(n / 1000 % 1000) + "." + std::to_string(n % 1000);
#else
  return {};
#endif
}

std::string GifVersion() {
  return std::to_string(GIFLIB_MAJOR) + "." + std::to_string(GIFLIB_MINOR) + "." +
         std::to_string(GIFLIB_RELEASE);
}

// "major.minor.patch" from a number that holds each part in `base` steps.
std::string Dotted(std::uint32_t number, std::uint32_t base) {
  return std::to_string(number / base / base) + "." + std::to_string(number / base % base) + "." +
         std::to_string(number % base);
}

std::string Text(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

std::string VersionAfterSo(const std::string& path) {
  const auto pos = path.rfind(".so.");
  if (pos == std::string::npos) return {};
  return path.substr(pos + 4);
}

}  // namespace

std::string MagickVersionFromBanner(const std::string& banner) {
  const auto start = banner.find(' ');
  if (start == std::string::npos) return {};
  const auto end = banner.find(' ', start + 1);
  return banner.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

std::string TiffVersionFromBanner(const std::string& banner) {
  static const std::string kWord = "Version ";
  const auto start = banner.find(kWord);
  if (start == std::string::npos) return {};
  const auto from = start + kWord.size();
  const auto end = banner.find('\n', from);
  return banner.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

std::string LcmsVersionText(int encoded) {
  if (encoded <= 0) return {};
  return std::to_string(encoded / 1000) + "." + std::to_string(encoded % 1000 / 10);
}

std::string BrotliVersionText(std::uint32_t encoded) {
  return std::to_string(encoded >> 24) + "." + std::to_string((encoded >> 12) & 0xFFF) + "." +
         std::to_string(encoded & 0xFFF);
}

std::string SharedLibraryFileVersion(const char* soname) {
  if (soname == nullptr) return {};
  // Already loaded (by the image layer) or loaded just for the question; nothing of it is called.
  const SharedLibrary library = SharedLibrary::Open(soname);
  return library ? VersionAfterSo(library.LoadedFile().string()) : std::string();
}

std::vector<LibraryVersion> ImagingLibraryVersions() {
  size_t magickNumber = 0;
  const XML_Expat_Version expat = XML_ExpatVersionInfo();
  return {
      {"libjpeg-turbo", JpegTurboVersion()},
      {"libpng", Text(png_get_header_ver(nullptr))},
      {"giflib", GifVersion()},
      {"libtiff", TiffVersionFromBanner(Text(TIFFGetVersion()))},
      {"LibRaw", Text(libraw_version())},
      {"ImageMagick", MagickVersionFromBanner(Text(GetMagickVersion(&magickNumber)))},
      {"libemf2svg", SharedLibraryFileVersion("libemf2svg.so.1")},
      {"libheif", Text(heif_get_version())},
      {"libwebp", Dotted(static_cast<std::uint32_t>(WebPGetDecoderVersion()), 0x100)},
      {"libjxl", Dotted(JxlDecoderVersion(), 1000)},
      {"lcms2", LcmsVersionText(cmsGetEncodedCMMversion())},
      {"expat", std::to_string(expat.major) + "." + std::to_string(expat.minor) + "." + std::to_string(expat.micro)},
      {"Brotli", BrotliVersionText(BrotliDecoderVersion())},
  };
}

}  // namespace kelmarin
