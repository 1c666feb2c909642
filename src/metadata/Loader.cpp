// LoadDefinitions: reads metadata.def into a fresh set of tables. The file is read in large blocks
// (a definition file of normal size in one read); the complete lines of a block are checked for
// UTF-8 at once and taken as views into the block, without a copy or an allocation per line.

#include <algorithm>
#include <array>
#include <charconv>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <istream>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

#include "metadata/DefinitionSyntax.h"
#include "metadata/Definitions.h"
#include "metadata/Makers.h"
#include "metadata/Text.h"

namespace kelmarin {

// The makernote sections of a quick load, kept as text until their layout is first asked for.
struct DeferredMakernotes {
  std::string contents;  // the definition file; the sections point into it
  struct Layout {
    std::vector<std::string_view> sections;  // header line and the lines up to the next header
    std::once_flag read;
  };
  std::unordered_map<std::int32_t, Layout> layouts;  // by maker number; not changed after the load
};

namespace {

static_assert(sizeof("Ö") == 3, "the message texts below must be compiled as UTF-8");

constexpr std::string_view kCaption = "Metadaten-Definition laden";
constexpr std::string_view kOpenText = "Fehler beim Öffnen der Metadaten-Definitionsdatei";
constexpr std::string_view kVersionFirstText =
    "Version der Metadaten-Beschreibungsdatei muss als erster Eintrag aufgeführt sein";
constexpr std::string_view kVersionUnsupportedText =
    "Version der Metadaten-Beschreibungsdatei wird nicht unterstützt";
constexpr std::string_view kReadText = "Fehler beim Lesen der Metadaten-Definitionsdatei";

// Codes the user sees in the caption. Those the file format causes (6, 9, 13, 91, 457) are fixed;
// the others are ours and follow the same numbering of run-time errors.
constexpr std::int32_t kCodeOutOfMemory = 7;
constexpr std::int32_t kCodeMissingWord = 9;
constexpr std::int32_t kCodeFileNotFound = 53;
constexpr std::int32_t kCodeDeviceIo = 57;  // the file stopped being readable part-way
constexpr std::int32_t kCodePermissionDenied = 70;
constexpr std::int32_t kCodeFileAccess = 75;  // not a regular file, or it could not be opened otherwise
constexpr std::int32_t kCodeNoCurrentTag = 91;
constexpr std::int32_t kCodeDuplicateKey = 457;

constexpr std::int32_t kSupportedVersion = 2;
constexpr std::int32_t kSectionVersion = 0;
constexpr std::int32_t kSectionFocalEquiv = 5;
constexpr std::int32_t kSectionIptc = 6;

// A line longer than this is cut in the message (a message box cannot lay out megabytes of text).
constexpr std::size_t kMaxShownLineBytes = 1000;

enum class FailureKind { VersionMissing, VersionUnsupported, Syntax, Read };

// Thrown inside the loader only; Run turns it into the message.
struct Failure {
  FailureKind kind;
  std::int32_t code = 0;
};

// Thrown by a quick load that meets what only a full load reads right: lines that are not UTF-8, or
// a value name that belongs to the tag before a makernote header.
struct NeedFullLoad {};

std::string CaptionWithCode(std::int32_t code) {
  return std::string(kCaption) + " (Fehler " + std::to_string(code) + ")";
}

std::string ShownLine(std::string_view line) {
  if (line.size() <= kMaxShownLineBytes) return std::string(line);
  std::size_t cut = kMaxShownLineBytes;
  while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
  return std::string(line.substr(0, cut)) + "…";
}

Message FailureMessage(const Failure& failure, std::int64_t lineNumber, std::string_view line) {
  Message message;
  message.icon = MessageIcon::Warning;
  message.caption = failure.kind == FailureKind::Read ? CaptionWithCode(failure.code) : std::string(kCaption);
  switch (failure.kind) {
    case FailureKind::VersionMissing:
      message.text = kVersionFirstText;
      break;
    case FailureKind::VersionUnsupported:
      message.text = kVersionUnsupportedText;
      break;
    case FailureKind::Syntax:
    case FailureKind::Read:
      message.text = std::string(kReadText) + "\n\nFehler in Zeile " + std::to_string(lineNumber) + "\n" +
                     ShownLine(line);
      break;
  }
  return message;
}

void ReportOpenError(Reporter& reporter, std::int32_t code) {
  reporter.Report(Message{CaptionWithCode(code), std::string(kOpenText), MessageIcon::Warning});
}

std::int32_t Number(std::string_view field) {
  const ParsedNumber parsed = ParseDefinitionNumber(field);
  if (parsed.code != 0) throw Failure{FailureKind::Read, parsed.code};
  return parsed.value;
}

// A value name's number: a signed 32-bit number or, written in decimal, an unsigned one up to
// 4294967295 (Canon's serial number format 2684354560); hexadecimal stays two's complement.
std::int64_t ValueNameNumber(std::string_view field) {
  const ParsedNumber parsed = ParseDefinitionNumber(field);
  if (parsed.code == kCodeOutOfRange) {
    const std::string_view digits = TrimSpaces(field);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc() && end == digits.data() + digits.size()) return value;
  }
  if (parsed.code != 0) throw Failure{FailureKind::Read, parsed.code};
  return parsed.value;
}

// Where the loader's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `capacity` bytes into `into`; 0 at the end (or after an error).
  virtual std::size_t Read(char* into, std::size_t capacity) = 0;
  // True when reading stopped on an error rather than at the end.
  virtual bool Failed() const = 0;
  // How many bytes a block should hold (the whole file where its size is known and sensible).
  virtual std::size_t BlockSize() const { return kBlockSize; }

