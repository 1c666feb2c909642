#pragma once
// A typical camera EXIF block, built in code: directory 0 with make, model and the usual image
// tags, an Exif directory with an interoperability directory and a Canon-style makernote, a GPS
// directory and directory 1 with an 8 KiB thumbnail. About 14 KiB, in either byte order. Used by
// the tests, the benchmark and the fuzz seed generator.

#include <cstdint>
#include <string>
#include <vector>

#include "TiffBuilder.h"

namespace kelmarin::test {

inline TiffBuilder::Entry Rational(TiffBuilder& tiff, std::uint16_t tag, std::uint32_t num,
                                   std::uint32_t den) {
  return tiff.At(tag, 5, 1, tiff.Append(Cat({tiff.U32(num), tiff.U32(den)})));
}

inline TiffBuilder::Entry Shorts(TiffBuilder& tiff, std::uint16_t tag, std::uint32_t count,
                                 std::uint16_t seed) {
  std::vector<std::uint8_t> data;
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto v = tiff.U16(static_cast<std::uint16_t>(seed + i * 7));
    data.insert(data.end(), v.begin(), v.end());
  }
  if (count * 2 <= 4) return tiff.Inline(tag, 3, count, data);
  return tiff.At(tag, 3, count, tiff.Append(data));
}

inline std::uint32_t CanonMakernote(TiffBuilder& tiff) {
  std::vector<TiffBuilder::Entry> entries = {
      Shorts(tiff, 0x0001, 46, 1),
      Shorts(tiff, 0x0002, 4, 2),
      Shorts(tiff, 0x0004, 34, 3),
      tiff.Ascii(0x0006, "Canon EOS 40D"),
      tiff.Ascii(0x0007, "Firmware Version 1.0.3"),
      tiff.Long(0x000C, 0x12345678),
      Shorts(tiff, 0x000D, 700, 5),
      tiff.Long(0x0010, 0x80000190),
      Shorts(tiff, 0x0012, 34, 6),
      Shorts(tiff, 0x0013, 4, 7),
      Shorts(tiff, 0x0015, 2, 8),
      Shorts(tiff, 0x0019, 1, 9),
      Shorts(tiff, 0x0026, 48, 10),
      tiff.At(0x0083, 4, 1, 0),
      Shorts(tiff, 0x0093, 31, 11),
      tiff.Ascii(0x0095, "EF-S17-85mm f/4-5.6 IS USM"),
      Shorts(tiff, 0x0096, 8, 12),
      Shorts(tiff, 0x0097, 1024, 13),
      Shorts(tiff, 0x0098, 4, 14),
      Shorts(tiff, 0x00A0, 14, 15),
      Shorts(tiff, 0x00AA, 6, 16),
      Shorts(tiff, 0x00D0, 1, 17),
      Shorts(tiff, 0x00E0, 17, 18),
      Shorts(tiff, 0x4001, 1250, 19),
  };
  return tiff.AddDirectory(entries);
}

inline std::uint32_t GpsDirectory(TiffBuilder& tiff) {
  auto three = [&](std::uint16_t tag, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return tiff.At(
        tag, 5, 3,
        tiff.Append(Cat({tiff.U32(a), tiff.U32(1), tiff.U32(b), tiff.U32(1), tiff.U32(c), tiff.U32(100)})));
  };
  return tiff.AddDirectory({
      tiff.Inline(0x0000, 1, 4, {2, 2, 0, 0}),
      tiff.Ascii(0x0001, "N"),
      three(0x0002, 48, 8, 2212),
      tiff.Ascii(0x0003, "E"),
      three(0x0004, 11, 34, 4508),
      tiff.Inline(0x0005, 1, 1, {0}),
      Rational(tiff, 0x0006, 51900, 100),
      three(0x0007, 14, 3, 1200),
      tiff.Ascii(0x0012, "WGS-84"),
      tiff.Ascii(0x001D, "2008:05:30"),
  });
}

