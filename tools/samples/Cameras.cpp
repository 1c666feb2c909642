#include "Cameras.h"

#include <memory>

namespace kelmarin::samples {

namespace {

using R = std::pair<std::uint32_t, std::uint32_t>;
using SR = std::pair<std::int32_t, std::int32_t>;

ByteOrder OrderOf(Maker maker) {
  return maker == Maker::kNikon || maker == Maker::kPentax ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// A makernote that is a plain directory after a signature, offsets counted from the TIFF header
// (Canon: no signature; Olympus "OLYMP\0\1\0"; Pentax "AOC\0" and a byte order; Panasonic
// "Panasonic\0\0\0").
Ifd::BlobMaker HeaderRelative(std::string signature, std::shared_ptr<Ifd> ifd, ByteOrder order) {
  return [signature = std::move(signature), ifd, order](std::int64_t offset) {
    Bytes out = Text(signature);
    ifd->Write(out, order, offset);
    return out;
  };
}

// Nikon's second layout: "Nikon\0", version 2.10, then a TIFF header of its own; offsets count
// from that header.
Ifd::BlobMaker NikonType2(std::shared_ptr<Ifd> ifd) {
  return [ifd](std::int64_t) {
    Bytes out = Text(std::string("Nikon\0\x02\x10\0\0", 10));
    ByteSink sink{ByteOrder::BigEndian, out};
    sink.Text("MM"), sink.U16(42), sink.U32(8);
    ifd->Write(out, ByteOrder::BigEndian, -10);
    return out;
  };
}

// Fujifilm: "FUJIFILM", the directory's offset from the makernote start, little-endian, offsets
// counted from the makernote start.
Ifd::BlobMaker FujifilmLayout(std::shared_ptr<Ifd> ifd) {
  return [ifd](std::int64_t) {
    Bytes out = Text("FUJIFILM");
    ByteSink{ByteOrder::LittleEndian, out}.U32(12);
    ifd->Write(out, ByteOrder::LittleEndian, 0);
    return out;
  };
}

std::shared_ptr<Ifd> CanonNote(const Shot& shot) {
  auto n = std::make_shared<Ifd>();
  n->Short(0x0001, {92, 2,  0, 3, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                    50, 50, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  n->Short(0x0004, {68, 0, 160, 256, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                    0,  0, 0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  n->Ascii(0x0006, "Canon EOS 5D Mark II");
  n->Ascii(0x0007, "Firmware Version 2.1.2");
  n->Ascii(0x0009, "Anna Berger");
  n->Long(0x000C, {1230504417});
  n->Long(0x0010, {0x80000218u});
  n->Ascii(0x0095, shot.lens);
  return n;
}

std::shared_ptr<Ifd> NikonNote(const Shot& shot) {
  auto n = std::make_shared<Ifd>();
  n->Undefined(0x0001, "0210");
  n->Short(0x0002, {0, shot.iso});
  n->Ascii(0x0004, "FINE  ");
  n->Ascii(0x0005, "AUTO  ");
  n->Ascii(0x0006, "AUTO  ");
  n->Ascii(0x0007, "AF-S  ");
  n->Ascii(0x0008, "NORMAL      ");
  n->SShort(0x000B, {0});
  n->Ascii(0x001D, "2017642");
  n->Short(0x0022, {3});
  n->Byte(0x0083, {6});
  n->Rational(0x0084, {{24, 1}, {70, 1}, {28, 10}, {28, 10}});
  n->Long(0x00A7, {48213});
  return n;
}

std::shared_ptr<Ifd> OlympusNote() {
  auto n = std::make_shared<Ifd>();
  n->Long(0x0200, {0, 1, 0});
  n->Short(0x0201, {2});
  n->Short(0x0202, {0});
  n->Rational(0x0204, {{100, 100}});
  n->Ascii(0x0207, "SX558");
  Bytes id = Text("OLYMPUS DIGITAL CAMERA");
  id.resize(32, 0);
  n->Undefined(0x0209, id);
  return n;
}

std::shared_ptr<Ifd> FujifilmNote() {
  auto n = std::make_shared<Ifd>();
  n->Undefined(0x0000, "0130");
  n->Ascii(0x0010, "FC  A0412345 593533313234 2014:03:12 X100S");
  n->Ascii(0x1000, "NORMAL ");
  n->Short(0x1001, {3});
  n->Short(0x1002, {0});
  n->Short(0x1003, {0});
  n->Short(0x1010, {2});
  n->SRational(0x1011, {{0, 100}});
  for (const std::uint16_t tag :
       std::vector<std::uint16_t>{0x1020, 0x1021, 0x1030, 0x1031, 0x1100, 0x1300, 0x1301, 0x1302}) {
    n->Short(tag, {0});
  }
  return n;
}

std::shared_ptr<Ifd> PentaxNote() {
  auto n = std::make_shared<Ifd>();
  n->Byte(0x0000, {4, 2, 0, 0});
  n->Short(0x0001, {0});
  n->Long(0x0005, {0x12e76});
  n->Undefined(0x0006, Bytes{0x07, 0xDB, 2, 19});
  n->Undefined(0x0007, Bytes{11, 20, 58});
  n->Short(0x0008, {2});
  n->Short(0x000D, {16});
  n->Short(0x0014, {3});
  n->Short(0x0019, {0});
  n->Byte(0x003F, {3, 44});
  return n;
}

std::shared_ptr<Ifd> PanasonicNote(const Shot& shot) {
  auto n = std::make_shared<Ifd>();
  n->Short(0x0001, {2});
  n->Undefined(0x0002, Bytes{0, 1, 0, 0});
  n->Short(0x0003, {1});
  n->Short(0x0007, {1});
  n->Byte(0x000F, {16, 0});
  n->Short(0x001A, {2});
  n->Short(0x001C, {2});
  n->Short(0x001F, {6});
  n->Short(0x0020, {2});
  n->Short(0x0024, {0});
  Bytes serial = Text("F541207041234");
  serial.resize(16, 0);
  n->Undefined(0x0025, serial);
  n->Ascii(0x0051, shot.lens);
  return n;
}

Ifd::BlobMaker MakerNote(Maker maker, const Shot& shot) {
  const ByteOrder order = OrderOf(maker);
  switch (maker) {
    case Maker::kCanon:
      return HeaderRelative("", CanonNote(shot), order);
    case Maker::kNikon:
      return NikonType2(NikonNote(shot));
    case Maker::kOlympus:
      return HeaderRelative(std::string("OLYMP\0\x01\0", 8), OlympusNote(), order);
    case Maker::kFujifilm:
      return FujifilmLayout(FujifilmNote());
    case Maker::kPentax:
      return HeaderRelative(std::string("AOC\0MM", 6), PentaxNote(), order);
    case Maker::kPanasonic:
      return HeaderRelative(std::string("Panasonic\0\0\0", 12), PanasonicNote(shot), order);
  }
  return {};
}

std::shared_ptr<Ifd> GpsDirectory(const Shot& shot) {
  auto g = std::make_shared<Ifd>();
  g->Byte(0x0000, {2, 3, 0, 0});
  g->Ascii(0x0001, "N");
  g->Rational(0x0002, {{48, 1}, {8, 1}, {2286, 100}});
  g->Ascii(0x0003, "E");
  g->Rational(0x0004, {{11, 1}, {34, 1}, {4512, 100}});
  g->Byte(0x0005, {0});
  g->Rational(0x0006, {{5192, 10}});
  g->Rational(0x0007, {{17, 1}, {42, 1}, {7, 1}});
  g->Ascii(0x0008, "07");
  g->Ascii(0x0012, "WGS-84");
  g->Ascii(0x001D, shot.dateTime.substr(0, 10));
  return g;
}

std::shared_ptr<Ifd> ExifDirectory(Maker maker, const Shot& shot) {
  auto e = std::make_shared<Ifd>();
  e->Rational(0x829A, {shot.exposure});
  e->Rational(0x829D, {shot.fNumber});
  e->Short(0x8822, {3});
  e->Short(0x8827, {shot.iso});
  e->Undefined(0x9000, "0230");
  e->Ascii(0x9003, shot.dateTime);
  e->Ascii(0x9004, shot.dateTime);
  e->Undefined(0x9101, Bytes{1, 2, 3, 0});
  e->SRational(0x9204, {{-1, 3}});
  e->Rational(0x9205, {{3, 1}});
  e->Short(0x9207, {5});
  e->Short(0x9209, {16});
  e->Rational(0x920A, {shot.focalLength});
  const Bytes probe = MakerNote(maker, shot)(0);
  e->Blob(0x927C, kUndefined, static_cast<std::uint32_t>(probe.size()), MakerNote(maker, shot));
  e->Ascii(0x9291, "42");
  e->Undefined(0xA000, "0100");
  e->Short(0xA001, {1});
  e->Long(0xA002, {static_cast<std::uint32_t>(shot.width)});
  e->Long(0xA003, {static_cast<std::uint32_t>(shot.height)});
  auto interop = std::make_shared<Ifd>();
  interop->Ascii(0x0001, "R98").Undefined(0x0002, "0100");
  e->Sub(0xA005, interop);
  e->Short(0xA217, {2});
  e->Undefined(0xA300, Bytes{3});
  e->Undefined(0xA301, Bytes{1});
  e->Short(0xA401, {0});
  e->Short(0xA402, {0});
  e->Short(0xA403, {0});
  if (shot.focal35 != 0) e->Short(0xA405, {shot.focal35});
  e->Short(0xA406, {0});
  if (!shot.lens.empty()) e->Ascii(0xA434, shot.lens);
  return e;
}

}  // namespace

Shot SampleShot(Maker maker, int width, int height) {
  Shot s;
  switch (maker) {
    case Maker::kCanon:
      s = {"Canon",
           "Canon EOS 5D Mark II",
           "2013:06:16 19:42:07",
           {1, 125},
           {8, 1},
           200,
           {50, 1},
           0,
           "EF50mm f/1.4 USM",
           true};
      break;
    case Maker::kNikon:
      s = {"NIKON CORPORATION", "NIKON D700", "2012:09:02 08:15:33",           {1, 250}, {56, 10}, 400,
           {350, 10},           35,           "AF-S Nikkor 24-70mm f/2.8G ED", true};
      break;
    case Maker::kOlympus:
      s = {"OLYMPUS OPTICAL CO.,LTD",
           "C5050Z",
           "2003:05:11 14:03:12",
           {1, 400},
           {40, 10},
           64,
           {71, 10},
           0,
           "",
           false};
      break;
    case Maker::kFujifilm:
      s = {"FUJIFILM", "X100S", "2014:10:04 17:27:45", {1, 60}, {20, 10}, 800, {230, 10}, 35, "", false};
      break;
    case Maker::kPentax:
      s = {"PENTAX Corporation",
           "PENTAX K-5",
           "2011:02:19 11:20:58",
           {1, 180},
           {95, 10},
           100,
           {180, 10},
           27,
           "",
           false};
      break;
    case Maker::kPanasonic:
      s = {"Panasonic", "DMC-GH2", "2012:07:22 21:04:30",           {1, 30}, {40, 10}, 1600,
           {140, 10},   28,        "LUMIX G VARIO 14-140/F4.0-5.8", true};
      break;
  }
  s.width = width;
  s.height = height;
  return s;
}

Bytes CameraExif(Maker maker, const Shot& shot, const Bytes& thumbnail) {
  auto ifd0 = std::make_shared<Ifd>();
  ifd0->Ascii(0x010F, shot.make);
  ifd0->Ascii(0x0110, shot.model);
  ifd0->Short(0x0112, {1});
  ifd0->Rational(0x011A, {{72, 1}});
  ifd0->Rational(0x011B, {{72, 1}});
  ifd0->Short(0x0128, {2});
  ifd0->Ascii(0x0131, "Kelmarin Beispielbilder 1.0");
  ifd0->Ascii(0x0132, shot.dateTime);
  if (maker == Maker::kCanon) ifd0->Ascii(0x013B, "Anna Berger");
  if (maker == Maker::kCanon) ifd0->Ascii(0x8298, "Anna Berger");
  ifd0->Short(0x0213, {2});
  ifd0->Sub(0x8769, ExifDirectory(maker, shot));
  if (shot.gps) ifd0->Sub(0x8825, GpsDirectory(shot));
  auto ifd1 = std::make_shared<Ifd>();
  ifd1->Short(0x0103, {6});
  ifd1->Rational(0x011A, {{72, 1}});
  ifd1->Rational(0x011B, {{72, 1}});
  ifd1->Short(0x0128, {2});
  ifd1->OffsetTo(0x0201, thumbnail);
  ifd1->Long(0x0202, {static_cast<std::uint32_t>(thumbnail.size())});
  ifd1->Short(0x0213, {2});
  ifd0->Next(ifd1);
  return WriteExifPayload(OrderOf(maker), *ifd0);
}

}  // namespace kelmarin::samples
