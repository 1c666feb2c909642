// LoadDefinitions: reads metadata.def line by line into a fresh set of tables.

#include <array>
#include <cerrno>
#include <fstream>
#include <istream>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "metadata/DefinitionSyntax.h"
#include "metadata/Definitions.h"
#include "metadata/Text.h"

namespace kelmarin {

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

struct Layout {
  std::string_view name;
  std::int32_t maker;
};
constexpr std::array<Layout, 14> kLayouts = {{{"asahi01", 2},
                                              {"asahi02", 3},
                                              {"canon01", 4},
                                              {"casio01", 5},
                                              {"casio02", 6},
                                              {"fujifilm01", 8},
                                              {"leica01", 14},
                                              {"minolta01", 15},
                                              {"nikon01", 16},
                                              {"nikon02", 17},
                                              {"olympus01", 18},
                                              {"panasonic01", 19},
                                              {"ricoh01", 21},
                                              {"sigma01", 25}}};

enum class FailureKind { VersionMissing, VersionUnsupported, Syntax, Read };

// Thrown inside the loader only; Run turns it into the message.
struct Failure {
  FailureKind kind;
  std::int32_t code = 0;
};

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

class DefinitionLoader {
 public:
  std::unique_ptr<Definitions> Run(std::istream& in, Reporter& reporter);

 private:
  void Line(std::string_view line);
  void Header(std::string_view body);
  void Version(const std::vector<std::string_view>& words);
  void Makernote(std::string_view layoutName);
  void Entry(std::string_view rest);
  void TagEntry(std::string_view rest);
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

