#include "extract/xmp/XmpPacket.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <deque>
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

// How names reach the handlers: as written ("prefix:local"), the prefixes resolved by the reader
// itself, or expanded by expat ("URI\1local\1prefix"). expat's own namespace processing costs a
// fifth of a packet's parse; it reads only the packets the reader's resolution leaves to it.
enum class Names : std::uint8_t { AsWritten, Expanded };

// The expat parser of this thread for each way of naming, reset for the next packet: creating one
// costs more than a small packet's parse. A parser that has held a large packet is given back, not
// its buffers kept.
XML_Parser ThreadParser(std::size_t bytes, Names names) {
  constexpr std::size_t kKeptBufferBytes = 256u << 10;
  struct Free {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
  };
  struct Kept {
    std::unique_ptr<XML_ParserStruct, Free> parser;
    bool large = false;
  };
  thread_local Kept kept[2];
  Kept& slot = kept[static_cast<std::size_t>(names)];
  if (slot.parser != nullptr && (slot.large || XML_ParserReset(slot.parser.get(), nullptr) != XML_TRUE))
    slot.parser.reset();
  if (slot.parser == nullptr) {
    slot.parser.reset(names == Names::Expanded ? XML_ParserCreateNS(nullptr, kSeparator)
                                               : XML_ParserCreate(nullptr));
  }
  if (slot.parser == nullptr) throw std::bad_alloc();
  slot.large = bytes > kKeptBufferBytes;
  return slot.parser.get();
}

constexpr std::string_view kXmlns = "http://www.w3.org/2000/xmlns/";

