#include "FileWriters.h"

#include <Magick++.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace kelmarin::samples {

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Segment Comment(const std::string& text) {
  return {0xFE, Bytes(text.begin(), text.end())};
}

Bytes EncodeJpeg(const RgbImage& image, int quality, const std::vector<Segment>& segments) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  for (const Segment& s : segments) {
    if (s.code == 0xE0 || s.code == 0xE1) cinfo.write_JFIF_header = FALSE;
  }
  jpeg_start_compress(&cinfo, TRUE);
  for (const Segment& s : segments) {
    jpeg_write_marker(&cinfo, s.code, s.payload.data(), static_cast<unsigned>(s.payload.size()));
  }
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Pixel(0, static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

bool WriteJpeg(const std::string& path, const RgbImage& image, int quality,
               const std::vector<Segment>& segments) {
  return WriteBytes(path, EncodeJpeg(image, quality, segments));
}

bool DecodeJpegRows(const std::string& path,
                    const std::function<void(int, std::span<const std::uint8_t>)>& row) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  std::vector<JSAMPLE> buffer(static_cast<std::size_t>(cinfo.output_width) * 3);
  for (JSAMPROW rows[1] = {buffer.data()}; cinfo.output_scanline < cinfo.output_height;) {
    const auto y = static_cast<int>(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, rows, 1);
    row(y, buffer);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return true;
}

Bytes IptcPayload(const std::vector<std::pair<int, std::string>>& datasets) {
  Bytes data;
  for (const auto& [number, text] : datasets) {
    data.insert(data.end(),
                {0x1C, 0x02, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(text.size() >> 8),
                 static_cast<std::uint8_t>(text.size() & 0xFF)});
    data.insert(data.end(), text.begin(), text.end());
  }
  const std::string signature(
      "Photoshop 3.0\0"
      "8BIM\x04\x04\0\0",
      22);
  Bytes out(signature.begin(), signature.end());
  ByteSink{ByteOrder::BigEndian, out}.U32(static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) out.push_back(0);
  return out;
}

namespace {

void SetTexts(png_structp png, png_infop info, const std::vector<PngTextChunk>& texts, bool afterImage) {
  std::vector<png_text> chunks;
  for (const PngTextChunk& t : texts) {
    if (t.afterImage != afterImage) continue;
    png_text chunk{};
    chunk.compression = t.kind == PngTextKind::kText         ? PNG_TEXT_COMPRESSION_NONE
                        : t.kind == PngTextKind::kCompressed ? PNG_TEXT_COMPRESSION_zTXt
                                                             : PNG_ITXT_COMPRESSION_NONE;
    chunk.key = const_cast<char*>(t.keyword.c_str());
    chunk.text = const_cast<char*>(t.text.c_str());
    chunk.text_length = t.text.size();
    if (t.kind == PngTextKind::kInternational) {
      chunk.lang = const_cast<char*>("de");
      chunk.lang_key = const_cast<char*>(t.keyword.c_str());
    }
    chunks.push_back(chunk);
  }
  if (!chunks.empty()) png_set_text(png, info, chunks.data(), static_cast<int>(chunks.size()));
}

}  // namespace

bool WritePng(const std::string& path, const RgbImage& image, const std::vector<PngTextChunk>& texts,
              bool interlaced, bool alpha) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  SetTexts(png, info, texts, false);
  png_write_info(png, info);
  const int channels = alpha ? 4 : 3;
  std::vector<png_byte> pixels(static_cast<std::size_t>(image.width) * image.height * channels);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    png_bytep row = pixels.data() + static_cast<std::size_t>(y) * image.width * channels;
    rows[static_cast<std::size_t>(y)] = row;
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.Pixel(x, y);
      for (int c = 0; c < 3; ++c) row[x * channels + c] = p[c];
      if (alpha) row[x * 4 + 3] = x < image.width / 2 ? 0 : 255;
    }
  }
  png_write_image(png, rows.data());
  SetTexts(png, info, texts, true);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

bool WriteTiff(const std::string& path, const RgbImage& image, bool bottomUp) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, bottomUp ? ORIENTATION_BOTLEFT : ORIENTATION_TOPLEFT);
  bool ok = true;
  for (int y = 0; y < image.height && ok; ++y) {
    const int source = bottomUp ? image.height - 1 - y : y;
    ok = TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(image.Pixel(0, source)),
                           static_cast<std::uint32_t>(y), 0) == 1;
  }
  TIFFClose(tiff);
  return ok;
}

// PhotometricInterpretation LinearRaw (DNG 1.4, chapter 4), which tiff.h does not name.
constexpr std::uint16_t kLinearRaw = 34892;

bool WriteDng(const std::string& path, const RgbImage& image, const std::string& make,
              const std::string& model) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  static const std::uint8_t kVersion[4] = {1, 4, 0, 0}, kBackward[4] = {1, 1, 0, 0};
  // XYZ (D65) to camera: a camera whose channels are sRGB's primaries.
  static const float kColorMatrix[9] = {3.2406f, -1.5372f, -0.4986f, -0.9689f, 1.8758f,
                                        0.0415f, 0.0557f,  -0.2040f, 1.0570f};
  static const float kNeutral[3] = {1.0f, 1.0f, 1.0f};
  const std::uint32_t white = 65535;
  TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, kLinearRaw);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(image.height));
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tiff, TIFFTAG_MAKE, make.c_str());
  TIFFSetField(tiff, TIFFTAG_MODEL, model.c_str());
  TIFFSetField(tiff, TIFFTAG_DNGVERSION, kVersion);
  TIFFSetField(tiff, TIFFTAG_DNGBACKWARDVERSION, kBackward);
  TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, (make + " " + model).c_str());
  TIFFSetField(tiff, TIFFTAG_COLORMATRIX1, 9, kColorMatrix);
  TIFFSetField(tiff, TIFFTAG_CALIBRATIONILLUMINANT1, 21);  // D65
  TIFFSetField(tiff, TIFFTAG_ASSHOTNEUTRAL, 3, kNeutral);
  TIFFSetField(tiff, TIFFTAG_WHITELEVEL, 1, &white);
  std::vector<std::uint16_t> row(static_cast<std::size_t>(image.width) * 3);
  bool ok = true;
  for (int y = 0; y < image.height && ok; ++y) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      // Linear light: the sRGB curve undone roughly by squaring.
      const unsigned v = image.Pixel(0, y)[i];
      row[i] = static_cast<std::uint16_t>(v * v * 65535u / (255u * 255u));
    }
    ok = TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
  }
  TIFFClose(tiff);
  return ok;
}

bool WriteMagick(const std::string& path, const std::string& format, const RgbImage& image) {
  static std::once_flag once;
  std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
  try {
    Magick::Image out(static_cast<std::size_t>(image.width), static_cast<std::size_t>(image.height), "RGB",
                      Magick::CharPixel, image.pixels.data());
    out.strip();  // no dates or profiles: the same bytes every time
    out.write(format + ":" + path);
    return true;
  } catch (const Magick::Exception&) {
    return false;
  }
}

}  // namespace kelmarin::samples
