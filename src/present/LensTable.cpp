// The lens table: lenses.def beside the definition file, then the user's file of lens names.

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "metadata/CacheFolder.h"
#include "present/LensTableData.h"

namespace kelmarin {

namespace {

constexpr std::size_t kMaxLineBytes = 1024;
constexpr std::size_t kMaxRows = 100000;
constexpr std::size_t kMaxMessages = 100;
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) text.remove_suffix(1);
  return text;
}

bool ParseNumber(std::string_view text, double& value) {
  text = Trim(text);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value) && value > 0 &&
         value < 100000;
}

// "18-55" or "50" (also "18-55mm"): both ends, the second equal to the first for one number.
bool ParseRange(std::string_view text, double& low, double& high) {
  text = Trim(text);
  if (text.size() > 2 && text.substr(text.size() - 2) == "mm") text.remove_suffix(2);
  if (text.size() > 2 && (text.substr(0, 2) == "f/" || text.substr(0, 2) == "F/")) text.remove_prefix(2);
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) {
    if (!ParseNumber(text, low)) return false;
    high = low;
    return true;
  }
  return ParseNumber(text.substr(0, dash), low) && ParseNumber(text.substr(dash + 1), high) && low <= high;
}

bool IsHexWord(std::string_view word) {
  if (word.empty() || word.size() > 8) return false;
  for (char c : word) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

void AddMessage(std::vector<std::string>* messages, std::string text) {
  if (messages == nullptr) return;
  if (messages->size() < kMaxMessages) {
    messages->push_back(std::move(text));
  } else if (messages->size() == kMaxMessages) {
    messages->push_back("Weitere fehlerhafte Zeilen der Objektivtabellen werden nicht gemeldet.");
  }
}

// The rows of one file's text into `into`.
void ReadLines(std::string_view text, const std::string& name, LensTable::Data& into,
               std::vector<std::string>* messages) {
  std::size_t number = 0;
  std::size_t rows = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (line.size() > kMaxLineBytes) {
      AddMessage(messages, name + ", Zeile " + std::to_string(number) + ": Zeile zu lang, übergangen");
      continue;
    }
    LensLine parsed = ParseLensLine(line);
    if (!parsed.error.empty()) {
      AddMessage(messages, name + ", Zeile " + std::to_string(number) + ": " + parsed.error + ", übergangen");
      continue;
    }
    if (parsed.maker.empty() || ++rows > kMaxRows) continue;
    into.rows[parsed.maker + '|' + parsed.code].push_back(std::move(parsed.row));
  }
}

// The whole file, or nothing when it cannot be read or is larger than any table.
std::optional<std::string> ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxFileBytes) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return text;
}

void MergeUser(LensTable::Data& table, LensTable::Data own) {
  // A code of the user's replaces all shipped rows of that code.
  for (auto& [key, rows] : own.rows) table.rows[key] = std::move(rows);
}

}  // namespace

std::string CanonicalLensCode(std::string_view code) {
  std::string out;
  std::size_t i = 0;
  while (i < code.size()) {
    while (i < code.size() && std::isspace(static_cast<unsigned char>(code[i])) != 0) ++i;
    std::size_t end = i;
    while (end < code.size() && std::isspace(static_cast<unsigned char>(code[end])) == 0) ++end;
    if (end == i) break;
    std::string_view word = code.substr(i, end - i);
    if (!out.empty()) out += ' ';
    if (IsHexWord(word)) {
      unsigned long value = std::strtoul(std::string(word).c_str(), nullptr, 16);
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "%02lX", value);
      out += buffer;
    } else {
      for (char c : word) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    i = end;
  }
  return out;
}

LensLine ParseLensLine(std::string_view line) {
  LensLine result;
  if (line.size() >= 3 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == '#') return result;
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = trimmed.find('|', start);
    fields.push_back(Trim(trimmed.substr(start, bar == std::string_view::npos ? bar : bar - start)));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  if (fields.size() < 3 || fields.size() > 5) {
    result.error = "erwartet Hersteller | Code | Name, wahlweise | Brennweite | Blende";
    return result;
  }
  for (char c : fields[0]) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-') {
      result.error = "Hersteller \"" + std::string(fields[0]) + "\" ungültig";
      return result;
    }
  }
  if (fields[0].empty())
    result.error = "Hersteller fehlt";
  else if (fields[1].empty())
    result.error = "Code fehlt";
  else if (fields[2].empty())
    result.error = "Name fehlt";
  if (!result.error.empty()) return result;
  if (fields.size() > 3 && !fields[3].empty() &&
      !ParseRange(fields[3], result.row.minFocal, result.row.maxFocal)) {
    result.error = "Brennweite \"" + std::string(fields[3]) + "\" ungültig";
    return result;
  }
  if (fields.size() > 4 && !fields[4].empty() &&
      !ParseRange(fields[4], result.row.minAperture, result.row.maxAperture)) {
    result.error = "Blende \"" + std::string(fields[4]) + "\" ungültig";
    return result;
  }
  for (char c : fields[0]) result.maker += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  result.code = CanonicalLensCode(fields[1]);
  result.row.name = std::string(fields[2]);
  return result;
}

double PointNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end != text.data() && std::isfinite(value) ? value : 0;
}

std::string LensRangeName(double minFocal, double maxFocal, double minAperture, double maxAperture) {
  auto number = [](double value) {
    char buffer[64];
    const double rounded = std::round(value * 10) / 10;
    const bool whole = std::fabs(rounded - std::round(rounded)) < 0.05;
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, whole ? std::round(rounded) : rounded,
                      std::chars_format::fixed, whole ? 0 : 1);
    return error == std::errc() ? std::string(buffer, end) : std::string();
  };
  if (!(minFocal > 0)) return {};
  if (!(maxFocal >= minFocal)) maxFocal = minFocal;
  std::string text = number(minFocal);
  if (number(maxFocal) != text) text += '-' + number(maxFocal);
  text += "mm";
  if (minAperture > 0) {
    text += " f/" + number(minAperture);
    if (maxAperture > 0 && number(maxAperture) != number(minAperture)) text += '-' + number(maxAperture);
  }
  return text;
}

LensTable::LensTable() : d(std::make_unique<Data>()) {}
LensTable::~LensTable() = default;
LensTable::LensTable(LensTable&&) noexcept = default;
LensTable& LensTable::operator=(LensTable&&) noexcept = default;

LensTable LensTable::FromText(std::string_view shipped, std::string_view user,
                              std::vector<std::string>* messages, const std::string& userName) {
  LensTable table;
  ReadLines(shipped, "lenses.def", *table.d, messages);
  Data own;
  ReadLines(user, userName, own, messages);
  MergeUser(*table.d, std::move(own));
  return table;
}

LensTable LensTable::Load(const std::filesystem::path& shipped, const std::filesystem::path& user,
                          std::vector<std::string>* messages) {
  LensTable table;
  if (!shipped.empty()) {
    if (const auto text = ReadWhole(shipped)) {
      ReadLines(*text, shipped.filename().string(), *table.d, messages);
    } else {
      AddMessage(messages, "Die Objektivtabelle " + shipped.string() + " kann nicht gelesen werden.");
    }
  }
  std::error_code missing;
  if (user.empty() || !std::filesystem::exists(user, missing)) return table;
  const auto text = ReadWhole(user);
  if (!text) {
    AddMessage(messages, "Die Objektivnamen in " + user.string() + " können nicht gelesen werden.");
    return table;
  }
  Data own;
  ReadLines(*text, user.filename().string(), own, messages);
  MergeUser(*table.d, std::move(own));
  return table;
}

namespace {

std::string& ShippedFileSetting() {
  static std::string path;
  return path;
}

std::filesystem::path ShippedFile() {
  if (!ShippedFileSetting().empty()) return ShippedFileSetting();
  std::vector<std::filesystem::path> candidates;
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    candidates.push_back(self.parent_path() / "lenses.def");
    // An installed tree moved elsewhere (an unpacked package): bin/ beside share/kelmarin/.
    candidates.push_back(self.parent_path().parent_path() / "share" / "kelmarin" / "lenses.def");
  }
#ifdef KELMARIN_LENS_INSTALL_DIR
  candidates.emplace_back(std::filesystem::path(KELMARIN_LENS_INSTALL_DIR) / "lenses.def");
#endif
#ifdef KELMARIN_LENS_SOURCE_DIR
  candidates.emplace_back(std::filesystem::path(KELMARIN_LENS_SOURCE_DIR) / "lenses.def");
#endif
  for (const auto& candidate : candidates) {
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return candidates.empty() ? std::filesystem::path() : candidates.front();
}

}  // namespace

std::filesystem::path UserLensFile() {
  std::filesystem::path base = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
  if (base.empty()) {
    const std::filesystem::path home = AbsoluteFromEnvironment("HOME");
    if (home.empty()) return {};
    base = home / ".config";
  }
  return base / "Tarnwickel" / "Kelmarin-lenses.conf";
}

void SetLensTableFile(std::string path) {
  ShippedFileSetting() = std::move(path);
}

namespace {
std::vector<std::string>& LoadMessages() {
  static std::vector<std::string> messages;
  return messages;
}
}  // namespace

const LensTable& ProcessLensTable() {
  static const LensTable table = LensTable::Load(ShippedFile(), UserLensFile(), &LoadMessages());
  return table;
}

const std::vector<std::string>& ProcessLensTableMessages() {
  ProcessLensTable();
  return LoadMessages();
}

}  // namespace kelmarin