  static constexpr std::size_t kBlockSize = 1 << 20;
};

class DefinitionLoader {
 public:
  DefinitionLoader() = default;
  // Reads deferred makernote sections into tables a quick load made.
  explicit DefinitionLoader(Definitions& tables)
      : owned(nullptr), defs(&tables), versionSeen(true), filling(true) {}

  std::unique_ptr<Definitions> Run(ByteSource& in, Reporter& reporter);
  // The quick load over contents a full load has accepted before; throws NeedFullLoad (see there),
  // and in theory a Failure.
  std::unique_ptr<Definitions> RunDeferring(std::shared_ptr<DeferredMakernotes> sections);
  void Fill(const std::vector<std::string_view>& sections);

 private:
  void ReadAll(ByteSource& in, std::unique_ptr<char[]>& block, std::int64_t& lineNumber,
               std::string_view& line);
  void Lines(std::string_view contents, std::int64_t& lineNumber, std::string_view& line);
  void Line(std::string_view line);
  void Header(std::string_view body);
  void Version(const Fields& words);
  void Makernote(std::string_view layoutName);
  void MakernoteDirectory(std::string_view layoutName, std::string_view directory, std::string_view sharedWith);
  void Entry(std::string_view rest);
  void TagEntry(std::string_view rest);
  void ScaleFields(std::string_view rest, ExifTag& definition);
  void FocalEntry(std::string_view rest);
  void IptcEntry(std::string_view rest);
  void ValueName(std::string_view rest);
  void RequireVersion() const {
    if (!versionSeen) throw Failure{FailureKind::VersionMissing};
  }
  void SetSection(std::int32_t number, TagTable* table) {
    section = number;
    target = table;
  }
  void BeginDeferred(std::int32_t maker);
  void EndDeferred(const char* end);

  std::unique_ptr<Definitions> owned = std::make_unique<Definitions>();
  Definitions* defs = owned.get();
  bool versionSeen = false;
  bool filling = false;                     // reading deferred sections into existing tables
  DeferredMakernotes* deferring = nullptr;  // quick load: makernote sections are kept, not read
  const char* lineAt = nullptr;             // start of the line being read
  const char* deferredAt = nullptr;         // start of the section being kept
  std::int32_t deferredMaker = 0;
  bool skipping = false;     // inside a kept section
  bool afterHeader = false;  // no tag yet since the kept section's header
  std::int32_t section = kSectionVersion;
  TagTable* target = nullptr;  // the tag table of sections 1 to 4
  ExifTag* current = nullptr;  // the last "+" tag of any tag section; nodes never move
  std::string focalMake;       // argument of the focalequiv header
  std::string converted;       // the current line read as Windows-1252
};

