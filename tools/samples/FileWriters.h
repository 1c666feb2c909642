#pragma once
// Writers for generated sample and test files, each over the library that owns the format (libjpeg,
// libpng, libtiff, Magick++), plus hand-made Windows metafiles. All output is deterministic: no
// time stamps, no random data. Each returns false (and writes nothing useful) when it fails.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "SampleImage.h"
#include "extract/TiffWriter.h"

namespace kelmarin::samples {

// One marker written after SOI: an APPn code (0xE0 … 0xEF) or COM (0xFE), and its payload.
struct Segment {
  int code = 0;
  Bytes payload;
};

// A baseline JPEG at `quality`; the segments come first, in order. A JFIF APP0 is written only when
// no segment is APP0 or APP1.
Bytes EncodeJpeg(const RgbImage& image, int quality, const std::vector<Segment>& segments = {});
bool WriteJpeg(const std::string& path, const RgbImage& image, int quality,
               const std::vector<Segment>& segments = {});

// A comment segment.
Segment Comment(const std::string& text);

// The reference decode of a JPEG file: libjpeg with its defaults (islow DCT, fancy upsampling) to
// RGB, one reused row buffer, each row handed to `row` with its number. False when the file cannot
// be opened.
bool DecodeJpegRows(const std::string& path,
                    const std::function<void(int, std::span<const std::uint8_t>)>& row);

// An APP13 payload: "Photoshop 3.0\0", one 8BIM resource 0x0404 holding IPTC record-2 datasets.
Bytes IptcPayload(const std::vector<std::pair<int, std::string>>& datasets);

// PNG text chunk kinds.
enum class PngTextKind { kText, kCompressed, kInternational };
struct PngTextChunk {
  PngTextKind kind = PngTextKind::kText;
  std::string keyword;
  std::string text;
  bool afterImage = false;  // written after the image data
};
// 8-bit RGB PNG, optionally interlaced; with `alpha` the left half is fully transparent.
bool WritePng(const std::string& path, const RgbImage& image, const std::vector<PngTextChunk>& texts = {},
              bool interlaced = false, bool alpha = false);

// 8-bit RGB TIFF, strips of 16 rows, deflate-compressed; `bottomUp` writes Orientation 4 with the
// rows stored bottom first.
bool WriteTiff(const std::string& path, const RgbImage& image, bool bottomUp = false);

// A DNG 1.4 with a 16-bit linear RGB main image (PhotometricInterpretation LinearRaw), a colour
// matrix for D65 and the camera's neutral; `make` and `model` as given.
bool WriteDng(const std::string& path, const RgbImage& image, const std::string& make,
              const std::string& model);

// BMP, PCX, PSD, TGA, GIF, TIFF, PCD … through Magick++, `format` being Magick's name for it.
// Calls Magick::InitializeMagick once per process.
bool WriteMagick(const std::string& path, const std::string& format, const RgbImage& image);

// A placeable WMF of width × height units at 96 per inch: a sky rectangle, a sun, a hill polygon and,
// with `text`, a line of text.
Bytes MakeWmf(int width, int height, const std::string& text);
// An EMF of width × height pixels: a sky rectangle, a sun, a hill polygon.
Bytes MakeEmf(int width, int height);

bool WriteBytes(const std::string& path, const Bytes& bytes);

}  // namespace kelmarin::samples
