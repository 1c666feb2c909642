// Container readers: the JPEG segment walker (lengths, fill bytes, standalone markers and every way a
// header ends); files that claim more than they hold: the HEIF item locations, whose extents may
// list the same bytes over and over in no bytes of their own; ICC profiles: the APP2 segments of a
// JPEG joined or refused, the profile resource of PSD files cut or padded in every way, and the
// facts lcms2 reads from profiles it made itself. (Each container's profile as its own library
// writes it: tests/image/ColourProfileTest.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostileFiles.h"
#include "IccTestProfiles.h"
#include "extract/Containers.h"
#include "extract/IccFacts.h"
#include "extract/IccProfile.h"
#include "extract/JpegSegments.h"

namespace kelmarin::test {
namespace {

using Block = std::vector<std::uint8_t>;

// The segments walked, as "code:size" in hex and decimal, then "|" and whether a further call
// still finds nothing.
std::string Walk(const Block& jpeg) {
  JpegSegmentWalker walker(jpeg);
  std::string text;
  for (JpegSegment segment; walker.Next(segment);) {
    char part[16];
    std::snprintf(part, sizeof part, "%02X:%zu ", segment.code, segment.bytes.size());
    text += part;
  }
  JpegSegment after;
  return text + (walker.Next(after) ? "|again" : "|");
}

TEST(JpegSegments, WalksTheHeaderUpToItsEnd) {
  const struct {
    const char* name;
    Block jpeg;
    std::string walked;
  } cases[] = {
      {"app-comment-scan", {0xFF, 0xD8, 0xFF, 0xE1, 0, 4, 'a', 'b', 0xFF, 0xFE, 0, 3, 'c', 0xFF, 0xDA, 0, 2},
       "E1:6 FE:5 |"},
      {"fill-bytes", {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9}, "E0:4 |"},
      {"standalone", {0xFF, 0xD8, 0xFF, 0xD0, 0xFF, 0x01, 0xFF, 0xD7, 0xFF, 0xE2, 0, 2}, "D0:2 01:2 D7:2 E2:4 |"},
      {"image-end", {0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xE0, 0, 2}, "|"},
      {"length-below-two", {0xFF, 0xD8, 0xFF, 0xE0, 0, 1, 0xFF, 0xE1, 0, 2}, "|"},
      {"length-beyond", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xE1, 0, 5, 'x', 'y'}, "E0:4 |"},
      {"exactly-to-the-end", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xE1, 0, 4, 'x', 'y'}, "E0:4 E1:6 |"},
      {"no-marker-byte", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0x00, 0xFF, 0xE1, 0, 2}, "E0:4 |"},
      {"three-bytes-left", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD0, 0}, "E0:4 |"},
      {"only-the-start", {0xFF, 0xD8}, "|"},
  };
  for (const auto& c : cases) EXPECT_EQ(Walk(c.jpeg), c.walked) << c.name;

  // A header of nothing but restart markers ends after kMaxSegments of them.
  Block many = {0xFF, 0xD8};
  for (int i = 0; i < kMaxSegments + 10; ++i) many.insert(many.end(), {0xFF, 0xD0});
  many.insert(many.end(), {0xFF, 0xE0, 0, 2});
  JpegSegmentWalker walker(many);
  int count = 0;
  for (JpegSegment segment; walker.Next(segment);) ++count;
  EXPECT_EQ(count, kMaxSegments);
}

// The container reader keeps the APPn segments whole and the comments' payloads.
TEST(JpegSegments, ContainerReaderKeepsMarkersAndComments) {
  const Block jpeg = {0xFF, 0xD8, 0xFF, 0xDB, 0, 3, 9, 0xFF, 0xE1, 0, 4, 'a', 'b', 0xFF, 0xFE, 0, 4, 'h', 'i'};
  MetadataSource source;
  ASSERT_TRUE(ReadJpegSegments(jpeg, source));
  ASSERT_EQ(source.markers.size(), 1U);
  EXPECT_EQ(source.markers[0].code, kJpegApp1);
  EXPECT_EQ(source.markers[0].bytes, Block(jpeg.begin() + 7, jpeg.begin() + 13));
  EXPECT_EQ(source.comments, std::vector<std::string>{"hi"});
  EXPECT_FALSE(ReadJpegSegments(Block(jpeg.begin() + 1, jpeg.end()), source));
  EXPECT_EQ(JpegSegmentHead(kJpegApp13, 0x1234), (std::array<std::uint8_t, 4>{0xFF, 0xED, 0x12, 0x34}));
}


