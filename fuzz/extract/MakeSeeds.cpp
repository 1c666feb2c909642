// Writes the seed corpus of the extraction fuzz targets: a typical camera block in both byte
// orders, one small block per makernote row, XMP, IPTC resources, comments and PNG texts; CRW heaps
// and MRW parts; HEIF files.
//   extract_fuzz_seeds <corpus folder>   (creates <folder>/fuzz_metadata, <folder>/fuzz_iptc,
//                                          <folder>/fuzz_raw_heaps and <folder>/fuzz_boxes)

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzInput.h"
#include "HostileFiles.h"
#include "MakernoteSamples.h"
#include "SampleExif.h"
#include "extract/ExifBlock.h"
#include "extract/NikonCipher.h"

namespace {

using kelmarin::ByteOrder;
using kelmarin::fuzz::AppendRecord;
using kelmarin::fuzz::Piece;
using namespace kelmarin::test;

void Write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The TIFF part of an APP1 marker (the target adds marker header and "Exif\0\0").
std::span<const std::uint8_t> TiffPart(const std::vector<std::uint8_t>& app1) {
  return std::span(app1).subspan(10);
}

std::vector<std::uint8_t> MakerBlock(const kelmarin::MakerRow& row, ByteOrder order) {
  TiffBuilder tiff(order);
  const std::string make(row.makeWord);
  const bool canon = row.maker == 4;
  const std::string model = canon               ? "Canon EOS 20D"
                            : row.models.empty() ? "Model 1"
                                                 : "COOLPIX " + std::string(row.models.front()) + "0";
  const std::uint32_t makeAt = tiff.AppendText(make + '\0');
  const std::uint32_t modelAt = tiff.AppendText(model + '\0');
  std::vector<std::uint8_t> prefix = Bytes(row.text);
  if (row.directory == kelmarin::MakerDirectory::LittleEndianLink)
    prefix = Cat({Bytes("FUJIFILM"), {12, 0, 0, 0}});
  prefix.resize(std::max<std::size_t>(prefix.size(), static_cast<std::size_t>(row.directoryOffset)), 0);
  if (row.order == kelmarin::MakerOrder::OwnHeader) {
    // The makernote's own byte order, the opposite of the block's.
    const auto at = static_cast<std::size_t>(row.orderOffset);
    prefix.resize(std::max(prefix.size(), at + 2), 0);
    prefix[at] = prefix[at + 1] = order == ByteOrder::BigEndian ? 'I' : 'M';
    tiff.SetOrder(order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
  }
  const std::uint32_t note = tiff.Append(prefix);
  if (row.order == kelmarin::MakerOrder::LittleEndianRest) tiff.SetOrder(ByteOrder::LittleEndian);
  const std::uint32_t base = row.base == kelmarin::MakerBase::Makernote ? note + row.baseOffset : 0;
  std::vector<TiffBuilder::Entry> entries = {tiff.Short(0x0001, 1), tiff.Ascii(0x0002, "Makernote text"),
                                             tiff.Long(0x0003, 0)};
  if (!row.subdirectories.empty()) {
    // A sub-directory behind the first pointer tag, as an offset of type IFD (13).
    const std::uint32_t inner = tiff.AddDirectory({tiff.Short(0x0100, 7), tiff.Short(0x0101, 9)});
    entries.push_back(tiff.At(static_cast<std::uint16_t>(row.subdirectories.front()), 13, 1, inner - base));
  }
  if (canon) {
    // Custom functions of both forms: a length word and function words; a group of two records.
    const auto words = Cat({tiff.U16(8), tiff.U16(0x0101), tiff.U16(0x0501), tiff.U16(0x1004)});
    entries.push_back(tiff.At(0x000F, 3, 4, tiff.Append(words)));
    std::vector<std::uint8_t> groups = Cat({tiff.U16(48), tiff.U16(0), tiff.U32(1)});
    for (std::uint32_t word : {1u, 36u, 2u, 0x0101u, 1u, 0u, 0x010Cu, 2u, 3u, 5u})
      groups = Cat({groups, tiff.U32(word)});
    entries.push_back(tiff.At(0x0099, 4, 12, tiff.Append(groups)));
  }
  tiff.AddDirectory(entries);
  tiff.SetOrder(order);
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x010F, 2, static_cast<std::uint32_t>(make.size() + 1), makeAt),
       tiff.At(0x0110, 2, static_cast<std::uint32_t>(model.size() + 1), modelAt), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

std::vector<std::uint8_t> IptcData() {
  return IptcResource(
      Cat({Dataset(0, "\x00\x04"), Dataset(25, "Baum"), Dataset(25, "Wald"), Dataset(120, "Titel")}), "IPTC");
}

void MetadataSeeds(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const char* name = order == ByteOrder::BigEndian ? "MM" : "II";
    std::vector<std::uint8_t> seed;
    AppendRecord(seed, Piece::ExifPayload, TiffPart(SampleCameraApp1(order)));
    const auto iptc = IptcData();
    AppendRecord(seed, Piece::IptcPayload, iptc);
    AppendRecord(seed, Piece::Comment, Bytes("Kommentar"));
    AppendRecord(seed, Piece::Comment, {});
    Write(folder / (std::string("camera_") + name), seed);
    int index = 0;
    for (const kelmarin::MakerRow& row : kelmarin::MakerTable()) {
      std::vector<std::uint8_t> one;
      AppendRecord(one, Piece::App1Raw, MakerBlock(row, order));
      Write(folder / ("maker" + std::to_string(++index) + "_" + std::string(row.makeWord) + "_" + name), one);
    }
  }
  // Nikon's binary blocks (PictureControl, ShotInfo and ColorBalance enciphered with the serial
  // number and shutter count beside them), JVC's text and Minolta's DiMAGE EX form.
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    std::string pictureControl(58, '\x80'), colorBalance(300, '\x11');
    pictureControl.replace(0, 12, "0100STANDARD");
    colorBalance.replace(0, 4, "0215");
    std::vector<std::uint8_t> one;
    AppendRecord(one, Piece::App1Raw,
                 NikonBlocksApp1(order, {{0x0023, pictureControl}, {0x0091, "0210" "1.10B"}, {0x0097, colorBalance}},
                                 "4012345", 395));
    Write(folder / (std::string("nikon_blocks_") + (order == ByteOrder::BigEndian ? "MM" : "II")), one);
    // The flash, AF, ISO, face and retouch blocks, and the D300's ShotInfo with its custom settings.
    std::string flash(46, '\0'), afInfo2(30, '\x01'), shotInfo(0x33A, '\x5A');
    flash.replace(0, 4, "0104");
    afInfo2.replace(0, 4, "0100");
    shotInfo.replace(0, 9, "0210" "1.10B");
    const auto enciphered = kelmarin::NikonDecipher(
        std::vector<std::uint8_t>(shotInfo.begin(), shotInfo.end()), {4012345, 395});
    shotInfo.assign(enciphered.begin(), enciphered.end());
    std::vector<std::uint8_t> more;
    AppendRecord(more, Piece::App1Raw,
                 NikonBlocksApp1(order,
                                 {{0x00A8, flash}, {0x00B7, afInfo2}, {0x0025, std::string(14, '\x54')},
                                  {0x0021, std::string(8, '\x01')}, {0x00BB, "0200\x01\xFF\0\0"}, {0x0088, std::string("\x01\x02\0\x01", 4)},
                                  {0x0091, shotInfo}},
                                 "4012345", 395));
    Write(folder / (std::string("nikon_more_blocks_") + (order == ByteOrder::BigEndian ? "MM" : "II")), more);
  }
  // Canon's camera information of the EOS 450D (its model id) and the colour data's fourth form.
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    std::vector<std::uint8_t> info(0x933 + 64, 0x11), colors(2 * 1227, 0x22);
    info[0x263] = 0xEF;
    colors[0] = order == ByteOrder::BigEndian ? 0 : 5;
    colors[1] = order == ByteOrder::BigEndian ? 5 : 0;
    std::vector<std::uint8_t> one;
    AppendRecord(one, Piece::App1Raw,
                 CanonApp1(order, "Canon EOS 450D", 0x80000176, {{0x000D, 7, info}, {0x4001, 3, colors}}));
    Write(folder / (std::string("canon_blocks_") + (order == ByteOrder::BigEndian ? "MM" : "II")), one);
  }
  std::vector<std::uint8_t> jvc, minolta;
  AppendRecord(jvc, Piece::App1Raw, PlainMakernoteApp1(ByteOrder::LittleEndian, "JVC", "VER:0100QTY:FINE    "));
  Write(folder / "jvc_text", jvc);
  std::string ex = std::string("\x01\0\0\0\0\0\x04\0", 8) + "Minolta";
  ex.resize(0x74, '\0');
  AppendRecord(minolta, Piece::App1Raw, PlainMakernoteApp1(ByteOrder::BigEndian, "Minolta Co., Ltd.", ex));
  Write(folder / "minolta_dimage_ex", minolta);
  std::vector<std::uint8_t> xmp;
  AppendRecord(xmp, Piece::App1Raw, Bytes("\xFF\xE1\x00\x30http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>"));
  AppendRecord(xmp, Piece::OtherMarker, Bytes("\xE2\x00\x10ICC_PROFILE"));
  Write(folder / "xmp", xmp);
  std::vector<std::uint8_t> png;
  AppendRecord(png, Piece::PngText, Bytes(std::string_view("Title\0Bild", 10)));
  AppendRecord(png, Piece::PngText, Bytes(std::string_view("TITLE\0Neu", 9)));
  AppendRecord(png, Piece::PngText, Bytes("Comment"));
  Write(folder / "png_texts", png);
}