std::unique_ptr<Definitions> DefinitionLoader::Run(ByteSource& in, Reporter& reporter) {
  std::unique_ptr<char[]> block;  // holds the bytes `line` points into, for the message
  std::string_view line;
  std::int64_t lineNumber = 0;
  try {
    try {
      ReadAll(in, block, lineNumber, line);
    } catch (const DuplicateKey& duplicate) {
      throw Failure{FailureKind::Read, duplicate.code};
    } catch (const std::bad_alloc&) {
      throw Failure{FailureKind::Read, kCodeOutOfMemory};
    }
    if (in.Failed()) {
      line = {};
      ++lineNumber;
      throw Failure{FailureKind::Read, kCodeDeviceIo};
    }
  } catch (const Failure& failure) {
    owned.reset();
    reporter.Report(FailureMessage(failure, lineNumber, line));
    return nullptr;
  }
  defs->LinkPositions();
  return std::move(owned);
}

std::unique_ptr<Definitions> DefinitionLoader::RunDeferring(std::shared_ptr<DeferredMakernotes> sections) {
  deferring = sections.get();
  std::int64_t lineNumber = 0;
  std::string_view line;
  try {
    Lines(sections->contents, lineNumber, line);
  } catch (const DuplicateKey&) {
    throw Failure{FailureKind::Read, kCodeDuplicateKey};
  }
  if (skipping) EndDeferred(sections->contents.data() + sections->contents.size());
  defs->LinkPositions();
  defs->deferred = std::move(sections);
  return std::move(owned);
}

void DefinitionLoader::Fill(const std::vector<std::string_view>& sections) {
  std::int64_t lineNumber = 0;
  std::string_view line;
  for (std::string_view text : sections) Lines(text, lineNumber, line);
}

void DefinitionLoader::BeginDeferred(std::int32_t maker) {
  deferredAt = lineAt;
  deferredMaker = maker;
  skipping = true;
  afterHeader = true;
}

void DefinitionLoader::EndDeferred(const char* end) {
  deferring->layouts[deferredMaker].sections.emplace_back(deferredAt,
                                                          static_cast<std::size_t>(end - deferredAt));
  skipping = false;
  current = nullptr;  // a value name before the next tag needs a full load (it fails here)
}

// Reads block after block and hands on the complete lines of each; a line cut by the end of a
// block is moved to the front and completed by the next read (the block grows for a line longer
// than itself). The bytes after the last line break are the last line.
void DefinitionLoader::ReadAll(ByteSource& in, std::unique_ptr<char[]>& block, std::int64_t& lineNumber,
                               std::string_view& line) {
  std::size_t capacity = in.BlockSize();
  block.reset(new char[capacity]);
  std::size_t carried = 0;  // bytes of an unfinished line at the front of the block
  for (;;) {
    const std::size_t got = in.Read(block.get() + carried, capacity - carried);
    const std::size_t filled = carried + got;
    if (got == 0) {
      Lines(std::string_view(block.get(), filled), lineNumber, line);
      return;
    }
    const std::string_view bytes(block.get(), filled);
    const std::size_t lastBreak = bytes.rfind('\n');
    if (lastBreak != std::string_view::npos) {
      Lines(bytes.substr(0, lastBreak + 1), lineNumber, line);
      carried = filled - lastBreak - 1;
      std::memmove(block.get(), block.get() + lastBreak + 1, carried);
    } else {
      carried = filled;
    }
    if (carried == capacity) {
      std::unique_ptr<char[]> larger(new char[capacity * 2]);
      std::memcpy(larger.get(), block.get(), carried);
      block = std::move(larger);
      capacity *= 2;
    }
  }
}

