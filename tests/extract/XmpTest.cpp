// The XMP reader: a table of packets as writers write RDF, hostile packets, Extended XMP, the
// containers that carry a packet, and sidecar names.
#include <brotli/encode.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TiffBuilder.h"
#include "extract/Containers.h"
#include "extract/ImageMetadata.h"
#include "extract/ImageTypes.h"
#include "extract/xmp/XmpSidecars.h"
#include "extract/xmp/XmpSources.h"
#include "extract/xmp/XmpVocabulary.h"

namespace kelmarin {
namespace {

const XmpVocabulary& Words() {
  static const XmpVocabulary words = XmpVocabulary::FromText(
      "namespace dc http://purl.org/dc/elements/1.1/\n"
      "namespace xmp http://ns.adobe.com/xap/1.0/\n"
      "namespace Iptc4xmpCore http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/\n"
      "namespace xmpNote http://ns.adobe.com/xmp/note/\n"
      "dc:subject = Stichwörter\n");
  return words;
}

std::string Packet(const std::string& body, const std::string& extraNamespaces = "") {
  return "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
         "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description rdf:about='' "
         "xmlns:dc='http://purl.org/dc/elements/1.1/' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
         "xmlns:Iptc4xmpCore='http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/' " +
         extraNamespaces + body + "</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end='w'?>";
}

// Path (with the namespaces of the top-level property and of the last part), value.
std::string Listed(const std::vector<XmpProperty>& properties, bool namespaces = false) {
  std::string out;
  for (const XmpProperty& p : properties)
    out += p.path + (namespaces ? "{" + p.ns + "|" + p.leafNs + "}" : "") + "=" + p.value + ";";
  return out;
}

TEST(XmpPacketTest, ReadsRdfAsXmpWritesIt) {
  struct Case {
    const char* what;
    std::string packet;
    const char* expected;
  };
  const Case cases[] = {
      {"attributes", Packet("xmp:Rating='3' dc:format='image/jpeg'>"), "xmp:Rating=3;dc:format=image/jpeg;"},
      {"elements", Packet("><xmp:Rating>3</xmp:Rating><dc:format>image/jpeg</dc:format>"),
       "xmp:Rating=3;dc:format=image/jpeg;"},
      {"bag and seq",
       Packet("><dc:subject><rdf:Bag><rdf:li>Berg</rdf:li><rdf:li>See</rdf:li></rdf:Bag></dc:subject>"
              "<dc:creator><rdf:Seq><rdf:li>Ann</rdf:li></rdf:Seq></dc:creator>"),
       "dc:subject[1]=Berg;dc:subject[2]=See;dc:creator[1]=Ann;"},
      {"alt by language", Packet(
           "><dc:title><rdf:Alt><rdf:li xml:lang='x-default'>Hi</rdf:li><rdf:li xml:lang='de'>Hallo</rdf:li>"
           "</rdf:Alt></dc:title>"),
       "dc:title[x-default]=Hi;dc:title[de]=Hallo;"},
      {"nested structure",
       Packet("><Iptc4xmpCore:CreatorContactInfo><rdf:Description Iptc4xmpCore:CiAdrCity='Bonn'>"
              "<Iptc4xmpCore:CiEmailWork>a@b.de</Iptc4xmpCore:CiEmailWork></rdf:Description>"
              "</Iptc4xmpCore:CreatorContactInfo>"),
       "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiAdrCity=Bonn;"
       "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiEmailWork=a@b.de;"},
      {"parseType Resource and resource", Packet("><Iptc4xmpCore:CreatorContactInfo "
              "rdf:parseType='Resource'><Iptc4xmpCore:CiTelWork>1</Iptc4xmpCore:CiTelWork>"
              "</Iptc4xmpCore:CreatorContactInfo><xmp:BaseURL rdf:resource='http://x.de/'/>"),
       "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiTelWork=1;xmp:BaseURL=http://x.de/;"},
      {"structures in an array",
       Packet("><dc:subject><rdf:Seq><rdf:li rdf:parseType='Resource'><dc:type>a</dc:type></rdf:li>"
              "<rdf:li><rdf:Description dc:type='b'/></rdf:li></rdf:Seq></dc:subject>"),
       "dc:subject[1]/dc:type=a;dc:subject[2]/dc:type=b;"},
      {"foreign prefix of a known namespace, unknown namespace kept as written",
       Packet("><foo:Rating>5</foo:Rating><q:Thing>x</q:Thing>",
              "xmlns:foo='http://ns.adobe.com/xap/1.0/' xmlns:q='http://example.org/q/' "),
       "xmp:Rating=5;q:Thing=x;"},
      {"x:xmptk and empty value", "<x:xmpmeta xmlns:x='adobe:ns:meta/' x:xmptk='T 1'><rdf:RDF "
       "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
       "xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:source/></rdf:Description></rdf:RDF></"
       "x:xmpmeta>\0\0 ",
       "x:xmptk=T 1;dc:source=;"},
  };
  for (const Case& c : cases) {
    const XmpPacket packet = ParseXmpPacket(c.packet, &Words());
    EXPECT_EQ(Listed(packet.properties), c.expected) << c.what;
    EXPECT_EQ(packet.problem, XmpProblem::None) << c.what;
  }
  const XmpPacket nested = ParseXmpPacket(cases[4].packet, &Words());
  EXPECT_EQ(nested.properties[1].ns, "http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/");
  EXPECT_EQ(nested.properties[1].leafName, "CiEmailWork");
}

TEST(XmpPacketTest, HostilePacketsAreCutWithTheirReason) {
  const std::string laughs =
      "<?xml version='1.0'?><!DOCTYPE lolz [<!ENTITY lol 'lol'><!ENTITY lol2 '&lol;&lol;&lol;&lol;'>]>"
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'>&lol2;</x:xmpmeta>";
  const std::string external = "<!DOCTYPE x SYSTEM 'file:///etc/passwd'><x>&ext;</x>";
  std::string opened;
  std::string closed;
  for (int i = 0; i < 300; ++i) {
    opened += "<rdf:Description><dc:a>";
    closed += "</dc:a></rdf:Description>";
  }
  const std::string deep = Packet("><dc:subject>" + opened + "x" + closed + "</dc:subject>");
  std::string properties;
  for (std::size_t i = 0; i <= kXmpMaxProperties; ++i) properties += "<dc:a>1</dc:a>";
  const std::string many = Packet(">" + properties);
  // What, the packet, its problem and the properties read before it.
  const std::tuple<const char*, std::string, XmpProblem, std::size_t> cases[] = {
      {"billion laughs", laughs, XmpProblem::Refused, 0},
      {"external entity", external, XmpProblem::Refused, 0},
      {"damaged after a property", Packet("><dc:a>1</dc:a><dc:b>2</dc:c>"), XmpProblem::Damaged, 1},
      {"too deep", deep, XmpProblem::TooDeep, 0}, {"too many", many, XmpProblem::TooMany, 100000},
      {"too large", Packet("><dc:a>1</dc:a><dc:b>" + std::string(kXmpMaxPacketBytes, 'x') + "</dc:b>"),
       XmpProblem::TooLarge, 1},
  };
  for (const auto& [what, text, problem, count] : cases) {
    const XmpPacket packet = ParseXmpPacket(text, &Words());
    EXPECT_EQ(packet.problem, problem) << what;
    EXPECT_EQ(packet.properties.size(), count) << what;
    for (const XmpProperty& p : packet.properties) EXPECT_EQ(p.value.find("lol"), std::string::npos) << what;
  }
  const XmpPacket damaged = ParseXmpPacket("<a>\n<b></c>", nullptr);
  EXPECT_EQ(damaged.line, 2u);
  EXPECT_EQ(damaged.column, 6u);
  // The padding before the closing instruction is skipped, but a fault is placed as in the file,
  // and anything after that instruction is still read.
  // Three line breaks among runs of spaces, long and short, as writers pad.
  const std::string padding = '\n' + std::string(100, ' ') + "\n\t" + std::string(37, ' ') + '\n' + "   ";
  const std::string node =
      "<rdf:Description xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' xmlns:d='u'";
  const std::tuple<std::string, XmpProblem, std::uint64_t> padded[] = {
      {node + "><d:b>1</d:b>" + padding + "<?xpacket end='w'?>", XmpProblem::Damaged, 4},
      {node + " d:c='2'/>" + padding + "<?xpacket end='w'?><b/>", XmpProblem::Damaged, 4},
      {node + " d:c='2'/>" + padding + "<?xpacket end='\x01'?>", XmpProblem::Damaged, 4},
      {node + " d:c='2'/>" + padding + "<?xpacket end='w'?>", XmpProblem::None, 0},
  };
  for (const auto& [text, problem, line] : padded) {
    const XmpPacket packet = ParseXmpPacket(text, nullptr);
    EXPECT_EQ(std::tuple(packet.problem, packet.line, packet.properties.size()), std::tuple(problem, line, 1u)) << text;
  }
}

JpegMarker App1(std::string_view signature, std::string_view payload) {
  JpegMarker marker{0xE1, {0xFF, 0xE1, 0, 0}};
  marker.bytes.insert(marker.bytes.end(), signature.begin(), signature.end());
  marker.bytes.insert(marker.bytes.end(), payload.begin(), payload.end());
  return marker;
}

const std::string kGuid = "0123456789ABCDEF0123456789ABCDEF";

JpegMarker ExtendedPart(const std::string& guid, std::uint32_t total, std::uint32_t offset,
                        std::string_view part) {
  std::string payload = guid;
  for (std::uint32_t n : {total, offset}) {
    for (int shift = 24; shift >= 0; shift -= 8) payload += static_cast<char>((n >> shift) & 0xFF);
  }
  payload += part;
  return App1(std::string_view("http://ns.adobe.com/xmp/extension/\0", 35), payload);
}

TEST(XmpSourcesTest, ExtendedXmpIsJoinedOnlyWhenWhole) {
  const std::string main =
      Packet("xmlns:xmpNote='http://ns.adobe.com/xmp/note/' xmpNote:HasExtendedXMP='" + kGuid + "'>");
  const std::string extended = Packet("><dc:a>big</dc:a>");
  const std::string first = extended.substr(0, 100);
  const std::string second = extended.substr(100);
  const auto total = static_cast<std::uint32_t>(extended.size());
  const JpegMarker mainMarker = App1(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), main);
  struct Case {
    const char* what;
    std::vector<JpegMarker> parts;
    std::string expected;
    std::size_t notes;
  };
  const Case cases[] = {
      {"in order", {ExtendedPart(kGuid, total, 0, first), ExtendedPart(kGuid, total, 100, second)},
       "dc:a=big;", 0},
      {"out of order", {ExtendedPart(kGuid, total, 100, second), ExtendedPart(kGuid, total, 0, first)},
       "dc:a=big;", 0},
      {"wrong GUID", {ExtendedPart(std::string(32, 'F'), total, 0, extended)}, "", 0},
      {"gap", {ExtendedPart(kGuid, total, 0, first), ExtendedPart(kGuid, total, 101, second.substr(1))}, "",
       1},
      {"wrong total", {ExtendedPart(kGuid, total + 1, 0, extended)}, "", 1},
  };
  for (const Case& c : cases) {
    MetadataSource source;
    source.markers.push_back(mainMarker);
    source.markers.insert(source.markers.end(), c.parts.begin(), c.parts.end());
    const std::optional<XmpSource> xmp = ReadEmbeddedXmp(source, &Words());
    ASSERT_TRUE(xmp.has_value()) << c.what;
    EXPECT_EQ(Listed(xmp->properties), "xmpNote:HasExtendedXMP=" + kGuid + ";" + c.expected) << c.what;
    EXPECT_EQ(xmp->notes.size(), c.notes) << c.what;
  }
}

using test::Bytes;

// A TIFF block whose directory 0 holds tag 700 with the packet, in either byte order; the packet
// ends the block.
std::vector<std::uint8_t> TiffWithXmp(const std::string& packet, bool big) {
  test::TiffBuilder tiff(big ? ByteOrder::BigEndian : ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(700, 7, static_cast<std::uint32_t>(packet.size()), 26)}));
  tiff.Patch(26, Bytes(packet));
  return tiff.Tiff();
}

