// JPEG header reading over libjpeg-turbo's classic API. The file is read in blocks of kBlockSize
// bytes by a source manager of our own, and the APPn and COM segments are copied out of those
// blocks by a marker processor of our own (libjpeg's jpeg_save_markers copies byte by byte). APP0
// (JFIF) and APP14 (Adobe) stay with libjpeg's reader, which looks into them to tell the colour
// space; they are small.

#include "image/meta/JpegReader.h"

#include <jerror.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "extract/JpegSegments.h"

namespace kelmarin::codec {

namespace {

// A progressive file may carry any number of scans; a hostile one makes decoding crawl. Real files
// have around ten; libjpeg-turbo's own tools suggest a limit of this order.
constexpr int kMaxScans = 500;

// Large enough for the segments after a camera file's APP1 up to the scan (tables, frame) and for the
// whole header of most small files in one read. Larger segments are read straight into their own
// bytes (SaveSegment), so that listing reads little of the compressed picture after the header.
constexpr std::size_t kBlockSize = 16 * 1024;

void OutputMessage(j_common_ptr) {}

// Reads up to `wanted` bytes of the file onto the end of `buffer`, within its reserved capacity;
// the number read.
template <typename Buffer>
std::size_t ReadInto(Buffer& buffer, std::size_t wanted, std::FILE* file) {
  const std::size_t before = buffer.size();
  buffer.resize(before + wanted);
  const std::size_t got = std::fread(buffer.data() + before, 1, wanted, file);
  buffer.resize(before + got);
  return got;
}

}  // namespace

// The block of the last decompressor of this thread, kept for the next one: listing many files
// then reuses one block instead of taking and returning 64 KiB per file.
thread_local std::unique_ptr<JOCTET[]> spareBlock;

struct JpegDecompressor::FileSource {
  jpeg_source_mgr pub{};
  std::FILE* file = nullptr;
  std::unique_ptr<JOCTET[]> block;  // kBlockSize bytes
  bool started = false;             // some byte of the file was read

  FileSource() : block(std::move(spareBlock)) {}
  ~FileSource() {
    if (block != nullptr) spareBlock = std::move(block);
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  static void Init(j_decompress_ptr) {}
  static void Term(j_decompress_ptr) {}

  // As libjpeg's stdio source: a file that ends early gets a made-up end-of-image marker (with a
  // warning, which the error manager notes as truncation); a file without any byte is an error.
  static boolean Fill(j_decompress_ptr cinfo) {
    FileSource* self = static_cast<JpegDecompressor*>(cinfo->client_data)->source.get();
    std::size_t got = std::fread(self->block.get(), 1, kBlockSize, self->file);
    if (got == 0) {
      if (!self->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
      WARNMS(cinfo, JWRN_JPEG_EOF);
      self->block[0] = 0xFF;
      self->block[1] = JPEG_EOI;
      got = 2;
    }
    self->pub.next_input_byte = self->block.get();
    self->pub.bytes_in_buffer = got;
    self->started = true;
    return TRUE;
  }

  // Skipping past the block seeks instead of reading; past the end of the file the next fill
  // reports the end as above.
  static void Skip(j_decompress_ptr cinfo, long count) {
    FileSource* self = static_cast<JpegDecompressor*>(cinfo->client_data)->source.get();
    if (count <= 0) return;
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted <= self->pub.bytes_in_buffer) {
      self->pub.next_input_byte += wanted;
      self->pub.bytes_in_buffer -= wanted;
      return;
    }
    const long beyond = static_cast<long>(wanted - self->pub.bytes_in_buffer);
    self->pub.bytes_in_buffer = 0;
    if (std::fseek(self->file, beyond, SEEK_CUR) != 0) std::fseek(self->file, 0, SEEK_END);
  }
};

void JpegDecompressor::ErrorExit(j_common_ptr cinfo) {
  auto* self = static_cast<JpegDecompressor*>(cinfo->client_data);
  self->errors.failure = cinfo->err->msg_code == JERR_OUT_OF_MEMORY ? kNoMemory : kCorrupt;
  std::longjmp(self->errors.jump, 1);
}

// Warnings (level -1) are silent; the one that matters is the end of the file in the middle of the
// data, where libjpeg would go on with grey: such a file counts as damaged.
void JpegDecompressor::EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
    static_cast<JpegDecompressor*>(cinfo->client_data)->errors.truncated = true;
  }
}

void JpegDecompressor::LimitScans(j_common_ptr cinfo) {
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->is_decompressor && dinfo->input_scan_number > kMaxScans) {
    auto* self = static_cast<JpegDecompressor*>(cinfo->client_data);
    self->errors.failure = kCorrupt;
    std::longjmp(self->errors.jump, 1);
  }
}

JpegDecompressor::JpegDecompressor(std::FILE* file) : source(std::make_unique<FileSource>()) {
  cinfo.err = jpeg_std_error(&errors.pub);
  cinfo.client_data = this;  // jpeg_create_decompress keeps it
  errors.pub.error_exit = ErrorExit;
  errors.pub.emit_message = EmitMessage;
  errors.pub.output_message = OutputMessage;
  errors.truncated = false;
  errors.failure = kCorrupt;
  progress.progress_monitor = LimitScans;
  source->file = file;
  source->pub.init_source = FileSource::Init;
  source->pub.fill_input_buffer = FileSource::Fill;
  source->pub.skip_input_data = FileSource::Skip;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = FileSource::Term;
}