// True when the bytes are valid UTF-8. Runs of ASCII are passed over eight bytes at a time; from
// the first other byte to the next line break IsValidUtf8 decides (a line break is never part of a
// longer sequence, so every check starts on a character boundary).
bool AllValidUtf8(std::string_view bytes) {
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  while (at < end) {
    std::uint64_t word = 0;
    while (end - at >= 8 && (std::memcpy(&word, at, 8), (word & kHighBits) == 0)) at += 8;
    while (at < end && static_cast<unsigned char>(*at) < 0x80) ++at;
    if (at == end) break;
    const auto* lineEnd = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
    const char* stop = lineEnd != nullptr ? lineEnd : end;
    if (!IsValidUtf8(std::string_view(at, static_cast<std::size_t>(stop - at)))) return false;
    at = stop;
  }
  return true;
}

// Where the first line from the start of `text` (itself a line start) on begins that holds a "#"
// after nothing but spaces: a section header. The end of the text when there is none.
std::size_t NextHeaderLine(std::string_view text) {
  for (std::size_t at = text.find('#'); at != std::string_view::npos; at = text.find('#', at + 1)) {
    std::size_t start = at;
    while (start > 0 && text[start - 1] == ' ') --start;
    if (start == 0 || text[start - 1] == '\n') return start;
  }
  return text.size();
}

// Whole lines. Each ends with "\n" (a "\r" before it is dropped: CR LF written on Windows), except
// perhaps the last line of the file; a UTF-8 byte-order mark before the first line is skipped. A
// line that is not valid UTF-8 is read as Windows-1252; when all the lines given are valid UTF-8,
// so is each of them (a line break is never part of a longer sequence), and none is checked on its
// own. `line` is the line being read, for the message when it fails; it points into `contents` or
// into `converted`.
void DefinitionLoader::Lines(std::string_view contents, std::int64_t& lineNumber, std::string_view& line) {
  if (lineNumber == 0 && contents.starts_with("\xEF\xBB\xBF")) contents.remove_prefix(3);
  const bool allUtf8 = AllValidUtf8(contents);
  if (deferring != nullptr && !allUtf8) throw NeedFullLoad{};
  while (!contents.empty()) {
    if (skipping && !afterHeader) {
      // The rest of a kept section is passed over by its "#"s alone, not line by line.
      const std::size_t next = NextHeaderLine(contents);
      lineNumber += std::count(contents.begin(), contents.begin() + static_cast<std::ptrdiff_t>(next), '\n');
      contents.remove_prefix(next);
      if (contents.empty()) break;
    }
    const char* end = static_cast<const char*>(std::memchr(contents.data(), '\n', contents.size()));
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - contents.data()) : contents.size();
    std::string_view bytes = contents.substr(0, length);
    contents.remove_prefix(end != nullptr ? length + 1 : length);
    ++lineNumber;
    if (bytes.ends_with('\r')) bytes.remove_suffix(1);
    if (!allUtf8 && !IsValidUtf8(bytes)) {
      converted = BytesToUtf8(bytes);
      bytes = converted;
    }
    line = TrimSpaces(bytes);
    if (line.empty()) continue;
    if (skipping) {
      if (line.front() != '#') {
        if (afterHeader && line.front() == '!') throw NeedFullLoad{};
        if (line.front() != '*') afterHeader = false;
        continue;
      }
      EndDeferred(line.data());
    }
    lineAt = line.data();
    Line(line);
  }
}

void DefinitionLoader::Line(std::string_view line) {
  switch (line.front()) {
    case '#':
      Header(line.substr(1));
      break;
    case '+':
      Entry(line.substr(1));
      break;
    case '!':
      ValueName(line.substr(1));
      break;
    case '*':
      break;
    default:
      throw Failure{FailureKind::Syntax};
  }
}