std::vector<std::uint8_t> Chunk(std::string_view type, const std::string& payload, bool littleSize) {
  std::vector<std::uint8_t> out = Bytes(type);
  const auto n = static_cast<std::uint32_t>(payload.size() + (littleSize ? 0 : 8));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(n >> (8 * (littleSize ? i : 3 - i))));
  if (!littleSize) std::rotate(out.begin(), out.begin() + 4, out.end());
  out.insert(out.end(), payload.begin(), payload.end());
  if (littleSize && payload.size() % 2 == 1) out.push_back(0);
  return out;
}

std::string Be(std::uint32_t value, int size) {
  std::string out;
  for (int i = size - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// A Photoshop file whose resources are a thumbnail-like one with an odd name and odd data (both
// padded), the IPTC datasets and the packet.
std::vector<std::uint8_t> PsdWithXmp(const std::string& packet) {
  const std::string iptc = std::string("\x1C\x02\x5A", 3) + Be(4, 2) + "Bonn";
  const std::string resources = "8BIM" + Be(0x0409, 2) + std::string("\x02th\0", 4) + Be(3, 4) + "abc" +
                                std::string(1, '\0') + "8BIM" + Be(0x0404, 2) + std::string(2, '\0') +
                                Be(static_cast<std::uint32_t>(iptc.size()), 4) + iptc + std::string(1, '\0') +
                                "8BIM" + Be(0x0424, 2) + std::string(2, '\0') +
                                Be(static_cast<std::uint32_t>(packet.size()), 4) + packet;
  return Bytes("8BPS" + Be(1, 2) + std::string(20, '\0') + Be(0, 4) +
               Be(static_cast<std::uint32_t>(resources.size()), 4) + resources);
}

// A GIF with a global colour table, a graphic control and a looping extension, one image, then the
// packet as an XMP application extension with its trailer.
std::vector<std::uint8_t> GifWithXmp(const std::string& packet) {
  std::string trailer = "\x01";
  for (int i = 255; i >= 0; --i) trailer += static_cast<char>(i);
  trailer += '\0';
  return Bytes(std::string("GIF89a\x01\0\x01\0\x80\0\0", 13) + std::string(6, '\x7F') +
               std::string("\x21\xF9\x04\0\0\0\0\0", 8) + "\x21\xFF\x0BNETSCAPE2.0" +
               std::string("\x03\x01\0\0\0", 5) +
               std::string("\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0", 15) + "\x21\xFF\x0BXMP DataXMP" +
               packet + trailer + "\x3B");
}

std::string BrotliCompressed(const std::string& text) {
  std::string out(BrotliEncoderMaxCompressedSize(text.size()), '\0');
  std::size_t size = out.size();
  EXPECT_TRUE(BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_TEXT, text.size(),
                                    reinterpret_cast<const std::uint8_t*>(text.data()), &size,
                                    reinterpret_cast<std::uint8_t*>(out.data())));
  out.resize(size);
  return out;
}

// A JPEG XL file's compressed boxes: EXIF and XMP inflated, other inner boxes left alone, and a
// box that inflates far beyond its file cut at 1032 times the file's size.
TEST(XmpSourcesTest, JpegXlBrotliBoxesAreInflatedWithinTheirCap) {
  const std::string tiff("MM\0\x2A\0\0\0\x08\0\0\0\0\0\0", 14);
  const std::string huge = Packet("><dc:a>" + std::string(4u << 20, 'x') + "</dc:a>");
  const std::vector<std::uint8_t> jxl =
      test::Cat({Chunk("JXL ", std::string("\x0D\x0A\x87\x0A", 4), false),
                 Chunk("brob", "Exif" + BrotliCompressed(std::string(4, '\0') + tiff), false),
                 Chunk("brob", "jbrd" + BrotliCompressed(tiff), false), Chunk("brob", "xml " + BrotliCompressed(huge), false),
                 Chunk("brob", "xml " + std::string("\xFF\xFF\xFF"), false)});
  MetadataSource source;
  ASSERT_TRUE(ReadJxlContainer(jxl, nullptr, source));
  ASSERT_EQ(source.tiffBlocks.size(), 1u);
  EXPECT_EQ(std::string(source.tiffBlocks[0].bytes.begin(), source.tiffBlocks[0].bytes.end()), tiff);
  ASSERT_EQ(source.xmpPackets.size(), 2u);
  EXPECT_EQ(source.xmpPackets[0].size(), jxl.size() * 1032 + 4096);
  EXPECT_EQ(source.xmpPackets[0], huge.substr(0, source.xmpPackets[0].size()));
  EXPECT_TRUE(source.xmpPackets[1].empty());
}

TEST(XmpSourcesTest, EveryContainerHandsItsPacketOn) {
  const std::string packet = Packet("xmp:Rating='2'>");
  const std::vector<std::uint8_t> webp = test::Cat({Bytes(std::string_view("RIFF\0\0\0\0WEBP", 12)), Chunk("XMP ", packet, true)});
  const std::vector<std::uint8_t> jxlHead = test::Cat({Chunk("JXL ", std::string("\x0D\x0A\x87\x0A", 4), false),
                                                      Chunk("ftyp", std::string("jxl \0\0\0\0jxl ", 12), false)});
  const std::vector<std::uint8_t> jxl = test::Cat({jxlHead, Chunk("xml ", packet, false)});
  const std::vector<std::uint8_t> jxlBrob = test::Cat({jxlHead, Chunk("brob", "xml " + BrotliCompressed(packet), false)});
  const std::vector<std::uint8_t> bigTiff = TiffWithXmp(packet, true);
  const std::vector<std::uint8_t> littleTiff = TiffWithXmp(packet, false);
  const std::vector<std::uint8_t> psd = PsdWithXmp(packet);
  const std::string unclosed = packet.substr(0, packet.rfind("<?xpacket"));
  struct Case {
    const char* what;
    std::function<void(MetadataSource&)> fill;
  };
  const Case cases[] = {
      {"JPEG", [&](MetadataSource& s) {
         s.markers.push_back(App1(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), packet));
       }},
      {"PNG", [&](MetadataSource& s) { s.texts.push_back({"XML:com.adobe.xmp", packet}); }},
      {"TIFF big-endian", [&](MetadataSource& s) { ReadTiffContainer(bigTiff, nullptr, s); }},
      {"TIFF little-endian", [&](MetadataSource& s) { ReadTiffContainer(littleTiff, nullptr, s); }},
      {"WebP", [&](MetadataSource& s) { ReadWebpContainer(webp, nullptr, s); }},
      {"JPEG XL", [&](MetadataSource& s) { ReadJxlContainer(jxl, nullptr, s); }},
      {"JPEG XL, Brotli box", [&](MetadataSource& s) { ReadJxlContainer(jxlBrob, nullptr, s); }},
      {"PSD", [&](MetadataSource& s) { ReadPsdContainer(psd, s); }},
      {"GIF", [&](MetadataSource& s) { ReadGifContainer(GifWithXmp(packet), s); }},
      {"GIF without its packet end", [&](MetadataSource& s) { ReadGifContainer(GifWithXmp(unclosed), s); }},
  };
  for (const Case& c : cases) {
    MetadataSource source;
    c.fill(source);
    const std::optional<XmpSource> xmp = ReadEmbeddedXmp(source, &Words());
    ASSERT_TRUE(xmp.has_value()) << c.what;
    EXPECT_EQ(Listed(xmp->properties), "xmp:Rating=2;") << c.what;
    EXPECT_TRUE(xmp->notes.empty()) << c.what;
  }
  // The PSD's IPTC reaches the IPTC reader as a JPEG's would.
  auto psdSource = std::make_shared<MetadataSource>();
  ReadPsdContainer(psd, *psdSource);
  psdSource->container = true;
  const ImageMetadata image = ReadMetadata(kTypePsd, psdSource, nullptr);
  ASSERT_EQ(image.IptcCount(), 1);
  EXPECT_EQ(image.IptcPos(1)->inhalt, "Bonn");
  EXPECT_FALSE(ReadEmbeddedXmp(MetadataSource(), &Words()).has_value());
  std::vector<std::uint8_t> cut = littleTiff;
  cut.resize(cut.size() - 1);
  MetadataSource cutSource;
  ReadTiffContainer(cut, nullptr, cutSource);
  EXPECT_TRUE(cutSource.xmpPackets.empty());
}

