// Hand-made Windows metafiles for samples and tests: the records of [MS-WMF] and [MS-EMF], a few of
// each, enough for a small drawing.

#include <algorithm>

#include "FileWriters.h"

namespace kelmarin::samples {

namespace {

struct Colour {
  std::uint8_t r, g, b;
};
constexpr Colour kSky{70, 130, 200}, kSun{250, 220, 90}, kHill{40, 110, 50}, kWhite{255, 255, 255};

// WMF records: a size in 16-bit words, a function number, parameters.
class WmfRecords {
 public:
  void Record(std::uint16_t function, const std::vector<std::int32_t>& words, const Bytes& tail = {}) {
    Bytes r;
    ByteSink sink{ByteOrder::LittleEndian, r};
    const std::size_t size = 3 + words.size() + tail.size() / 2;
    sink.U32(static_cast<std::uint32_t>(size));
    sink.U16(function);
    for (std::int32_t w : words) sink.U16(static_cast<std::uint16_t>(w));
    r.insert(r.end(), tail.begin(), tail.end());
    largest = std::max(largest, size);
    body.insert(body.end(), r.begin(), r.end());
  }
  void Brush(Colour c) { Record(0x02FC, {0, c.r | (c.g << 8), c.b, 0}); }  // solid style, COLORREF, hatch
  void Select(int index) { Record(0x012D, {index}); }
  void Delete(int index) { Record(0x01F0, {index}); }