void DefinitionLoader::Header(std::string_view body) {
  body = TrimSpaces(body);
  if (body.empty()) throw Failure{FailureKind::Read, kCodeMissingWord};
  const Fields words = SplitFields(body, ' ');
  const std::string_view keyword = words.first[0];
  if (EqualsNoCase(keyword, "version")) {
    Version(words);
  } else if (EqualsNoCase(keyword, "main") && words.count >= 2 && ParseDefinitionNumber(words.first[1]).code == 0) {
    RequireVersion();  // the table of a raw format's directory 0, by its TIFF magic number; other words
                       // after "main" are passed over as they always were
    auto [table, inserted] = defs->rawMainTags.try_emplace(Number(words.first[1]));
    if (!inserted) throw Failure{FailureKind::Read, kCodeDuplicateKey};
    SetSection(kSectionMain, &table->second);
  } else if (EqualsNoCase(keyword, "main")) {
    RequireVersion();
    SetSection(kSectionMain, &defs->mainTags);
  } else if (EqualsNoCase(keyword, "thumbnail")) {
    RequireVersion();
    SetSection(kSectionThumbnail, &defs->thumbnailTags);
  } else if (EqualsNoCase(keyword, "gps")) {
    RequireVersion();
    SetSection(kSectionGps, &defs->gpsTags);
  } else if (EqualsNoCase(keyword, "makernote")) {
    RequireVersion();
    if (words.count < 2) throw Failure{FailureKind::Read, kCodeMissingWord};
    if (words.count >= 3 && !words.first[2].empty()) {
      MakernoteDirectory(words.first[1], words.first[2], words.count == 4 ? words.last : std::string_view());
    } else {
      Makernote(words.first[1]);
    }
  } else if (EqualsNoCase(keyword, "focalequiv")) {
    RequireVersion();
    if (words.count < 2) throw Failure{FailureKind::Read, kCodeMissingWord};
    focalMake = words.first[1];
    SetSection(kSectionFocalEquiv, nullptr);
  } else if (EqualsNoCase(keyword, "iptc")) {
    RequireVersion();
    SetSection(kSectionIptc, nullptr);
  } else {
    throw Failure{FailureKind::Syntax};
  }
}

void DefinitionLoader::Version(const Fields& words) {
  if (words.count < 2) throw Failure{FailureKind::Read, kCodeMissingWord};
  if (Number(words.first[1]) != kSupportedVersion) throw Failure{FailureKind::VersionUnsupported};
  versionSeen = true;
  SetSection(kSectionVersion, nullptr);
}

void DefinitionLoader::Makernote(std::string_view layoutName) {
  const MakerLayout* layout = FindMakerLayout(layoutName);
  if (layout == nullptr) throw Failure{FailureKind::Syntax};
  if (filling) {  // the entry is there; other threads may be looking up other layouts
    const auto note = defs->makernoteTable.find(layout->maker);
    if (note == defs->makernoteTable.end()) throw Failure{FailureKind::Syntax};
    SetSection(kSectionMakernote, &note->second.exif_tags);
    return;
  }
  auto [it, inserted] = defs->makernoteTable.try_emplace(layout->maker);
  if (!inserted) throw Failure{FailureKind::Read, kCodeDuplicateKey};
  it->second.cameraid = layout->maker;
  SetSection(kSectionMakernote, &it->second.exif_tags);
  if (deferring != nullptr) BeginDeferred(layout->maker);
}

// "#makernote" layout directory: the tags of one sub-directory of a layout whose own section came
// before (a layout not yet defined is a syntax error); each sub-directory has one section only.
// "#makernote" layout directory other-layout: the sub-directory is named by the other layout's
// table of the same number, found when it is looked up; such a section holds no tags.
void DefinitionLoader::MakernoteDirectory(std::string_view layoutName, std::string_view directory,
                                          std::string_view sharedWith) {
  const MakerLayout* layout = FindMakerLayout(layoutName);
  if (layout == nullptr) throw Failure{FailureKind::Syntax};
  const MakerLayout* other = sharedWith.empty() ? nullptr : FindMakerLayout(sharedWith);
  if (!sharedWith.empty() && (other == nullptr || other == layout)) throw Failure{FailureKind::Syntax};
  const auto note = defs->makernoteTable.find(layout->maker);
  if (note == defs->makernoteTable.end()) throw Failure{FailureKind::Syntax};
  if (deferring != nullptr) {
    BeginDeferred(layout->maker);
    return;
  }
  const std::int32_t number = Number(directory);
  if (note->second.directories.contains(number) || note->second.sharedDirectories.contains(number))
    throw Failure{FailureKind::Read, kCodeDuplicateKey};
  if (other != nullptr) {
    note->second.sharedDirectories.emplace(number, other->maker);
    SetSection(kSectionMakernote, nullptr);
    current = nullptr;
    return;
  }
  SetSection(kSectionMakernote, &note->second.directories[number]);
}

