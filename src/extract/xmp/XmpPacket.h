#pragma once
// One XMP packet parsed into its properties, as XMP writes RDF: the attributes and elements of
// rdf:Description, arrays (rdf:Bag and rdf:Seq items "[1]", "[2]" ..., rdf:Alt items by xml:lang,
// "[x-default]"), nested structures (path parts joined by '/'), rdf:resource and
// rdf:parseType="Resource". Parsed with expat, hardened: a DOCTYPE or entity declaration refuses the
// packet (nothing is expanded or fetched), and size, nesting and property count are bounded.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelmarin {

class XmpVocabulary;

struct XmpProperty {
  std::string ns;        // namespace URI of the top-level property
  std::string path;      // e.g. "dc:subject[2]" or "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiEmailWork"
  std::string leafNs;    // namespace URI of the last named part (the one the label belongs to)
  std::string leafName;  // local name of that part
  std::string value;     // UTF-8, as written
};

// What stopped a packet before its end; the properties read up to there are kept.
enum class XmpProblem : std::uint8_t {
  None,
  Refused,     // a DOCTYPE or entity declaration
  Damaged,     // not well-formed XML (line and column say where), or Extended XMP with gaps
  TooLarge,    // more than kXmpMaxPacketBytes; only the first bytes were read
  TooDeep,     // nesting beyond kXmpMaxDepth
  TooMany,     // more than kXmpMaxProperties
  Unreadable,  // a sidecar file that could not be read
  Incomplete,  // Extended XMP whose parts leave a gap or do not add up to the length they name
};

inline constexpr std::size_t kXmpMaxPacketBytes = 16u << 20;
inline constexpr std::size_t kXmpMaxDepth = 256;
inline constexpr std::size_t kXmpMaxProperties = 100000;

struct XmpPacket {
  std::vector<XmpProperty> properties;
  XmpProblem problem = XmpProblem::None;
  std::uint64_t line = 0;  // where a damaged packet went wrong (1-based; 0 when not told)
  std::uint64_t column = 0;
};

// Parses the packet. Parts are named with the vocabulary's usual prefix of their namespace, or the
// file's own prefix when the vocabulary (may be null) does not know it. Trailing zero bytes and
// padding are ignored. Never throws except std::bad_alloc.
XmpPacket ParseXmpPacket(std::string_view xml, const XmpVocabulary* vocabulary);

}  // namespace kelmarin
