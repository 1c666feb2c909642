#include "extract/xmp/XmpPacket.h"

#include <expat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>

#include "extract/xmp/XmpVocabulary.h"

namespace kelmarin {

namespace {

constexpr char kSeparator = '\x01';  // between URI, local name and prefix in expat's names
constexpr std::string_view kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kMeta = "adobe:ns:meta/";
constexpr std::string_view kXml = "http://www.w3.org/XML/1998/namespace";
// A value longer than this is cut: no property a photographer reads is that long, and a packet of
// one huge text must not double its memory.
constexpr std::size_t kMaxValueBytes = 1u << 20;

struct Name {
  std::string_view uri;
  std::string_view local;
  std::string_view prefix;
};

// expat gives "URI\1local\1prefix" for names in a namespace, "local" for others.
Name Split(const XML_Char* raw) {
  const std::string_view text(raw);
  const std::size_t first = text.find(kSeparator);
  if (first == std::string_view::npos) return {{}, text, {}};
  const std::size_t second = text.find(kSeparator, first + 1);
  Name name{text.substr(0, first), text.substr(first + 1, second - first - 1), {}};
  if (second != std::string_view::npos) name.prefix = text.substr(second + 1);
  return name;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The text without the white space at its end. Padding is mostly spaces: eight of them are passed
// at a time, anything else byte by byte.
std::string_view WithoutTrailingSpace(std::string_view text) {
  constexpr std::uint64_t kEightSpaces = 0x2020202020202020u;
  std::size_t end = text.size();
  while (true) {
    for (std::uint64_t word = 0; end >= sizeof word; end -= sizeof word) {
      std::memcpy(&word, text.data() + end - sizeof word, sizeof word);
      if (word != kEightSpaces) break;
    }
    if (end == 0 || !IsSpace(text[end - 1])) break;
    --end;
  }
  return text.substr(0, end);
}

// The packet without its closing "<?xpacket end='w'?>" and the padding before it; the packet as
// it is when it does not end in one such instruction of plain ASCII.
std::string_view WithoutTrailer(std::string_view xml) {
  constexpr std::string_view kTrailer = "<?xpacket";
  if (!xml.ends_with("?>")) return xml;
  // The last "<?xpacket", found by its "<": a search for the whole word would compare it at every
  // byte of the padding before it.
  std::size_t start = xml.rfind('<');
  while (start != std::string_view::npos && !xml.substr(start).starts_with(kTrailer)) {
    start = start == 0 ? std::string_view::npos : xml.rfind('<', start - 1);
  }
  if (start == std::string_view::npos) return xml;
  const std::string_view instruction = xml.substr(start);
  if (instruction.size() < kTrailer.size() + 2 || instruction.find("?>") != instruction.size() - 2)
    return xml;
  if (!IsSpace(instruction[kTrailer.size()]) && instruction[kTrailer.size()] != '?') return xml;
  for (const char c : instruction) {
    if (c < 0x20 || c > 0x7E) return xml;
  }
  return WithoutTrailingSpace(xml.substr(0, start));
}

// The expat parser of this thread, reset for the next packet: creating one costs more than a small
// packet's parse. A parser that has held a large packet is given back, not its buffers kept.
XML_Parser ThreadParser(std::size_t bytes) {
  constexpr std::size_t kKeptBufferBytes = 256u << 10;
  struct Free {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
  };
  thread_local std::unique_ptr<XML_ParserStruct, Free> kept;
  thread_local bool large = false;
  if (kept != nullptr && (large || XML_ParserReset(kept.get(), nullptr) != XML_TRUE)) kept.reset();
  if (kept == nullptr) kept.reset(XML_ParserCreateNS(nullptr, kSeparator));
  if (kept == nullptr) throw std::bad_alloc();
  large = bytes > kKeptBufferBytes;
  return kept.get();
}

enum class Frame : std::uint8_t {
  Outer,     // x:xmpmeta, rdf:RDF or any wrapper around them
  Node,      // rdf:Description or a structure: children are properties
  Property,  // a property element: text, a structure or an array
  Array,     // rdf:Bag, rdf:Seq or rdf:Alt: children are rdf:li
  Skip,      // anything else, with all it holds
};

struct Level {
  Frame kind = Frame::Outer;
  std::string path;
  std::string ns;  // of the top-level property
  std::string leafNs;
  std::string leafName;
  std::string text;
  std::size_t items = 0;  // of an array
  bool done = false;      // a property that has had children or a resource value
};

class Parser {
 public:
  Parser(const XmpVocabulary* vocabulary, XmpPacket& packet) : words(vocabulary), out(packet) {}

  void Run(std::string_view xml) {
    const bool cut = xml.size() > kXmpMaxPacketBytes;
    if (cut) xml = xml.substr(0, kXmpMaxPacketBytes);
    // Writers pad a packet with kilobytes of spaces before its closing processing instruction, so
    // that it can grow in place; expat would scan them byte by byte. The packet is read without
    // them, and only a packet that then fails is read again whole, so that the place of its fault
    // is told as in the file.
    const std::string_view body = cut ? xml : WithoutTrailer(xml);
    XML_Status status = Parse(body, !cut);
    if (out.problem == XmpProblem::None && status != XML_STATUS_OK && body.size() != xml.size()) {
      out.properties.clear();
      levels.clear();
      status = Parse(xml, true);
    }
    if (out.problem == XmpProblem::None && cut) {
      out.problem = XmpProblem::TooLarge;
    } else if (out.problem == XmpProblem::None && status != XML_STATUS_OK) {
      out.problem = XmpProblem::Damaged;
      out.line = XML_GetCurrentLineNumber(parser);
      out.column = XML_GetCurrentColumnNumber(parser) + 1;
    }
  }

 private:
  XML_Status Parse(std::string_view xml, bool final) {
    parser = ThreadParser(xml.size());
    // expat asks the system for a fresh hash salt for every parser, a system call as dear as the
    // parse of a small packet; one salt drawn per process keeps the hash tables unpredictable.
    static const unsigned long salt = std::random_device()();
    XML_SetHashSalt(parser, salt);
    XML_SetReturnNSTriplet(parser, 1);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &Parser::OnStart, &Parser::OnEnd);
    XML_SetCharacterDataHandler(parser, &Parser::OnText);
    XML_SetStartDoctypeDeclHandler(parser, &Parser::OnDoctype);
    XML_SetEntityDeclHandler(parser, &Parser::OnEntity);
    return XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), final ? XML_TRUE : XML_FALSE);
  }

