// ICC profiles: the APP2 segments of a JPEG joined or refused, the profile resource of PSD files
// cut or padded in every way, and the facts lcms2 reads from profiles it made itself. (Each
// container's profile as its own library writes it: tests/image/ColourProfileTest.cpp.)

#include <gtest/gtest.h>

#include "IccTestProfiles.h"
#include "TiffBuilder.h"
#include "extract/IccFacts.h"
#include "extract/IccProfile.h"

namespace kelmarin::test {
namespace {

using Block = std::vector<std::uint8_t>;

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