void DefinitionLoader::Entry(std::string_view rest) {
  RequireVersion();
  if (target != nullptr) {
    TagEntry(rest);
  } else if (section == kSectionFocalEquiv) {
    FocalEntry(rest);
  } else if (section == kSectionIptc) {
    IptcEntry(rest);
  } else if (section == kSectionMakernote) {
    throw Failure{FailureKind::Syntax};  // a shared sub-directory has no tags of its own
  }  // the version section defines nothing
}

// "+" tag "," position "," format code "," ... "," name
void DefinitionLoader::TagEntry(std::string_view rest) {
  const Fields fields = SplitFields(rest, ',');
  if (fields.count < 4) throw Failure{FailureKind::Syntax};
  const std::int32_t tag = Number(fields.first[0]);
  const std::int32_t position = Number(fields.first[1]);
  const std::int32_t fmt = Number(fields.first[2]);
  current = &defs->AddTagDefinition(*target, tag, position, std::string(TrimSpaces(fields.last)), fmt);
  if (ReadsScale(fmt)) ScaleFields(rest, *current);
}

// The fields between the display code and the name, for the codes that compute with them.
void DefinitionLoader::ScaleFields(std::string_view rest, ExifTag& definition) {
  std::string_view between = rest.substr(0, rest.rfind(','));
  for (int skip = 0; skip < 3; ++skip) {
    const std::size_t comma = between.find(',');
    between = comma == std::string_view::npos ? std::string_view() : between.substr(comma + 1);
  }
  const Fields fields = SplitFields(between, ',');
  if (TrimSpaces(between).empty()) return;
  const ParsedFactor scale = ParseScaleFactor(fields.first[0]);
  if (scale.code != 0) throw Failure{FailureKind::Read, scale.code};
  definition.scale = scale.value;
  if (fields.count < 2) return;
  const ParsedFactor offset = ParseScaleFactor(fields.first[1]);
  if (offset.code != 0) throw Failure{FailureKind::Read, offset.code};
  definition.offset = offset.value;
}

// "+" model "," factor; the model may hold commas, the factor is after the last one.
void DefinitionLoader::FocalEntry(std::string_view rest) {
  const std::size_t comma = rest.rfind(',');
  if (comma == std::string_view::npos) throw Failure{FailureKind::Syntax};
  const ParsedFactor factor = ParseFocalFactor(rest.substr(comma + 1));
  if (factor.code != 0) throw Failure{FailureKind::Read, factor.code};
  defs->AddFocalEquiv(focalMake, std::string(TrimSpaces(rest.substr(0, comma))), factor.value);
}

// "+" number "," ... "," name
void DefinitionLoader::IptcEntry(std::string_view rest) {
  const Fields fields = SplitFields(rest, ',');
  if (fields.count < 2) throw Failure{FailureKind::Syntax};
  const std::int32_t number = Number(fields.first[0]);
  defs->AddIptcDefinition(number, std::string(TrimSpaces(fields.last)));
}