Block ExifPayload() {
  test::TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  return Cat({test::TiffBuilder(ByteOrder::BigEndian).U32(0), tiff.Tiff()});
}

struct LocationCase {
  const char* name;
  std::uint8_t fieldSizes;
  Block exifLocation;  // of item 2; item 1 is located at the payload
  bool read;
  std::size_t blocks;
};

TEST(HeifItemLocations, ExtentsAreBoundedByTheFile) {
  const Block exif = ExifPayload();
  const auto size = static_cast<std::uint32_t>(exif.size());
  const Block picture = HeifLocation(1, 0, {{kHeifPayloadAt, 1}});
  const LocationCase cases[] = {
      {"one extent", 0x44, HeifLocation(2, 0, {{kHeifPayloadAt, size}}), true, 1},
      {"two extents", 0x44, HeifLocation(2, 0, {{kHeifPayloadAt, 5}, {kHeifPayloadAt + 5, size - 5}}), true,
       1},
      {"up to the end", 0x44, HeifLocation(2, 0, {{kHeifPayloadAt, 0}}), true, 1},
      {"the whole file twice", 0x44, HeifLocation(2, 0, {{0, 0}, {0, 0}}), true, 0},
      {"past the end", 0x44, HeifLocation(2, 0, {{kHeifPayloadAt, 1 << 20}}), true, 0},
      {"an unknown construction", 0x44, HeifLocation(2, 2, {{kHeifPayloadAt, size}}), true, 0},
      {"fields of no width", 0x00, {0, 2, 0, 0, 0, 0, 0xFF, 0xFF}, true, 0},
      {"more extents than the box holds", 0x44, {0, 2, 0, 0, 0, 0, 0, 3, 0, 0, 0, 32, 0, 0, 0, 4}, false, 0},
      {"fields of three bytes", 0x33, {0, 2, 0, 0, 0, 0, 0, 1, 0, 0, 32, 0, 0, 4}, false, 0},
  };
  for (const LocationCase& c : cases) {
    const Block first = c.fieldSizes == 0x44 ? picture : Block{0, 1, 0, 0, 0, 0, 0, 0};
    const Block file = test::HeifFile(exif, 1, c.fieldSizes, 2, Cat({first, c.exifLocation}));
    MetadataSource source;
    EXPECT_EQ(ReadHeifContainer(file, source), c.read) << c.name;
    ASSERT_EQ(source.tiffBlocks.size(), c.blocks) << c.name;
    for (const TiffBlock& block : source.tiffBlocks) {
      ASSERT_GE(block.bytes.size(), size - 4) << c.name;
      EXPECT_TRUE(std::equal(exif.begin() + 4, exif.end(), block.bytes.begin())) << c.name;
    }
  }
}