TEST(XmpSidecarTest, NamesMatchWithoutRegardToCaseAndFolderIsReadOnce) {
  struct Case {
    const char* sidecar;
    const char* image;
    bool matches;
  };
  const Case cases[] = {
      {"IMG_1.xmp", "IMG_1.CR3", true}, {"img_1.XMP", "IMG_1.cr3", true},
      {"IMG_1.CR3.xmp", "IMG_1.CR3", true}, {"IMG_1.cr3.Xmp", "img_1.CR3", true},
      {"IMG_1.xmp", "IMG_10.CR3", false}, {"IMG_1.JPG.xmp", "IMG_1.CR3", false},
      {"IMG_1.xmp.bak", "IMG_1.CR3", false}, {".xmp", "x", false}, {"a.b.xmp", "a.b.c", true},
      {"a.xmp", "a.b.c", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsSidecarOf(c.sidecar, c.image), c.matches) << c.sidecar << " " << c.image;

  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelmarin-xmp-sidecars";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const char* name : {"IMG_1.CR3.xmp", "img_1.XMP", "other.xmp"}) {
    std::ofstream(folder / name) << Packet("xmp:Rating='1'>");
  }
  SidecarFinder finder;
  const std::vector<std::filesystem::path> found = finder.For(folder / "IMG_1.CR3");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].filename(), "img_1.XMP");
  EXPECT_EQ(found[1].filename(), "IMG_1.CR3.xmp");
  std::ofstream(folder / "IMG_2.xmp") << "x";
  EXPECT_TRUE(finder.For(folder / "IMG_2.JPG").empty());  // the folder was read before
  finder.Forget();
  EXPECT_EQ(finder.For(folder / "IMG_2.JPG").size(), 1u);
  const XmpSource sidecar = ReadSidecarFile(found[0], &Words());
  EXPECT_EQ(sidecar.origin, "img_1.XMP");
  EXPECT_EQ(Listed(sidecar.properties), "xmp:Rating=1;");
  EXPECT_EQ(ReadSidecarFile(folder / "missing.xmp", &Words()).notes.at(0).problem, XmpProblem::Unreadable);
  std::filesystem::remove_all(folder);
}