  std::unique_ptr<Definitions> defs = std::make_unique<Definitions>();
  bool versionSeen = false;
  std::int32_t section = kSectionVersion;
  TagTable* target = nullptr;  // the tag table of sections 1 to 4
  ExifTag* current = nullptr;  // the last "+" tag of any tag section; nodes never move
  std::string focalMake;       // argument of the focalequiv header
};

std::unique_ptr<Definitions> DefinitionLoader::Run(std::istream& in, Reporter& reporter) {
  std::string raw;
  std::string converted;
  std::string_view line;
  std::int64_t lineNumber = 0;
  try {
    try {
      while (std::getline(in, raw)) {
        ++lineNumber;
        std::string_view bytes = raw;
        if (lineNumber == 1 && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        if (bytes.ends_with('\r')) bytes.remove_suffix(1);  // CR LF written on Windows
        if (!IsValidUtf8(bytes)) {
          converted = BytesToUtf8(bytes);
          bytes = converted;
        }
        line = TrimSpaces(bytes);
        if (!line.empty()) Line(line);
      }
    } catch (const DuplicateKey& duplicate) {
      throw Failure{FailureKind::Read, duplicate.code};
    } catch (const std::bad_alloc&) {
      throw Failure{FailureKind::Read, kCodeOutOfMemory};
    }
    if (in.bad()) {
      line = {};
      ++lineNumber;
      throw Failure{FailureKind::Read, kCodeDeviceIo};
    }
  } catch (const Failure& failure) {
    defs.reset();
    reporter.Report(FailureMessage(failure, lineNumber, line));
    return nullptr;
  }
  return std::move(defs);
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
  const std::vector<std::string_view> words = SplitAt(body, ' ');
  const std::string_view keyword = words.front();
  if (EqualsIgnoringCase(keyword, "version")) {
    Version(words);
  } else if (EqualsIgnoringCase(keyword, "main")) {
    RequireVersion();
    SetSection(kSectionMain, &defs->mainTags);
  } else if (EqualsIgnoringCase(keyword, "thumbnail")) {
    RequireVersion();
    SetSection(kSectionThumbnail, &defs->thumbnailTags);
  } else if (EqualsIgnoringCase(keyword, "gps")) {
    RequireVersion();
    SetSection(kSectionGps, &defs->gpsTags);
  } else if (EqualsIgnoringCase(keyword, "makernote")) {
    RequireVersion();
    if (words.size() < 2) throw Failure{FailureKind::Read, kCodeMissingWord};
    Makernote(words[1]);
  } else if (EqualsIgnoringCase(keyword, "focalequiv")) {
    RequireVersion();
    if (words.size() < 2) throw Failure{FailureKind::Read, kCodeMissingWord};
    focalMake = words[1];
    SetSection(kSectionFocalEquiv, nullptr);
  } else if (EqualsIgnoringCase(keyword, "iptc")) {
    RequireVersion();
    SetSection(kSectionIptc, nullptr);
  } else {
    throw Failure{FailureKind::Syntax};
  }
}

void DefinitionLoader::Version(const std::vector<std::string_view>& words) {
  if (words.size() < 2) throw Failure{FailureKind::Read, kCodeMissingWord};
  if (Number(words[1]) != kSupportedVersion) throw Failure{FailureKind::VersionUnsupported};
  versionSeen = true;
  SetSection(kSectionVersion, nullptr);
}

void DefinitionLoader::Makernote(std::string_view layoutName) {
  for (const Layout& layout : kLayouts) {
    if (!EqualsIgnoringCase(layoutName, layout.name)) continue;
    auto [it, inserted] = defs->makernoteTable.try_emplace(layout.maker);
    if (!inserted) throw Failure{FailureKind::Read, kCodeDuplicateKey};
    it->second.cameraid = layout.maker;
    SetSection(kSectionMakernote, &it->second.exif_tags);
    return;
  }
  throw Failure{FailureKind::Syntax};
}

void DefinitionLoader::Entry(std::string_view rest) {
  RequireVersion();
  if (target != nullptr) {
    TagEntry(rest);
  } else if (section == kSectionFocalEquiv) {
    FocalEntry(rest);
  } else if (section == kSectionIptc) {
    IptcEntry(rest);
  }  // the version section defines nothing
}

// "+" tag "," position "," format code "," ... "," name
void DefinitionLoader::TagEntry(std::string_view rest) {
  const std::vector<std::string_view> fields = SplitAt(rest, ',');
  if (fields.size() < 4) throw Failure{FailureKind::Syntax};
  const std::int32_t tag = Number(fields[0]);
  const std::int32_t position = Number(fields[1]);
  const std::int32_t fmt = Number(fields[2]);
  current = &defs->AddTagDefinition(*target, tag, position, std::string(TrimSpaces(fields.back())), fmt);
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
  const std::vector<std::string_view> fields = SplitAt(rest, ',');
  if (fields.size() < 2) throw Failure{FailureKind::Syntax};
  const std::int32_t number = Number(fields[0]);
  defs->AddIptcDefinition(number, std::string(TrimSpaces(fields.back())));
}

// "!" value "," text; the text is everything after the first comma and may hold commas.
void DefinitionLoader::ValueName(std::string_view rest) {
  RequireVersion();
  if (target == nullptr) return;
  const std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) throw Failure{FailureKind::Syntax};
  const std::int32_t value = Number(rest.substr(0, comma));
  if (current == nullptr) throw Failure{FailureKind::Read, kCodeNoCurrentTag};
  current->addnice(value, std::string(TrimSpaces(rest.substr(comma + 1))));
}

// 0 when the file may be opened, else the open-error code. Only regular files (or links to them)
// are opened: a FIFO would block, a folder or device is no definition file.
std::int32_t OpenProblem(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return kCodeFileNotFound;
  if (error) {
    return error == std::errc::permission_denied ? kCodePermissionDenied : kCodeFileAccess;
  }
  if (status.type() != std::filesystem::file_type::regular) return kCodeFileAccess;
  return 0;
}

}  // namespace

std::unique_ptr<Definitions> LoadDefinitions(std::istream& contents, Reporter& reporter) {
  return DefinitionLoader().Run(contents, reporter);
}

std::unique_ptr<Definitions> LoadDefinitions(const std::filesystem::path& file, Reporter& reporter) {
  std::int32_t code = OpenProblem(file);
  std::ifstream in;
  if (code == 0) {
    errno = 0;
    in.open(file, std::ios::in | std::ios::binary);
    if (!in.is_open()) code = errno == EACCES ? kCodePermissionDenied : kCodeFileAccess;
  }
  if (code != 0) {
    ReportOpenError(reporter, code);
    return nullptr;
  }
  return LoadDefinitions(in, reporter);
}

}  // namespace kelmarin