  Bytes body;
  std::size_t largest = 0;
};

Bytes PlaceableHeader(int width, int height) {
  Bytes h;
  ByteSink sink{ByteOrder::LittleEndian, h};
  sink.U32(0x9AC6CDD7u);
  for (int v : {0, 0, 0, width, height, 96}) sink.U16(static_cast<std::uint32_t>(v));
  sink.U32(0);
  std::uint16_t checksum = 0;
  for (std::size_t i = 0; i < 20; i += 2) checksum ^= static_cast<std::uint16_t>(h[i] | (h[i + 1] << 8));
  sink.U16(checksum);
  return h;
}

Bytes FontRecordTail(int height, const std::string& face) {
  Bytes t;
  ByteSink sink{ByteOrder::LittleEndian, t};
  for (int v : {-height, 0, 0, 0, 700}) sink.U16(static_cast<std::uint16_t>(v));
  for (int v : {0, 0, 0, 0, 0, 0, 4, 0}) sink.U8(static_cast<std::uint32_t>(v));  // ANSI charset, antialiased
  Bytes name(32, 0);
  std::copy_n(face.begin(), std::min<std::size_t>(face.size(), 31), name.begin());
  t.insert(t.end(), name.begin(), name.end());
  return t;
}

// EMF records: type, size in bytes, 32-bit parameters.
void EmfRecord(Bytes& out, std::uint32_t type, const std::vector<std::int32_t>& params,
               std::uint32_t& records) {
  ByteSink sink{ByteOrder::LittleEndian, out};
  sink.U32(type);
  sink.U32(static_cast<std::uint32_t>(8 + 4 * params.size()));
  for (std::int32_t p : params) sink.U32(static_cast<std::uint32_t>(p));
  ++records;
}

}  // namespace

Bytes MakeWmf(int width, int height, const std::string& text) {
  WmfRecords r;
  r.Record(0x020B, {0, 0});           // SETWINDOWORG y, x
  r.Record(0x020C, {height, width});  // SETWINDOWEXT y, x
  r.Record(0x0102, {1});              // SETBKMODE transparent
  r.Record(0x02FA, {5, 0, 0, 0, 0});  // CREATEPENINDIRECT: null pen → object 0
  r.Select(0);
  r.Brush(kSky);  // object 1
  r.Select(1);
  r.Record(0x041B, {height, width, 0, 0});  // RECTANGLE bottom, right, top, left
  r.Delete(1);
  r.Brush(kSun);
  r.Select(1);
  r.Record(0x0418, {height / 2, width * 3 / 4, height / 8, width * 3 / 8});  // ELLIPSE
  r.Delete(1);
  r.Brush(kHill);
  r.Select(1);
  r.Record(0x0324, {4, 0, height, 0, height * 2 / 3, width, height / 2, width, height});  // POLYGON
  r.Delete(1);
  if (!text.empty()) {
    r.Record(0x02FB, {}, FontRecordTail(std::max(8, height / 8), "Helvetica"));  // object 1
    r.Select(1);
    r.Record(0x0209, {kWhite.r | (kWhite.g << 8), kWhite.b});  // SETTEXTCOLOR
    Bytes string(text.begin(), text.end());
    if (string.size() % 2 != 0) string.push_back(0);
    Bytes tail = string;
    ByteSink sink{ByteOrder::LittleEndian, tail};
    sink.U16(static_cast<std::uint32_t>(height * 7 / 8)), sink.U16(static_cast<std::uint32_t>(width / 16));
    Bytes length;
    ByteSink{ByteOrder::LittleEndian, length}.U16(static_cast<std::uint32_t>(text.size()));
    length.insert(length.end(), tail.begin(), tail.end());
    r.Record(0x0521, {}, length);  // TEXTOUT length, string, y, x
    r.Delete(1);
  }
  r.Record(0x0000, {});  // EOF
  Bytes out = PlaceableHeader(width, height);
  ByteSink sink{ByteOrder::LittleEndian, out};
  sink.U16(1), sink.U16(9), sink.U16(0x0300);
  sink.U32(static_cast<std::uint32_t>(9 + r.body.size() / 2));
  sink.U16(2);
  sink.U32(static_cast<std::uint32_t>(r.largest));
  sink.U16(0);
  out.insert(out.end(), r.body.begin(), r.body.end());
  return out;
}

Bytes MakeEmf(int width, int height) {
  Bytes body;
  std::uint32_t records = 1;                                               // the header
  EmfRecord(body, 18, {1}, records);                                       // SETBKMODE transparent
  EmfRecord(body, 37, {static_cast<std::int32_t>(0x80000008u)}, records);  // SELECTOBJECT NULL_PEN
  const Colour colours[] = {kSky, kSun, kHill};
  for (int i = 0; i < 3; ++i) {
    const Colour c = colours[i];
    EmfRecord(body, 39, {1, 0, c.r | (c.g << 8) | (c.b << 16), 0}, records);  // CREATEBRUSHINDIRECT 1
    EmfRecord(body, 37, {1}, records);
    if (i == 0) EmfRecord(body, 43, {0, 0, width, height}, records);  // RECTANGLE
    if (i == 1)
      EmfRecord(body, 42, {width * 3 / 8, height / 8, width * 3 / 4, height / 2}, records);  // ELLIPSE
    if (i == 2) {
      // POLYGON16: bounds, count, points
      const std::int32_t xy[] = {0, height, 0, height * 2 / 3, width, height / 2, width, height};
      std::vector<std::int32_t> params = {0, height / 2, width, height, 4};
      for (int p = 0; p < 8; p += 2) params.push_back((xy[p] & 0xFFFF) | (xy[p + 1] << 16));
      EmfRecord(body, 86, params, records);
    }
    EmfRecord(body, 40, {1}, records);  // DELETEOBJECT
  }
  EmfRecord(body, 14, {0, 16, 20}, records);  // EOF
  Bytes out;
  ByteSink sink{ByteOrder::LittleEndian, out};
  sink.U32(1), sink.U32(88);
  for (int v : {0, 0, width - 1, height - 1}) sink.U32(static_cast<std::uint32_t>(v));  // bounds, pixels
  for (int v : {0, 0, width * 2540 / 96, height * 2540 / 96})
    sink.U32(static_cast<std::uint32_t>(v));  // frame, 0.01 mm
  sink.U32(0x464D4520u), sink.U32(0x10000u);
  sink.U32(static_cast<std::uint32_t>(88 + body.size()));
  sink.U32(records);
  sink.U16(2), sink.U16(0);
  sink.U32(0), sink.U32(0), sink.U32(0);
  sink.U32(1024), sink.U32(768);  // reference device in pixels
  sink.U32(271), sink.U32(203);   // and in millimetres (96 per inch)
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace kelmarin::samples