// "!" value "," text; the text is everything after the first comma and may hold commas.
void DefinitionLoader::ValueName(std::string_view rest) {
  RequireVersion();
  if (target == nullptr && section == kSectionMakernote) throw Failure{FailureKind::Syntax};
  if (target == nullptr) return;
  const std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) throw Failure{FailureKind::Syntax};
  const std::string_view key = TrimSpaces(rest.substr(0, comma));
  if (key.find(' ') != std::string_view::npos) {  // a name of a whole list: "!0 16,Text"
    std::string list;
    for (std::string_view words = key; !words.empty();) {
      const std::size_t space = words.find(' ');
      const std::string_view word = words.substr(0, space);
      words = space == std::string_view::npos ? std::string_view{} : TrimSpaces(words.substr(space + 1));
      if (!list.empty()) list += ' ';
      list += std::to_string(ValueNameNumber(word));
    }
    if (current == nullptr) throw Failure{FailureKind::Read, kCodeNoCurrentTag};
    current->addnice(0, std::string(TrimSpaces(rest.substr(comma + 1)))).liste = std::move(list);
    return;
  }
  const std::int64_t value = ValueNameNumber(key);
  if (current == nullptr) throw Failure{FailureKind::Read, kCodeNoCurrentTag};
  current->addnice(value, std::string(TrimSpaces(rest.substr(comma + 1))));
}

// 0 when the file may be opened, else the open-error code. Only regular files (or links to them)
// are opened: a FIFO would block, a folder or device is no definition file.
std::int32_t OpenProblem(const std::filesystem::path& file, std::uintmax_t& size) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return kCodeFileNotFound;
  if (error) {
    return error == std::errc::permission_denied ? kCodePermissionDenied : kCodeFileAccess;
  }
  if (status.type() != std::filesystem::file_type::regular) return kCodeFileAccess;
  size = std::filesystem::file_size(file, error);
  if (error) size = 0;
  return 0;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileBytes : public ByteSource {
 public:
  FileBytes(std::FILE* opened, std::size_t sizeHint) : file(opened), size(sizeHint) {}
  std::size_t Read(char* into, std::size_t capacity) override {
    return std::fread(into, 1, capacity, file.get());
  }
  bool Failed() const override { return std::ferror(file.get()) != 0; }
  // One byte more than the file, so that the first read takes it all and the second sees the end.
  std::size_t BlockSize() const override { return size < kBlockSize * 16 ? size + 1 : kBlockSize; }

 private:
  std::unique_ptr<std::FILE, FileCloser> file;
  std::size_t size;
};

// A stream is read line by line, as std::getline reads it: a stream that fails part-way (its buffer
// throws) loses the line it was in, and the lines before it are read.
class StreamBytes : public ByteSource {
 public:
  explicit StreamBytes(std::istream& input) : in(input) {}
  std::size_t Read(char* into, std::size_t capacity) override {
    std::size_t filled = 0;
    while (filled < capacity) {
      if (used == pending.size()) {
        pending.clear();
        used = 0;
        if (!std::getline(in, pending)) {
          pending.clear();  // the part of a line before a failure
          break;
        }
        if (!in.eof()) pending += '\n';
      }
      const std::size_t n = std::min(capacity - filled, pending.size() - used);
      std::memcpy(into + filled, pending.data() + used, n);
      filled += n;
      used += n;
    }
    return filled;
  }
  bool Failed() const override { return in.bad(); }

 private:
  std::istream& in;
  std::string pending;  // the line being handed out
  std::size_t used = 0;
};

// Bytes already in memory, handed out in one block.
class MemoryBytes : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view data) : rest(data), size(data.size()) {}
  std::size_t Read(char* into, std::size_t capacity) override {
    const std::size_t n = std::min(capacity, rest.size());
    std::memcpy(into, rest.data(), n);
    rest.remove_prefix(n);
    return n;
  }
  bool Failed() const override { return false; }
  std::size_t BlockSize() const override { return size + 1; }

 private:
  std::string_view rest;
  std::size_t size;
};

// Opens the file for reading; null with `code` set to the open error code when it cannot be.
std::FILE* OpenFile(const std::filesystem::path& file, std::int32_t& code) {
  errno = 0;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) code = errno == EACCES ? kCodePermissionDenied : kCodeFileAccess;
  return in;
}