// A name expat's namespace processing takes as it is: no colon, or one colon between a non-empty
// prefix and a local name that starts with an ASCII letter or '_'. (A name beginning with another
// character after the colon is left to expat, which knows the full rule.)
bool PlainQualifiedName(std::string_view name, std::size_t colon) {
  if (colon == std::string_view::npos) return true;
  if (colon == 0 || colon + 1 >= name.size()) return false;
  if (name.find(':', colon + 1) != std::string_view::npos) return false;
  const char first = name[colon + 1];
  return (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_';
}

enum class Frame : std::uint8_t {
  Outer,     // x:xmpmeta, rdf:RDF or any wrapper around them
  Node,      // rdf:Description or a structure: children are properties
  Property,  // a property element: text, a structure or an array
  Array,     // rdf:Bag, rdf:Seq or rdf:Alt: children are rdf:li
  Skip,      // anything else, with all it holds
};

// A namespace the packet names properties in, with the prefix they are shown with: the
// vocabulary's usual one, or the first one the packet wrote for it.
struct Namespace {
  std::string uri;
  std::string prefix;
};

// An open element. The levels of a parse are kept from one element to the next, so that their
// texts keep their buffers.
struct Level {
  Frame kind = Frame::Outer;
  std::string path;
  const Namespace* ns = nullptr;    // of the top-level property
  const Namespace* leaf = nullptr;  // of the last named part
  std::string leafName;
  std::string text;
  std::size_t items = 0;  // of an array
  bool done = false;      // a property that has had children or a resource value
};

class Parser {
 public:
  Parser(const XmpVocabulary* vocabulary, XmpPacket& packet) : words(vocabulary), out(packet) {}

  void Run(std::string_view xml) {
    RunAs(Names::AsWritten, xml);
    if (!leftToExpat) return;
    // Whatever the reader's resolution does not take as it is (an unbound prefix, a reserved or
    // undeclared one, a fault of any kind) is read again by expat's own namespace processing, so
    // that such a packet ends as it always has, at the same place.
    out.properties.clear();
    out.problem = XmpProblem::None;
    spaces.clear();
    RunAs(Names::Expanded, xml);
  }

 private:
  void RunAs(Names mode, std::string_view xml) {
    names = mode;
    leftToExpat = false;
    bindings = 0;
    marks.clear();
    depth = 0;
    const bool cut = xml.size() > kXmpMaxPacketBytes;
    if (cut) xml = xml.substr(0, kXmpMaxPacketBytes);
    // Writers pad a packet with kilobytes of spaces before its closing processing instruction, so
    // that it can grow in place; expat would scan them byte by byte. The packet is read without
    // them, and only a packet that then fails is read again whole, so that the place of its fault
    // is told as in the file.
    const std::string_view body = cut ? xml : WithoutTrailer(xml);
    XML_Status status = Parse(body, !cut);
    if (leftToExpat) return;
    if (names == Names::AsWritten && out.problem == XmpProblem::None && status != XML_STATUS_OK) {
      leftToExpat = true;
      return;
    }
    if (out.problem == XmpProblem::None && status != XML_STATUS_OK && body.size() != xml.size()) {
      out.properties.clear();
      depth = 0;
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

  XML_Status Parse(std::string_view xml, bool final) {
    parser = ThreadParser(xml.size(), names);
    // expat asks the system for a fresh hash salt for every parser, a system call as dear as the
    // parse of a small packet; one salt drawn per process keeps the hash tables unpredictable.
    static const unsigned long salt = std::random_device()();
    XML_SetHashSalt(parser, salt);
    if (names == Names::Expanded) XML_SetReturnNSTriplet(parser, 1);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &Parser::OnStart, &Parser::OnEnd);
    XML_SetCharacterDataHandler(parser, &Parser::OnText);
    XML_SetStartDoctypeDeclHandler(parser, &Parser::OnDoctype);
    XML_SetEntityDeclHandler(parser, &Parser::OnEntity);
    XML_SetProcessingInstructionHandler(parser, names == Names::AsWritten ? &Parser::OnInstruction : nullptr);
    return XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), final ? XML_TRUE : XML_FALSE);
  }

  void Stop(XmpProblem problem) {
    if (out.problem == XmpProblem::None) out.problem = problem;
    XML_StopParser(parser, XML_FALSE);
  }

  // A packet uses a handful of namespaces: each is looked up in the vocabulary once.
  const Namespace& Space(const Name& name) {
    for (const Namespace& space : spaces) {
      if (space.uri == name.uri) return space;
    }
    const std::string_view usual = words != nullptr ? words->Prefix(name.uri) : std::string_view();
    spaces.push_back({std::string(name.uri), std::string(!usual.empty() ? usual : name.prefix)});
    return spaces.back();
  }

  // Appends the part's name as shown to a path that ends with its separator or is empty.
  static void AppendPart(std::string& path, const Namespace& space, std::string_view local) {
    path += space.prefix;
    if (!space.prefix.empty()) path += ':';
    path += local;
  }

  void SetChild(Level& level, const Level& parent, Frame kind, const Name& name) {
    const Namespace& space = Space(name);
    level.kind = kind;
    level.items = 0;
    level.done = false;
    if (parent.path.empty()) {
      level.path.clear();
      level.ns = &space;
    } else {
      level.path = parent.path;
      level.path += '/';
      level.ns = parent.ns;
    }
    AppendPart(level.path, space, name.local);
    level.leaf = &space;
    level.leafName.assign(name.local);
  }

  bool Full() {
    if (out.properties.size() < kXmpMaxProperties) return false;
    Stop(XmpProblem::TooMany);
    return true;
  }

  // A property that is a level of its own: its names are copied, the level keeps its buffers.
  void Emit(const Level& level, std::string value) {
    if (Full()) return;
    out.properties.push_back({level.ns->uri, level.path, level.leaf->uri, level.leafName, std::move(value)});
  }

  // The attributes of a node are properties (or structure fields) of its path.
  void NodeAttributes(const Level& node) {
    for (const Attribute& attribute : given) {
      const Name& name = attribute.name;
      if (name.uri == kRdf || name.uri == kXml || name.uri.empty()) continue;
      if (Full()) return;
      const Namespace& space = Space(name);
      XmpProperty& property = out.properties.emplace_back();
      property.ns = node.path.empty() ? space.uri : node.ns->uri;
      if (!node.path.empty()) {
        property.path.reserve(node.path.size() + 1 + space.prefix.size() + 1 + name.local.size());
        property.path = node.path;
        property.path += '/';
      }
      AppendPart(property.path, space, name.local);
      property.leafNs = space.uri;
      property.leafName = name.local;
      property.value = attribute.value;
    }
  }

  // A property element: rdf:resource is its value, rdf:parseType="Resource" or other attributes
  // make it a structure.
  void StartProperty(Level& level) {
    bool structure = false;
    for (const Attribute& attribute : given) {
      const Name& name = attribute.name;
      const std::string_view value = attribute.value;
      if (name.uri == kRdf && name.local == "resource") {
        Emit(level, std::string(value));
        level.done = true;
      } else if (name.uri == kRdf && name.local == "parseType" && value == "Resource") {
        structure = true;
      } else if (name.uri != kRdf && name.uri != kXml && !name.uri.empty()) {
        structure = true;
      }
    }
    if (structure) {
      level.kind = Frame::Node;
      NodeAttributes(level);
    }
  }

  void ArrayItem(Level& array, Level& item) const {
    item = array;
    item.kind = Frame::Property;
    item.items = 0;
    item.done = false;
    ++array.items;
    const Attribute* lang = nullptr;
    for (const Attribute& attribute : given) {
      if (attribute.name.uri == kXml && attribute.name.local == "lang") lang = &attribute;
    }
    item.path += '[';
    if (lang != nullptr) {
      item.path += lang->value;
    } else {
      char digits[24];
      item.path.append(digits, std::to_chars(digits, digits + sizeof digits, array.items).ptr);
    }
    item.path += ']';
  }

  void LeaveToExpat() {
    leftToExpat = true;
    XML_StopParser(parser, XML_FALSE);
  }

  // The namespace a prefix is bound to in the open elements ("" the default namespace); false for
  // an unbound prefix.
  bool Bound(std::string_view prefix, std::string_view& uri) const {
    for (std::size_t i = bindings; i-- > 0;) {
      if (scopes[i].prefix == prefix) {
        uri = scopes[i].uri;
        return true;
      }
    }
    if (prefix == "xml") {
      uri = kXml;
      return true;
    }
    uri = {};
    return prefix.empty();
  }

  // Binds the prefix for the element being opened; false where expat's namespace processing is
  // to judge the declaration (reserved prefixes and namespaces, an undeclared prefix, a namespace
  // under two prefixes, which could make two attributes one, or more bindings than a packet needs).
  bool Bind(std::string_view prefix, std::string_view uri) {
    constexpr std::size_t kMaxBindings = 64;
    if (prefix == "xml" || prefix == "xmlns" || uri == kXml || uri == kXmlns) return false;
    if (!prefix.empty() && uri.empty()) return false;
    if (bindings >= kMaxBindings) return false;
    if (!prefix.empty()) {
      for (std::size_t i = 0; i < bindings; ++i) {
        if (scopes[i].uri == uri && scopes[i].prefix != prefix && !scopes[i].prefix.empty()) return false;
      }
    }
    if (bindings == scopes.size()) scopes.emplace_back();
    scopes[bindings].prefix.assign(prefix);
    scopes[bindings].uri.assign(uri);
    ++bindings;
    return true;
  }

  // Binds the element's namespace declarations and names it and its other attributes by their
  // namespaces; false when the packet is left to expat.
  bool ResolveAsWritten(std::string_view raw, const XML_Char** attributes, Name& name) {
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const std::string_view written(attributes[i]);
      if (!written.starts_with("xmlns")) continue;
      if (written.size() == 5) {
        if (!Bind({}, attributes[i + 1])) return false;
      } else if (written[5] == ':') {
        if (!PlainQualifiedName(written, 5) || !Bind(written.substr(6), attributes[i + 1])) return false;
      }
    }
    given.clear();
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const std::string_view written(attributes[i]);
      if (written.starts_with("xmlns") && (written.size() == 5 || written[5] == ':')) continue;
      const std::size_t colon = written.find(':');
      if (!PlainQualifiedName(written, colon)) return false;
      Attribute& attribute = given.emplace_back();
      attribute.value = attributes[i + 1];
      if (colon == std::string_view::npos) {
        attribute.name.local = written;  // an attribute without a prefix is in no namespace
      } else {
        attribute.name.prefix = written.substr(0, colon);
        attribute.name.local = written.substr(colon + 1);
        if (!Bound(attribute.name.prefix, attribute.name.uri)) return false;
      }
    }
    const std::size_t colon = raw.find(':');
    if (!PlainQualifiedName(raw, colon)) return false;
    if (colon == std::string_view::npos) {
      name.local = raw;
      Bound({}, name.uri);
    } else {
      name.prefix = raw.substr(0, colon);
      name.local = raw.substr(colon + 1);
      if (!Bound(name.prefix, name.uri)) return false;
    }
    return true;
  }

  void Start(const XML_Char* raw, const XML_Char** attributes) {
    Name name;
    if (names == Names::AsWritten) {
      marks.push_back(bindings);
      if (!ResolveAsWritten(raw, attributes, name)) {
        LeaveToExpat();
        return;
      }
    } else {
      name = Split(raw);
      given.clear();
      for (std::size_t i = 0; attributes[i] != nullptr; i += 2)
        given.push_back({Split(attributes[i]), attributes[i + 1]});
    }
    if (depth >= kXmpMaxDepth) {
      Stop(XmpProblem::TooDeep);
      return;
    }
    if (depth == levels.size()) levels.emplace_back();
    Level& level = levels[depth];
    Level& parent = depth == 0 ? outside : levels[depth - 1];
    const bool rdf = name.uri == kRdf;
    Frame kind = Frame::Skip;
    switch (parent.kind) {
      case Frame::Outer:
        kind = rdf && name.local == "Description" ? Frame::Node : Frame::Outer;
        level.kind = kind;
        level.path.clear();
        level.items = 0;
        level.done = false;
        // The attributes of a description are properties, those of x:xmpmeta name the writing tool.
        if (kind == Frame::Node || name.uri == kMeta) NodeAttributes(level);
        break;
      case Frame::Node:
        if (rdf) break;
        kind = Frame::Property;
        SetChild(level, parent, Frame::Property, name);
        StartProperty(level);
        break;
      case Frame::Property:
        parent.done = true;
        if (rdf && (name.local == "Bag" || name.local == "Seq" || name.local == "Alt")) {
          kind = Frame::Array;
          level = parent;
          level.kind = Frame::Array;
        } else if (rdf && name.local == "Description") {
          kind = Frame::Node;
          level = parent;
          level.kind = Frame::Node;
          NodeAttributes(level);
        }
        break;
      case Frame::Array:
        if (rdf && name.local == "li") {
          kind = Frame::Property;
          ArrayItem(parent, level);
          StartProperty(level);
        }
        break;
      case Frame::Skip:
        break;
    }
    if (kind == Frame::Skip) level.kind = Frame::Skip;
    level.text.clear();
    ++depth;
  }

  void End() {
    if (!marks.empty()) {
      bindings = marks.back();
      marks.pop_back();
    }
    if (depth == 0) return;
    Level& level = levels[depth - 1];
    if (level.kind == Frame::Property && !level.done) Emit(level, std::move(level.text));
    --depth;
  }

  static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<Parser*>(self)->Start(name, attributes);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char*) { static_cast<Parser*>(self)->End(); }
  static void XMLCALL OnText(void* self, const XML_Char* text, int length) {
    Parser& parser = *static_cast<Parser*>(self);
    if (parser.depth == 0 || parser.levels[parser.depth - 1].kind != Frame::Property) return;
    std::string& value = parser.levels[parser.depth - 1].text;
    std::size_t take =
        std::min(kMaxValueBytes - std::min(kMaxValueBytes, value.size()), static_cast<std::size_t>(length));
    // A cut value ends before the character it would split.
    if (take < static_cast<std::size_t>(length)) {
      while (take > 0 && (static_cast<unsigned char>(text[take]) & 0xC0) == 0x80) --take;
    }
    value.append(text, take);
  }
  static void XMLCALL OnInstruction(void* self, const XML_Char* target, const XML_Char*) {
    // expat's namespace processing does not take a target with a colon.
    if (std::strchr(target, ':') != nullptr) static_cast<Parser*>(self)->LeaveToExpat();
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
  struct Attribute {
    Name name;
    std::string_view value;
  };
  struct Binding {
    std::string prefix;
    std::string uri;
  };

  XML_Parser parser = nullptr;
  Names names = Names::AsWritten;
  bool leftToExpat = false;
  std::vector<Attribute> given;  // the attributes of the element being opened, namespaces resolved
  std::vector<Binding> scopes;   // in scope: the first `bindings`; the rest kept for their buffers
  std::size_t bindings = 0;
  std::vector<std::size_t> marks;  // bindings in scope before each open element
  std::vector<Level> levels;  // the open elements: the first `depth`
  std::size_t depth = 0;
  Level outside;  // the parent of the outermost element; never changed
  std::deque<Namespace> spaces;  // of the properties named so far; kept in place for the levels
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