void IptcSeeds(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  Write(folder / "keywords", IptcData());
  Write(folder / "two_resources",
        Cat({IptcResource(Dataset(5, "eins")), IptcResource(Dataset(5, "zwei"), "abc")}));
  Write(folder / "extended_length",
        IptcResource(Cat({Dataset(5, "x"), {0x1C, 2, 120, 0x80, 0x02, 0x00, 0x01, 'y'}})));
  Write(folder / "large", IptcResource(Dataset(120, std::string(40000, 't'))));
}

// A CRW heap: the records' data, their table (tag, size, offset), the table's offset.
std::vector<std::uint8_t> Heap(
    const TiffBuilder& o, const std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>>& records) {
  std::vector<std::uint8_t> heap, table = o.U16(static_cast<std::uint16_t>(records.size()));
  for (const auto& [tag, data] : records) {
    table = Cat({table, o.U16(tag), o.U32(static_cast<std::uint32_t>(data.size())),
                 o.U32(static_cast<std::uint32_t>(heap.size()))});
    heap = Cat({heap, data});
  }
  return Cat({heap, table, o.U32(static_cast<std::uint32_t>(heap.size()))});
}

// The first byte picks the byte order of the heap (0 little-, 1 big-endian); for MRW parts it is
// not looked at.
void RawHeapSeeds(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const TiffBuilder o(order);
    const auto shorts = [&](std::size_t count) {
      std::vector<std::uint8_t> out;
      for (std::size_t i = 0; i < count; ++i) out = Cat({out, o.U16(static_cast<std::uint16_t>(i))});
      return out;
    };
    const auto camera = Heap(o, {{0x080A, Bytes(std::string_view("Canon\0Canon EOS D30\0", 21))},
                                 {0x3004, Heap(o, {{0x080B, Bytes("Firmware 1.0")}})}});
    const auto image =
        Heap(o, {{0x1810, Cat({o.U32(2160), o.U32(1440), o.U32(0), o.U32(90)})},
                 {0x180E, Cat({o.U32(1000000000), o.U32(3600), o.U32(0x80000000)})},
                 {0x2807, camera},
                 {0x300B, Heap(o, {{0x102D, shorts(46)}, {0x102A, shorts(29)}, {0x1029, shorts(4)}})}});
    const auto heap = Heap(o, {{0x2008, {0xFF, 0xD8, 0xFF, 0xD9}}, {0x300A, image}});
    const std::uint8_t first = order == ByteOrder::BigEndian ? 1 : 0;
    Write(folder / (std::string("crw_") + (first == 1 ? "MM" : "II")), Cat({{first}, heap}));
  }
  const std::vector<std::uint8_t> app1 = SampleCameraApp1(ByteOrder::BigEndian);
  const auto tiff = TiffPart(app1);
  const TiffBuilder be(ByteOrder::BigEndian);
  Write(folder / "mrw", Cat({{0},
                             Bytes(std::string_view("\0PRD", 4)),
                             be.U32(4),
                             Bytes("abcd"),
                             Bytes(std::string_view("\0TTW", 4)),
                             be.U32(static_cast<std::uint32_t>(tiff.size())),
                             std::vector<std::uint8_t>(tiff.begin(), tiff.end())}));
  // An X3F file without its "FOVb" (the target puts it back), after the first byte.
  const std::vector<std::uint8_t> x3f =
      X3fFile(0x00020003, {{"CAMMANUF", "SIGMA"}, {"CAMMODEL", "SIGMA DP1"}, {"TIME", "1199145600"}});
  Write(folder / "x3f", Cat({{0}, std::vector<std::uint8_t>(x3f.begin() + 4, x3f.end())}));
}