  void Stop(XmpProblem problem) {
    if (out.problem == XmpProblem::None) out.problem = problem;
    XML_StopParser(parser, XML_FALSE);
  }

  // A packet uses a handful of namespaces: their prefixes are looked up once each.
  std::string_view UsualPrefix(const Name& name) {
    for (const auto& [uri, prefix] : prefixes) {
      if (uri == name.uri) return prefix;
    }
    const std::string_view usual = words != nullptr ? words->Prefix(name.uri) : std::string_view();
    prefixes.emplace_back(std::string(name.uri), std::string(!usual.empty() ? usual : name.prefix));
    return prefixes.back().second;
  }

  std::string Qualified(const Name& name) {
    const std::string_view prefix = UsualPrefix(name);
    std::string text;
    text.reserve(prefix.size() + 1 + name.local.size());
    text += prefix;
    if (!text.empty()) text += ':';
    text += name.local;
    return text;
  }

  Level Child(const Level& parent, Frame kind, const Name& name) {
    Level level;
    level.kind = kind;
    level.path = parent.path.empty() ? Qualified(name) : parent.path + '/' + Qualified(name);
    level.ns = parent.path.empty() ? std::string(name.uri) : parent.ns;
    level.leafNs = name.uri;
    level.leafName = name.local;
    return level;
  }

  // Takes the level's names: a level is emitted as it ends, or as a copy.
  void Emit(Level&& level, std::string value) {
    if (out.properties.size() >= kXmpMaxProperties) {
      Stop(XmpProblem::TooMany);
      return;
    }
    out.properties.push_back({std::move(level.ns), std::move(level.path), std::move(level.leafNs),
                              std::move(level.leafName), std::move(value)});
  }