JpegDecompressor::~JpegDecompressor() {
  if (created) jpeg_destroy_decompress(&cinfo);
}

bool JpegDecompressor::ReadHeader() {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&cinfo);
  created = true;
  cinfo.progress = &progress;
  if (source->block == nullptr) {
    source->block.reset(new (std::nothrow) JOCTET[kBlockSize]);
    if (source->block == nullptr) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
  }
  cinfo.src = &source->pub;
  jpeg_save_markers(&cinfo, JPEG_APP0, 0xFFFF);
  jpeg_save_markers(&cinfo, JPEG_APP0 + 14, 0xFFFF);
  for (int app = 1; app < 16; ++app) {
    if (app != 14) jpeg_set_marker_processor(&cinfo, JPEG_APP0 + app, SaveSegment);
  }
  jpeg_set_marker_processor(&cinfo, JPEG_COM, SaveSegment);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
    errors.failure = kCorrupt;
    return false;
  }
  // The header is complete once the scan header is read; whether the scan data is whole is the
  // decoder's question.
  SweepLibraryMarkers();
  return true;
}

// Called by libjpeg just after the two marker bytes of an APPn or COM segment. Reads the length and
// the payload from the source's blocks. Keeps exactly what libjpeg's own reader would keep: a
// length below 2 keeps nothing and reading goes on after the length bytes; a segment cut short by
// the end of the file is filled up with the made-up end marker (and the header then fails).
boolean JpegDecompressor::SaveSegment(j_decompress_ptr cinfo) {
  auto* self = static_cast<JpegDecompressor*>(cinfo->client_data);
  jpeg_source_mgr* src = cinfo->src;
  unsigned length = 0;
  for (int i = 0; i < 2; ++i) {
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo)) return FALSE;
    length = (length << 8) | *src->next_input_byte++;
    --src->bytes_in_buffer;
  }
  if (length < 2) return TRUE;
  const std::size_t payload = length - 2;
  const auto code = static_cast<std::uint8_t>(cinfo->unread_marker);
  // The segment's bytes are appended to one of these as they come from the source's blocks.
  std::vector<std::uint8_t>* bytes = nullptr;
  std::string* text = nullptr;
  try {
    self->SweepLibraryMarkers();  // APP0 and APP14 segments read before this one come first
    if (code == JPEG_COM) {
      text = &self->kept.comments.emplace_back();
      text->reserve(payload);
    } else {
      JpegMarker& marker = self->kept.markers.emplace_back();
      marker.code = code;
      marker.bytes.reserve(payload + 4);
      const auto opening = JpegSegmentHead(code, length);
      marker.bytes.assign(opening.begin(), opening.end());
      bytes = &marker.bytes;
    }
  } catch (const std::bad_alloc&) {
    bytes = nullptr;
    text = nullptr;
  }
  // Outside the handler, with no C++ object alive in this frame: error_exit does not return.
  if (bytes == nullptr && text == nullptr) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
  // The capacity is reserved: neither appending nor reading into it allocates. Once the block is
  // used up, the rest of the segment is read from the file straight into its bytes; what the file
  // lacks then comes from the source as before (its made-up end marker).
  bool readStraight = true;
  for (std::size_t copied = 0; copied < payload;) {
    if (src->bytes_in_buffer == 0 && readStraight) {
      readStraight = false;
      std::FILE* file = self->source->file;
      copied += bytes != nullptr ? ReadInto(*bytes, payload - copied, file) : ReadInto(*text, payload - copied, file);
      continue;
    }
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo)) return FALSE;
    const std::size_t n = std::min(payload - copied, src->bytes_in_buffer);
    const JOCTET* from = src->next_input_byte;
    if (bytes != nullptr) {
      bytes->insert(bytes->end(), from, from + n);
    } else {
      text->append(reinterpret_cast<const char*>(from), n);
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
    copied += n;
  }
  return TRUE;
}

void JpegDecompressor::SweepLibraryMarkers() {
  for (jpeg_saved_marker_ptr m = swept != nullptr ? swept->next : cinfo.marker_list; m != nullptr;
       m = m->next) {
    JpegMarker marker;
    marker.code = static_cast<std::uint8_t>(m->marker);
    const unsigned length = m->data_length + 2;
    marker.bytes.reserve(m->data_length + 4);
    const auto opening = JpegSegmentHead(marker.code, length);
    marker.bytes.assign(opening.begin(), opening.end());
    marker.bytes.insert(marker.bytes.end(), m->data, m->data + m->data_length);
    kept.markers.push_back(std::move(marker));
    swept = m;
  }
}

void JpegDecompressor::TakeMarkers(MetadataSource& metadata) {
  metadata = std::move(kept);
  kept = MetadataSource{};
}

Code JpegDimensions(std::FILE* file, Size& size, MetadataSource& metadata) {
  JpegDecompressor decoder(file);
  if (!decoder.ReadHeader()) return decoder.failure();
  const jpeg_decompress_struct& info = decoder.info();
  if (info.image_width == 0 || info.image_height == 0) return kCorrupt;
  size.width = static_cast<std::int32_t>(info.image_width);
  size.height = static_cast<std::int32_t>(info.image_height);
  decoder.TakeMarkers(metadata);
  return kOk;
}

}  // namespace kelmarin::codec