inline std::vector<std::uint8_t> SampleCameraApp1(ByteOrder order = ByteOrder::LittleEndian) {
  TiffBuilder tiff(order);
  const std::uint32_t note = CanonMakernote(tiff);
  const std::uint32_t noteSize = tiff.Size() - note;
  const std::uint32_t gps = GpsDirectory(tiff);
  const std::uint32_t interop =
      tiff.AddDirectory({tiff.Ascii(0x0001, "R98"), tiff.Inline(0x0002, 7, 4, Bytes("0100"))});
  std::vector<std::uint8_t> userComment(264, 0);
  const std::uint32_t exif = tiff.AddDirectory({
      Rational(tiff, 0x829A, 1, 160),
      Rational(tiff, 0x829D, 71, 10),
      tiff.Short(0x8822, 2),
      tiff.Short(0x8827, 100),
      tiff.Inline(0x9000, 7, 4, Bytes("0221")),
      tiff.Ascii(0x9003, "2008:05:30 15:56:01"),
      tiff.Ascii(0x9004, "2008:05:30 15:56:01"),
      tiff.Inline(0x9101, 7, 4, {1, 2, 3, 0}),
      tiff.At(0x9201, 10, 1, tiff.Append(Cat({tiff.U32(483328), tiff.U32(65536)}))),
      Rational(tiff, 0x9202, 368640, 65536),
      tiff.At(0x9204, 10, 1, tiff.Append(Cat({tiff.U32(0), tiff.U32(1)}))),
      tiff.Short(0x9207, 5),
      tiff.Short(0x9209, 16),
      Rational(tiff, 0x920A, 135, 1),
      tiff.At(0x927C, 7, noteSize, note),
      tiff.At(0x9286, 7, 264, tiff.Append(userComment)),
      tiff.Ascii(0x9290, "00"),
      tiff.Ascii(0x9291, "00"),
      tiff.Ascii(0x9292, "00"),
      tiff.Inline(0xA000, 7, 4, Bytes("0100")),
      tiff.Short(0xA001, 1),
      tiff.Long(0xA002, 100),
      tiff.Long(0xA003, 68),
      tiff.Long(0xA005, interop),
      Rational(tiff, 0xA20E, 3888000, 876),
      Rational(tiff, 0xA20F, 2592000, 583),
      tiff.Short(0xA210, 2),
      tiff.Short(0xA401, 0),
      tiff.Short(0xA402, 1),
      tiff.Short(0xA403, 0),
      tiff.Short(0xA406, 0),
  });
  const std::uint32_t thumbnail = tiff.Append(std::vector<std::uint8_t>(8192, 0xA5));
  const std::uint32_t ifd1 =
      tiff.AddDirectory({tiff.Short(0x0103, 6), Rational(tiff, 0x011A, 72, 1), Rational(tiff, 0x011B, 72, 1),
                         tiff.Short(0x0128, 2), tiff.Long(0x0201, thumbnail), tiff.Long(0x0202, 8192)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {
          tiff.Ascii(0x010F, "Canon"),
          tiff.Ascii(0x0110, "Canon EOS 40D"),
          tiff.Short(0x0112, 1),
          Rational(tiff, 0x011A, 72, 1),
          Rational(tiff, 0x011B, 72, 1),
          tiff.Short(0x0128, 2),
          tiff.Ascii(0x0131, "GIMP 2.4.5"),
          tiff.Ascii(0x0132, "2008:07:31 10:38:11"),
          tiff.Ascii(0x013B, "Fotograf"),
          tiff.Short(0x0213, 2),
          tiff.At(0x8298, 2, 10, tiff.AppendText(std::string("Foto\0Edit\0", 10))),
          tiff.Long(0x8769, exif),
          tiff.Long(0x8825, gps),
      },
      ifd1));
  return tiff.App1();
}

}  // namespace kelmarin::test