  // The attributes of a node are properties (or structure fields) of its path.
  void NodeAttributes(const Level& node, const XML_Char** attributes) {
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const Name name = Split(attributes[i]);
      if (name.uri == kRdf || name.uri == kXml || name.uri.empty()) continue;
      Emit(Child(node, Frame::Property, name), attributes[i + 1]);
    }
  }

  // A property element: rdf:resource is its value, rdf:parseType="Resource" or other attributes
  // make it a structure.
  void StartProperty(Level& level, const XML_Char** attributes) {
    bool structure = false;
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const Name name = Split(attributes[i]);
      const std::string_view value(attributes[i + 1]);
      if (name.uri == kRdf && name.local == "resource") {
        Emit(Level(level), std::string(value));
        level.done = true;
      } else if (name.uri == kRdf && name.local == "parseType" && value == "Resource") {
        structure = true;
      } else if (name.uri != kRdf && name.uri != kXml && !name.uri.empty()) {
        structure = true;
      }
    }
    if (structure) {
      level.kind = Frame::Node;
      NodeAttributes(level, attributes);
    }
  }

  Level ArrayItem(Level& array, const XML_Char** attributes) const {
    Level item = array;
    item.kind = Frame::Property;
    item.items = 0;
    item.done = false;
    std::string key = std::to_string(++array.items);
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const Name name = Split(attributes[i]);
      if (name.uri == kXml && name.local == "lang") key = attributes[i + 1];
    }
    item.path += '[' + key + ']';
    return item;
  }

  void Start(const XML_Char* raw, const XML_Char** attributes) {
    if (levels.size() >= kXmpMaxDepth) {
      Stop(XmpProblem::TooDeep);
      return;
    }
    const Name name = Split(raw);
    const bool rdf = name.uri == kRdf;
    static const Level kOutside;
    const Level& parent = levels.empty() ? kOutside : levels.back();
    Level level;
    level.kind = Frame::Skip;
    switch (parent.kind) {
      case Frame::Outer:
        level.kind = rdf && name.local == "Description" ? Frame::Node : Frame::Outer;
        // The attributes of a description are properties, those of x:xmpmeta name the writing tool.
        if (level.kind == Frame::Node || name.uri == kMeta) NodeAttributes(level, attributes);
        break;
      case Frame::Node:
        if (rdf) break;
        level = Child(parent, Frame::Property, name);
        StartProperty(level, attributes);
        break;
      case Frame::Property:
        levels.back().done = true;  // parent is that level
        if (rdf && (name.local == "Bag" || name.local == "Seq" || name.local == "Alt")) {
          level = parent;
          level.kind = Frame::Array;
        } else if (rdf && name.local == "Description") {
          level = parent;
          level.kind = Frame::Node;
          NodeAttributes(level, attributes);
        }
        break;
      case Frame::Array:
        if (rdf && name.local == "li") {
          level = ArrayItem(levels.back(), attributes);
          StartProperty(level, attributes);
        }
        break;
      case Frame::Skip:
        break;
    }
    level.text.clear();
    levels.push_back(std::move(level));
  }

  void End() {
    if (levels.empty()) return;
    Level& level = levels.back();
    if (level.kind == Frame::Property && !level.done) {
      std::string text = std::move(level.text);
      Emit(std::move(level), std::move(text));
    }
    levels.pop_back();
  }

  static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<Parser*>(self)->Start(name, attributes);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char*) { static_cast<Parser*>(self)->End(); }
  static void XMLCALL OnText(void* self, const XML_Char* text, int length) {
    auto& levels = static_cast<Parser*>(self)->levels;
    if (levels.empty() || levels.back().kind != Frame::Property) return;
    std::string& value = levels.back().text;
    std::size_t take =
        std::min(kMaxValueBytes - std::min(kMaxValueBytes, value.size()), static_cast<std::size_t>(length));
    // A cut value ends before the character it would split.
    if (take < static_cast<std::size_t>(length)) {
      while (take > 0 && (static_cast<unsigned char>(text[take]) & 0xC0) == 0x80) --take;
    }
    value.append(text, take);
  }
  static void XMLCALL OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<Parser*>(self)->Stop(XmpProblem::Refused);
  }
  static void XMLCALL OnEntity(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*) {
    static_cast<Parser*>(self)->Stop(XmpProblem::Refused);
  }

  const XmpVocabulary* words;
  XmpPacket& out;
  XML_Parser parser = nullptr;
  std::vector<Level> levels;
  std::vector<std::pair<std::string, std::string>> prefixes;  // URI -> prefix shown
};

}  // namespace

XmpPacket ParseXmpPacket(std::string_view xml, const XmpVocabulary* vocabulary) {
  while (!xml.empty() &&
         (xml.back() == '\0' || xml.back() == ' ' || xml.back() == '\n' || xml.back() == '\r')) {
    xml.remove_suffix(1);
  }
  XmpPacket packet;
  Parser parser(vocabulary, packet);
  parser.Run(xml);
  return packet;
}

}  // namespace kelmarin