// Whole HEIF files: EXIF in one extent and in two, and the item location bomb (fields of no
// width, 65,535 extents an item).
void BoxSeeds(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const auto app1 = SampleCameraApp1(ByteOrder::BigEndian);
  const std::vector<std::uint8_t> exif = Cat({{0, 0, 0, 0}, {app1.begin() + 10, app1.end()}});
  const auto size = static_cast<std::uint32_t>(exif.size());
  const auto picture = HeifLocation(1, 0, {{kHeifPayloadAt, 1}});
  Write(folder / "heif_exif",
        HeifFile(exif, 1, 0x44, 2, Cat({picture, HeifLocation(2, 0, {{kHeifPayloadAt, size}})})));
  Write(folder / "heif_exif_split",
        HeifFile(exif, 1, 0x44, 2,
                 Cat({picture, HeifLocation(2, 0, {{kHeifPayloadAt, 8}, {kHeifPayloadAt + 8, size - 8}})})));
  Write(folder / "heif_iloc_bomb", HeifIlocBomb(4, 40));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: extract_fuzz_seeds <corpus folder>\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  MetadataSeeds(folder / "fuzz_metadata");
  IptcSeeds(folder / "fuzz_iptc");
  RawHeapSeeds(folder / "fuzz_raw_heaps");
  BoxSeeds(folder / "fuzz_boxes");
  return 0;
}
