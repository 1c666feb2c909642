// JPEG through libjpeg-turbo's classic API: 24-bit RGB decoded straight into the image's scanlines,
// APP0 to APP15 and COM segments kept as the file's metadata.
//
// libjpeg reports fatal errors through error_exit, which must not return; here it longjmps back into
// the function that set the jump point. Those functions hold no C++ objects with destructors between
// setjmp and the libjpeg calls, so the jump skips nothing.

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <vector>

#include "image/Backends.h"

namespace kelmarin::codec {

namespace {

// A progressive file may carry any number of scans; a hostile one makes decoding crawl. Real files
// have around ten; libjpeg-turbo's own tools suggest a limit of this order.
constexpr int kMaxScans = 500;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool truncated;
  Code failure;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  errors->failure = cinfo->err->msg_code == JERR_OUT_OF_MEMORY ? kNoMemory : kCorrupt;
  std::longjmp(errors->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  // Warnings (level -1) are silent; the one that matters is the end of the file in the middle of the
  // image data, where libjpeg would go on with grey: such a file counts as damaged.
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
    reinterpret_cast<ErrorManager*>(cinfo->err)->truncated = true;
  }
}

void OutputMessage(j_common_ptr) {}

void LimitScans(j_common_ptr cinfo) {
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->is_decompressor && dinfo->input_scan_number > kMaxScans) {
    reinterpret_cast<ErrorManager*>(cinfo->err)->failure = kCorrupt;
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
  }
}

// Owns one decompressor; the destructor releases libjpeg's memory whatever state it is in.
class Decompressor {
 public:
  explicit Decompressor(std::FILE* file) {
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ErrorExit;
    errors.pub.emit_message = EmitMessage;
    errors.pub.output_message = OutputMessage;
    errors.truncated = false;
    errors.failure = kCorrupt;
    progress.progress_monitor = LimitScans;
    input = file;
  }
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // Reads the markers up to the first scan. False with failure() set when the data is not JPEG.
  // The saved markers live until decoding finishes: copy them before Decode.
  bool ReadHeader();
  // Decodes every row into `image`, which has the header's size and Format_RGB888.
  bool Decode(QImage& image);
  void CopyMarkers(MetadataSource& metadata) const;

  Code failure() const { return errors.failure; }
  jpeg_decompress_struct& info() { return cinfo; }

 private:
  bool DecodeCmyk(QImage& image);

  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
  std::FILE* input = nullptr;
  bool created = false;
};

bool Decompressor::ReadHeader() {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&cinfo);
  created = true;
  cinfo.progress = &progress;
  jpeg_stdio_src(&cinfo, input);
  jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
  for (int app = 0; app < 16; ++app) jpeg_save_markers(&cinfo, JPEG_APP0 + app, 0xFFFF);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
    errors.failure = kCorrupt;
    return false;
  }
  // The header is complete once the scan header is read; whether the scan data is whole is the
  // decoder's question.
  return true;
}

bool Decompressor::Decode(QImage& image) {
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  if (cmyk) return DecodeCmyk(image);
  unsigned char* const bits = image.bits();
  const std::size_t stride = static_cast<std::size_t>(image.bytesPerLine());
  if (setjmp(errors.jump)) return false;
  // RGB output with the default (islow) DCT and fancy upsampling: what djpeg does.
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[16];
    const JDIMENSION first = cinfo.output_scanline;
    JDIMENSION count = cinfo.output_height - first;
    if (count > 16) count = 16;
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = bits + (first + i) * stride;
    if (jpeg_read_scanlines(&cinfo, rows, count) == 0) break;
  }
  if (errors.truncated) return false;
  jpeg_finish_decompress(&cinfo);
  return !errors.truncated;
}

// CMYK and YCCK files (Photoshop's) decode to CMYK rows, turned into RGB one row at a time. Adobe's
// files store the ink values inverted (APP14 marker present).
bool Decompressor::DecodeCmyk(QImage& image) {
  std::vector<unsigned char> buffer(static_cast<std::size_t>(cinfo.image_width) * 4);
  unsigned char* const row = buffer.data();
  if (setjmp(errors.jump)) return false;
  cinfo.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&cinfo);
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION y = cinfo.output_scanline;
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&cinfo, rows, 1) == 0) break;
    unsigned char* out = image.scanLine(static_cast<int>(y));
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
      unsigned c = row[4 * x], m = row[4 * x + 1], ye = row[4 * x + 2], k = row[4 * x + 3];
      if (!inverted) {
        c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
      }
      out[3 * x] = static_cast<unsigned char>((c * k + 127) / 255);
      out[3 * x + 1] = static_cast<unsigned char>((m * k + 127) / 255);
      out[3 * x + 2] = static_cast<unsigned char>((ye * k + 127) / 255);
    }
  }
  if (errors.truncated) return false;
  jpeg_finish_decompress(&cinfo);
  return !errors.truncated;
}

void Decompressor::CopyMarkers(MetadataSource& metadata) const {
  metadata.Clear();
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
    if (m->marker == JPEG_COM) {
      metadata.comments.emplace_back(reinterpret_cast<const char*>(m->data), m->data_length);
      continue;
    }
    // As the marker stood in the file: 0xFF, code, length (counting itself), payload.
    JpegMarker marker;
    marker.code = static_cast<std::uint8_t>(m->marker);
    const unsigned length = m->data_length + 2;
    marker.bytes.reserve(m->data_length + 4);
    marker.bytes = {0xFF, marker.code, static_cast<std::uint8_t>(length >> 8),
                    static_cast<std::uint8_t>(length & 0xFF)};
    marker.bytes.insert(marker.bytes.end(), m->data, m->data + m->data_length);
    metadata.markers.push_back(std::move(marker));
  }
}

}  // namespace

Code DecodeJpeg(std::FILE* file, QImage& pixels, MetadataSource& metadata) {
  pixels = QImage();
  Decompressor decoder(file);
  if (!decoder.ReadHeader()) return decoder.failure();
  jpeg_decompress_struct& info = decoder.info();
  QImage image;
  if (const Code code = AllocateRgb(info.image_width, info.image_height, image); code != kOk) return code;
  MetadataSource markers;
  decoder.CopyMarkers(markers);
  if (!decoder.Decode(image)) return decoder.failure();
  metadata = std::move(markers);
  pixels = std::move(image);
  return kOk;
}

Code JpegDimensions(std::FILE* file, Size& size, MetadataSource& metadata) {
  Decompressor decoder(file);
  if (!decoder.ReadHeader()) return decoder.failure();
  const jpeg_decompress_struct& info = decoder.info();
  if (info.image_width == 0 || info.image_height == 0) return kCorrupt;
  size.width = static_cast<std::int32_t>(info.image_width);
  size.height = static_cast<std::int32_t>(info.image_height);
  decoder.CopyMarkers(metadata);
  return kOk;
}

}  // namespace kelmarin::codec