// The whole file into `contents`; false when it cannot be opened or read, or is larger than a
// definition file should be (the full load then gives the message).
bool ReadWholeFile(const std::filesystem::path& file, std::string& contents) {
  std::uintmax_t size = 0;
  std::int32_t code = OpenProblem(file, size);
  if (code != 0 || size > ByteSource::kBlockSize * 16) return false;
  std::FILE* opened = OpenFile(file, code);
  if (opened == nullptr) return false;
  const std::unique_ptr<std::FILE, FileCloser> in(opened);
  contents.resize(static_cast<std::size_t>(size) + 1);
  const std::size_t got = std::fread(contents.data(), 1, contents.size(), in.get());
  if (std::ferror(in.get()) != 0 || got > size) return false;
  contents.resize(got);
  return true;
}

// The stamp of contents a full load accepted: named by their hash and length.
std::filesystem::path StampFile(const std::filesystem::path& folder, std::string_view contents) {
  char name[64];
  std::snprintf(name, sizeof name, "metadata-%016llx-%zu.ok",
                static_cast<unsigned long long>(std::hash<std::string_view>()(contents)), contents.size());
  return folder / name;
}

void WriteStamp(const std::filesystem::path& stamp) {
  std::error_code error;
  std::filesystem::create_directories(stamp.parent_path(), error);
  if (error) return;
  std::FILE* out = std::fopen(stamp.c_str(), "wb");
  if (out != nullptr) std::fclose(out);
}

}  // namespace

void Definitions::ReadDeferred(std::int32_t maker) const {
  const auto layout = deferred->layouts.find(maker);
  if (layout == deferred->layouts.end()) return;
  std::call_once(layout->second.read, [&] {
    // The loader made these tables, not const; only this layout's entry changes, under its flag.
    auto& tables = const_cast<Definitions&>(*this);
    try {
      DefinitionLoader(tables).Fill(layout->second.sections);
    } catch (const Failure&) {
      // Not for contents a full load accepted: the layout keeps what was read.
    } catch (const DuplicateKey&) {
    }
    if (const auto note = tables.makernoteTable.find(maker); note != tables.makernoteTable.end()) {
      LinkPositions(note->second);
    }
  });
}

std::unique_ptr<Definitions> LoadDefinitionsWithStamp(const std::filesystem::path& file,
                                                      const std::filesystem::path& stampFolder,
                                                      Reporter& reporter) {
  auto sections = std::make_shared<DeferredMakernotes>();
  try {
    if (stampFolder.empty() || !ReadWholeFile(file, sections->contents))
      return LoadDefinitions(file, reporter);
  } catch (const std::bad_alloc&) {
    return LoadDefinitions(file, reporter);
  }
  const std::filesystem::path stamp = StampFile(stampFolder, sections->contents);
  std::error_code error;
  if (std::filesystem::exists(stamp, error)) {
    try {
      return DefinitionLoader().RunDeferring(sections);
    } catch (...) {
      // NeedFullLoad, or a stamp that lies: the full load decides.
    }
  }
  MemoryBytes bytes(sections->contents);
  std::unique_ptr<Definitions> definitions = DefinitionLoader().Run(bytes, reporter);
  if (definitions != nullptr) WriteStamp(stamp);
  return definitions;
}

std::unique_ptr<Definitions> LoadDefinitions(std::istream& contents, Reporter& reporter) {
  StreamBytes bytes(contents);
  return DefinitionLoader().Run(bytes, reporter);
}

std::unique_ptr<Definitions> LoadDefinitions(const std::filesystem::path& file, Reporter& reporter) {
  std::uintmax_t size = 0;
  std::int32_t code = OpenProblem(file, size);
  std::FILE* in = code == 0 ? OpenFile(file, code) : nullptr;
  if (in == nullptr) {
    ReportOpenError(reporter, code);
    return nullptr;
  }
  FileBytes bytes(in, static_cast<std::size_t>(std::min<std::uintmax_t>(size, ByteSource::kBlockSize * 16)));
  return DefinitionLoader().Run(bytes, reporter);
}

}  // namespace kelmarin