TEST(HeifItemLocations, BombOfEmptyExtentsGivesNothing) {
  // 16 EXIF items and 2,200 items of 65,535 extents each: every extent is the whole file.
  const Block file = test::HeifIlocBomb(16, 2200);
  EXPECT_LT(file.size(), std::size_t{20'000});
  MetadataSource source;
  EXPECT_TRUE(ReadHeifContainer(file, source));
  EXPECT_TRUE(source.tiffBlocks.empty());
}

TEST(HeifItemLocations, ExifItemsTogetherStayWithinFourMebibytes) {
  // Sixteen EXIF items over the same 512 KiB: eight of them fill the room.
  Block exif = ExifPayload();
  exif.resize(std::size_t{512} << 10);
  Block locations = HeifLocation(1, 0, {{kHeifPayloadAt, 1}});
  for (std::uint16_t id = 2; id < 18; ++id)
    locations =
        Cat({locations, HeifLocation(id, 0, {{kHeifPayloadAt, static_cast<std::uint32_t>(exif.size())}})});
  MetadataSource source;
  EXPECT_TRUE(ReadHeifContainer(test::HeifFile(exif, 16, 0x44, 17, locations), source));
  EXPECT_EQ(source.tiffBlocks.size(), 8u);
}

JpegMarker Marker(std::uint8_t code, const Block& payload) {
  Block bytes = {0xFF, code, static_cast<std::uint8_t>((payload.size() + 2) >> 8),
                 static_cast<std::uint8_t>(payload.size() + 2)};
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return {code, bytes};
}

JpegMarker IccSegment(std::uint8_t number, std::uint8_t count, std::string_view part) {
  return Marker(0xE2, Cat({Bytes(std::string_view("ICC_PROFILE\0", 12)), {number, count}, Bytes(part)}));
}

TEST(IccSegments, JoinedByTheirNumbersOrRefused) {
  const JpegMarker flashPix = Marker(0xE2, Bytes("FPXR\0 other"));
  struct Case {
    const char* name;
    std::vector<JpegMarker> markers;
    std::string joined;
    IccDamage damage;
    int parts;
  };
  const Case cases[] = {
      {"none", {flashPix}, "", IccDamage::None, 0},
      {"one", {IccSegment(1, 1, "whole")}, "whole", IccDamage::None, 1},
      {"in order", {IccSegment(1, 3, "ab"), flashPix, IccSegment(2, 3, "cd"), IccSegment(3, 3, "e")}, "abcde",
       IccDamage::None,
       3},
      {"out of order", {IccSegment(3, 3, "e"), IccSegment(1, 3, "ab"), IccSegment(2, 3, "cd")}, "abcde",
       IccDamage::None,
       3},
      {"gap", {IccSegment(1, 3, "ab"), IccSegment(3, 3, "e")}, "", IccDamage::MissingPart, 2},
      {"last missing", {IccSegment(1, 2, "ab")}, "", IccDamage::MissingPart, 1},
      {"counts differ", {IccSegment(1, 2, "ab"), IccSegment(2, 3, "cd")}, "", IccDamage::Inconsistent, 2},
      {"number twice", {IccSegment(1, 2, "ab"), IccSegment(1, 2, "ab"), IccSegment(2, 2, "c")}, "",
       IccDamage::Inconsistent,
       3},
      {"number zero", {IccSegment(0, 1, "ab")}, "", IccDamage::Inconsistent, 1},
      {"number above count", {IccSegment(1, 1, "ab"), IccSegment(2, 1, "cd")}, "", IccDamage::Inconsistent,
       2},
      {"count zero", {IccSegment(1, 0, "ab")}, "", IccDamage::Inconsistent, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EmbeddedIcc icc = JoinIccSegments(c.markers);
    EXPECT_EQ(std::string(icc.bytes.begin(), icc.bytes.end()), c.joined);
    EXPECT_EQ(icc.damage, c.damage);
    EXPECT_EQ(icc.parts, c.parts);
  }
  // A head cut short is not a segment; a container's whole profile comes before any segments.
  MetadataSource source;
  source.markers = {Marker(0xE2, Bytes("ICC_PROFILE")), IccSegment(1, 1, "app2")};
  EXPECT_EQ(EmbeddedIccProfile(source).bytes, Bytes("app2"));
  source.icc = Bytes("whole");
  EXPECT_EQ(EmbeddedIccProfile(source).bytes, Bytes("whole"));
}

Block Be(std::uint32_t value, int size) {
  Block out;
  // Wider than four bytes: zeros in front of the value.
  for (int i = size - 1; i >= 0; --i) out.push_back(i < 4 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
  return out;
}

Block PsdResource(std::uint16_t id, std::string_view name, const Block& data) {
  Block out = Cat({Bytes("8BIM"), Be(id, 2), {static_cast<std::uint8_t>(name.size())}, Bytes(name)});
  if ((name.size() + 1) % 2 != 0) out.push_back(0);
  out = Cat({out, Be(static_cast<std::uint32_t>(data.size()), 4), data});
  if (data.size() % 2 != 0) out.push_back(0);
  return out;
}

Block Psd(const Block& resources, std::uint32_t claimed = 0) {
  Block header =
      Cat({Bytes("8BPS"), Be(1, 2), Block(6, 0), Be(3, 2), Be(1, 4), Be(1, 4), Be(8, 2), Be(3, 2)});
  const std::uint32_t length = claimed != 0 ? claimed : static_cast<std::uint32_t>(resources.size());
  return Cat({header, Be(2, 4), {0, 0}, Be(length, 4), resources, Be(0, 4), Be(0, 4)});
}

TEST(IccContainers, PsdResourceFoundOrRefused) {
  // Odd lengths on the way: names and data are padded to even lengths.
  const Block resources =
      Cat({PsdResource(0x03ED, "ab", Bytes("odd")), PsdResource(0x040F, "", Bytes("psd icc"))});
  const Block psd = Psd(resources);
  const std::span<const std::uint8_t> found = PsdIccProfile(psd);
  EXPECT_EQ(Block(found.begin(), found.end()), Bytes("psd icc"));
  EXPECT_TRUE(PsdIccProfile(Psd(PsdResource(0x0404, "", Bytes("iptc")))).empty());
  EXPECT_TRUE(PsdIccProfile(Psd(resources, 4000)).empty());  // section longer than the file
  Block cut = Psd(resources);
  cut.resize(cut.size() - 20);
  EXPECT_TRUE(PsdIccProfile(cut).empty());
  EXPECT_TRUE(PsdIccProfile(Bytes("8BPX and more than thirty-four bytes of something")).empty());
}

TEST(IccFacts, HeaderAndTextsOfProfilesLcmsMade) {
  // Version 4 texts are Unicode (version 2 ones ASCII); the header fields are checked through the
  // listing's rows (tests/present/SectionsTest.cpp).
  const std::optional<IccFacts> v4 = ReadIccFacts(WideGamutProfile(L"Prüfung – Ω", 4.3));
  ASSERT_TRUE(v4);
  EXPECT_EQ(v4->description, "Prüfung – Ω");
  EXPECT_EQ(v4->copyright, "Kein Copyright");
  EXPECT_TRUE(v4->date);
  EXPECT_EQ(v4->version >> 20, 0x43u);

  // Bytes that are no profile, or a profile cut short, give nothing.
  EXPECT_FALSE(ReadIccFacts(Block(200, 0x41)));
  const Block v2 = WideGamutProfile(L"Weiter Farbraum");
  EXPECT_FALSE(ReadIccFacts(Block(v2.begin(), v2.begin() + 100)));

  EXPECT_EQ(SignatureText(0x47524159), "GRAY");
  EXPECT_EQ(SignatureText(0x52474220), "RGB");
  EXPECT_EQ(SignatureText(0x01020304), "????");
  EXPECT_EQ(SignatureText(0), "");
}

// A profile of a header, one 'desc' tag of the given bytes at offset 144 and its table entry,
// whose size may claim more than there is.
Block DescriptionProfile(const Block& tag, std::uint32_t claimed = 0) {
  Block header(128, 0);
  header[36] = 'a', header[37] = 'c', header[38] = 's', header[39] = 'p';
  const std::uint32_t size = claimed != 0 ? claimed : static_cast<std::uint32_t>(tag.size());
  return Cat({header, Be(1, 4), Bytes("desc"), Be(144, 4), Be(size, 4), tag});
}

Block Utf16(std::u16string_view text) {
  Block out;
  for (char16_t unit : text) out = Cat({out, Be(unit, 2)});
  return out;
}

TEST(IccFacts, DescriptionTagsOfEachTypeAndCutShort) {
  // mluc: the en-US record wins over a German one before it; a surrogate pair is one character.
  const Block de = Utf16(u"Beschreibung"), en = Utf16(u"Notes \U0001D11E");
  const auto record = [](std::string_view language, const Block& text, std::uint32_t offset) {
    return Cat({Bytes(language), Be(static_cast<std::uint32_t>(text.size()), 4), Be(offset, 4)});
  };
  const Block mluc = Cat({Bytes("mluc"), Be(0, 4), Be(2, 4), Be(12, 4), record("deDE", de, 40),
                          record("enUS", en, 40 + static_cast<std::uint32_t>(de.size())), de, en});
  const Block desc = Cat({Bytes("desc"), Be(0, 4), Be(6, 4), Bytes(std::string_view("Alpha\0", 6))});
  struct Case {
    const char* name;
    Block profile;
    std::string description;
  };
  const Case cases[] = {
      {"mluc", DescriptionProfile(mluc), "Notes \U0001D11E"}, {"desc", DescriptionProfile(desc), "Alpha"},
      {"text", DescriptionProfile(Cat({Bytes("text"), Be(0, 4), Bytes("Beta")})), "Beta"},
      {"desc count beyond the tag",
       DescriptionProfile(Cat({Bytes("desc"), Be(0, 4), Be(99, 4), Bytes("ab")})), ""},
      {"tag beyond the profile", DescriptionProfile(desc, 400), ""},
      {"other type", DescriptionProfile(Cat({Bytes("XYZ "), Be(0, 4), Be(0, 12)})), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<IccFacts> facts = ReadIccFacts(c.profile);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->description, c.description);
    EXPECT_FALSE(facts->date);  // all zeros
  }
}

}  // namespace
}  // namespace kelmarin::test