TEST(XmpVocabularyTest, DataFileNamesEveryNamespaceItLabels) {
  XmpVocabulary words;
  std::filesystem::path file(KELMARIN_DEF_FILE);
  ASSERT_TRUE(words.Load(file.replace_filename("xmp.def").string()));
  EXPECT_EQ(words.SkippedLines(), 0u);
  EXPECT_EQ(words.Prefix("http://ns.adobe.com/lightroom/1.0/"), "lr");
  EXPECT_EQ(words.Label("http://ns.adobe.com/xap/1.0/", "Rating"), "Bewertung");
  const XmpVocabulary broken = XmpVocabulary::FromText("zz:Name = x\nnamespace onlyprefix\nno label line\n");
  EXPECT_EQ(broken.SkippedLines(), 3u);
}

// A packet of one description: `outer` holds declarations on x:xmpmeta, `attributes` those of the
// description, `body` its content. One line, so that a column names a place in it.
std::string Described(const std::string& outer, const std::string& attributes, const std::string& body) {
  return "<x:xmpmeta xmlns:x='adobe:ns:meta/' " + outer +
         "><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description " + attributes +
         ">" + body + "</rdf:Description></rdf:RDF></x:xmpmeta>";
}

TEST(XmpPacketTest, PrefixesResolveToTheNamespacesInScope) {
  constexpr const char* kDc = "http://purl.org/dc/elements/1.1/";
  constexpr const char* kRdfNs = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
  const std::string dc = kDc;
  struct Case {
    const char* what;
    std::string packet;
    std::string expected;
    XmpProblem problem;
    const char* faultAt;  // a damaged packet: the text its line and column point to
  };
  const Case cases[] = {
      {"bound on the outermost element, used by an attribute and an element",
       Described("xmlns:a='urn:a'", "a:One='1'", "<a:Two>2</a:Two>"), "a:One{urn:a|urn:a}=1;a:Two{urn:a|urn:a}=2;",
       XmpProblem::None, nullptr},
      {"bound on the property itself, and after the attribute that uses it",
       Described("", "c:Four='4' xmlns:c='urn:c'", "<b:Three xmlns:b='urn:b'>3</b:Three>"),
       "c:Four{urn:c|urn:c}=4;b:Three{urn:b|urn:b}=3;", XmpProblem::None, nullptr},
      {"redefined inside a structure, the outer binding back after it", Described("xmlns:a='urn:a'", "",
                 "<a:S rdf:parseType='Resource' xmlns:a='" + dc + "'><a:F>f</a:F></a:S><a:After>x</a:After>"),
       "dc:S/dc:F{" + dc + "|" + dc + "}=f;a:After{urn:a|urn:a}=x;", XmpProblem::None, nullptr},
      {"redefined for a field only",
       Described("xmlns:a='urn:a'", "", "<a:S rdf:parseType='Resource'><a:F xmlns:a='urn:f'>f</a:F></a:S>"),
       "a:S/a:F{urn:a|urn:f}=f;", XmpProblem::None, nullptr},
      {"default namespace for elements, never for attributes; undeclared again",
       Described("", "xmlns='http://ns.adobe.com/xap/1.0/' Plain='p'",
                 "<Rating>4</Rating><Other xmlns=''>o</Other><Third xmlns='urn:d'>t</Third>"),
       "xmp:Rating{http://ns.adobe.com/xap/1.0/|http://ns.adobe.com/xap/1.0/}=4;Other{|}=o;Third{urn:d|urn:d}=t;",
       XmpProblem::None, nullptr},
      {"RDF under another prefix; xml:lang needs no declaration", Described("", "xmlns:dc='" + dc + "'",
                 std::string("<dc:title><r:Alt xmlns:r='") + kRdfNs +
                     "'><r:li xml:lang='de'>Titel</r:li></r:Alt></dc:title>"),
       "dc:title[de]{" + dc + "|" + dc + "}=Titel;", XmpProblem::None, nullptr},
      {"one namespace under two prefixes, no attribute twice",
       Described("xmlns:p='urn:s' xmlns:q='urn:s'", "p:A='1' q:B='2'", ""), "p:A{urn:s|urn:s}=1;p:B{urn:s|urn:s}=2;",
       XmpProblem::None, nullptr},
      {"unbound prefix of an element",
       Described("xmlns:a='urn:a'", "", "<a:One>1</a:One><zz:Two>2</zz:Two>"), "a:One{urn:a|urn:a}=1;",
       XmpProblem::Damaged, "<zz:Two>"},
      {"unbound prefix of an attribute",
       Described("", "zz:A='1'", ""), "", XmpProblem::Damaged, "<rdf:Description"},
      {"prefix used after its scope ended",
       Described("", "", "<a:S xmlns:a='urn:a'>s</a:S><a:T>t</a:T>"), "a:S{urn:a|urn:a}=s;", XmpProblem::Damaged,
       "<a:T>"},
      {"the same attribute under two prefixes",
       Described("xmlns:p='urn:s' xmlns:q='urn:s'", "", "<p:E>e</p:E><p:F p:A='1' q:A='2'/>"),
       "p:E{urn:s|urn:s}=e;", XmpProblem::Damaged, "<p:F"},
      {"a prefix declared empty", Described("", "", "<p:E xmlns:p=''>e</p:E>"), "", XmpProblem::Damaged, "<p:E"},
      {"the xmlns prefix as an element's", Described("", "", "<xmlns:E>e</xmlns:E>"), "", XmpProblem::Damaged,
       "<xmlns:E"},
  };
  for (const Case& c : cases) {
    const XmpPacket packet = ParseXmpPacket(c.packet, &Words());
    EXPECT_EQ(Listed(packet.properties, true), c.expected) << c.what;
    EXPECT_EQ(packet.problem, c.problem) << c.what;
    if (c.faultAt != nullptr) {
      EXPECT_EQ(packet.line, 1u) << c.what;
      EXPECT_EQ(packet.column, c.packet.find(c.faultAt) + 1) << c.what;
    }
  }
  // Names expat's namespace processing refuses where a plain parse would not: each packet is
  // damaged, with the properties before the fault kept.
  for (const char* fault : {"<a:b:c>x</a:b:c>", "<a:1b>x</a:1b>", "<:b>x</:b>", "<?a:b x?>", "<dc:E p:q:r='1'/>"}) {
    const XmpPacket packet =
        ParseXmpPacket(Described("xmlns:dc='" + dc + "'", "", std::string("<dc:Before>1</dc:Before>") + fault), &Words());
    EXPECT_EQ(packet.problem, XmpProblem::Damaged) << fault;
    EXPECT_EQ(Listed(packet.properties), "dc:Before=1;") << fault;
    EXPECT_EQ(packet.line, 1u) << fault;
    EXPECT_GT(packet.column, 1u) << fault;
  }
}

}  // namespace
}  // namespace kelmarin
