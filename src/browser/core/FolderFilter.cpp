// The metadata filter of the file list. Its language, as the help's "Filter nach Metadaten" tells it:
//
//   filter     = { separator } [ condition { separator { separator } condition } ] { separator }
//   separator  = space | ","                  (a comma between two digits is a decimal comma)
//   condition  = field operator value         "Bewertung >= 3", "ISO > 3200", "Blende <= 2,8"
//              | field ":" value              "Kamera: nikon", "Datum: 2024-05-01..2024-05-31"
//              | word                         a keyword or the file name contains it
//   operator   = "=" | "==" | "!=" | "≠" | "<" | "<=" | "≤" | ">" | ">=" | "≥"
//   value      = a run of characters up to the next separator, or text in double quotes ("…" or „…“)
//
// Every condition must hold (AND); there is no OR. Fields (any case): Bewertung, ISO, Blende,
// Brennweite, Belichtung (numbers; "2,8" and "2.8", "f/2,8", "85mm", "1/250", "1/250s"), Datum
// ("2024-05-01", "2024-05", "2024", "01.05.2024", with "T14:30" or "T14:30:15" after a whole date),
// Uhrzeit ("14", "14:30", "14:30:15", the local time of day), Kamera, Objektiv, Stichwort, Name
// (texts). With ":" a number or a moment may be a range "A..B" (both ends included); a single value
// after ":" means "=". A date or time stands for its whole period: "Datum: 2024-05" is May, and
// "Datum > 2024-05-01" begins on 2 May. Numbers compare as the columns show them (apertures and
// focal lengths to one decimal, exposure times below a quarter second as 1/N). Texts after ":"
// match a part of the value, after "=" the whole value, without regard to case; "!=" negates.
// A file without the value matches no condition on it (except "!="). A word alone matches when a
// keyword or the file name contains it, without regard to case.
//
// A text that does not parse gives a German message naming what is wrong and the character where
// it is (counted from 1). Texts over kMaxFilterBytes or with more than kMaxConditions conditions
// are refused, so parsing and matching stay bounded.

#include <cmath>
#include <functional>
#include <limits>

#include "browser/core/FolderRecords.h"
#include "browser/core/PatternList.h"
#include "present/NumberText.h"
#include "present/TextLocale.h"

namespace kelmarin {

namespace {

constexpr std::size_t kMaxFilterBytes = 4096;
constexpr std::size_t kMaxConditions = 64;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

enum class Field {
  Word,
  Rating,
  Iso,
  Aperture,
  FocalLength,
  Exposure,
  Taken,
  TimeOfDay,
  Camera,
  Lens,
  Keyword,
  Name
};
enum class Kind { Number, Moment, Text, Word };

struct FieldName {
  std::string_view name;  // in lower case
  Field field;
  Kind kind;
};

constexpr FieldName kFields[] = {
    {"bewertung", Field::Rating, Kind::Number},    {"iso", Field::Iso, Kind::Number},
    {"blende", Field::Aperture, Kind::Number},     {"brennweite", Field::FocalLength, Kind::Number},
    {"belichtung", Field::Exposure, Kind::Number}, {"datum", Field::Taken, Kind::Moment},
    {"uhrzeit", Field::TimeOfDay, Kind::Moment},   {"kamera", Field::Camera, Kind::Text},
    {"objektiv", Field::Lens, Kind::Text},         {"stichwort", Field::Keyword, Kind::Text},
    {"stichwörter", Field::Keyword, Kind::Text},   {"name", Field::Name, Kind::Text},
};

enum class Op { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains };

struct Condition {
  Field field = Field::Word;
  Kind kind = Kind::Word;
  Op op = Op::Contains;
  double low = -kInfinity;  // numbers and moments: the values matched lie in [low, high]
  double high = kInfinity;
  bool negate = false;
  std::u32string text;  // texts and words: folded
};

// Values as the columns show them, so that "Blende = 2,8" finds what the column shows as "f/2,8".
double Shown(Field field, double value) {
  switch (field) {
    case Field::Aperture:
    case Field::FocalLength:
      return std::round(value * 10.0) / 10.0;
    case Field::Iso:
    case Field::Rating:
      return std::round(value);
    case Field::Exposure:
      if (value > 0 && value < 0.25001) return 1.0 / std::round(1.0 / value);
      return std::round(value * 10.0) / 10.0;
    default:
      return value;
  }
}

}  // namespace

struct FolderFilter::Rules {
  std::vector<Condition> conditions;
};

namespace {

// The parser over the filter's text; positions are counted in characters from 1 for messages.
class Parser {
 public:
  explicit Parser(std::string_view input) : text(input) {}

  std::optional<std::vector<Condition>> Run(std::string& message);

 private:
  std::string_view text;
  std::size_t at = 0;
  std::string error;

  std::size_t Column(std::size_t byte) const {
    std::size_t column = 1;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
    }
    return column;
  }
  bool Fail(std::string what, std::size_t byte) {
    if (error.empty()) error = what + " (Zeichen " + std::to_string(Column(byte)) + ").";
    return false;
  }
  bool SeparatorAt(std::size_t i) const;
  bool OperatorAt(std::size_t i, Op* op, std::size_t* length) const;
  bool QuoteAt(std::size_t i, std::size_t* length, std::string_view* close) const;
  bool ReadValue(std::string& value, std::size_t& start);
  bool ParseCondition(Condition& condition);
  bool NumberRange(Op op, std::string_view value, std::size_t start, Condition& c);
  bool MomentRange(Op op, std::string_view value, std::size_t start, Condition& c);
  bool Bounds(Op op, std::string_view value, std::size_t start, Condition& c,
              const std::function<bool(std::string_view, std::size_t, double&, double&)>& period);
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool Parser::SeparatorAt(std::size_t i) const {
  if (IsSpace(text[i])) return true;
  if (text[i] != ',') return false;
  return !(i > 0 && IsDigit(text[i - 1]) && i + 1 < text.size() && IsDigit(text[i + 1]));
}

bool Parser::OperatorAt(std::size_t i, Op* op, std::size_t* length) const {
  static constexpr std::pair<std::string_view, Op> kOperators[] = {
      {"<=", Op::LessEqual}, {">=", Op::GreaterEqual}, {"==", Op::Equal},   {"!=", Op::NotEqual},
      {"≤", Op::LessEqual},  {"≥", Op::GreaterEqual},  {"≠", Op::NotEqual}, {"<", Op::Less},
      {">", Op::Greater},    {"=", Op::Equal},         {":", Op::Contains}};
  const std::string_view rest = text.substr(i);
  for (const auto& [spelling, kind] : kOperators) {
    if (rest.starts_with(spelling)) {
      *op = kind;
      *length = spelling.size();
      return true;
    }
  }
  return false;
}

bool Parser::QuoteAt(std::size_t i, std::size_t* length, std::string_view* close) const {
  const std::string_view rest = text.substr(i);
  if (rest.starts_with("\"")) {
    *length = 1;
    *close = "\"";
  } else if (rest.starts_with("„") || rest.starts_with("“")) {
    *length = 3;
    *close = "“";
  } else {
    return false;
  }
  return true;
}

// A quoted text or a run up to the next separator (a word stops before an operator as well, so
// that "ISO>100" reads as a comparison).
bool Parser::ReadValue(std::string& value, std::size_t& start) {
  start = at;
  std::size_t open = 0;
  std::string_view close;
  if (QuoteAt(at, &open, &close)) {
    const std::size_t end = text.find(close, at + open);
    // "„…”" and "“…”" close with the English closing quote too.
    const std::size_t other = close == "“" ? text.find("”", at + open) : std::string_view::npos;
    const std::size_t stop = std::min(end, other);
    if (stop == std::string_view::npos) return Fail("Anführungszeichen ohne Ende", at);
    value = std::string(text.substr(at + open, stop - at - open));
    at = stop + (stop == end ? close.size() : std::string_view("”").size());
    return true;
  }
  while (at < text.size() && !SeparatorAt(at)) ++at;
  value = std::string(text.substr(start, at - start));
  return true;
}

bool Parser::ParseCondition(Condition& condition) {
  const std::size_t start = at;
  std::size_t open = 0;
  std::string_view close;
  if (QuoteAt(at, &open, &close)) {
    std::string word;
    std::size_t valueStart = 0;
    if (!ReadValue(word, valueStart)) return false;
    condition.text = FoldName(word);
    return true;
  }
  Op op = Op::Contains;
  std::size_t length = 0;
  while (at < text.size() && !SeparatorAt(at) && !OperatorAt(at, &op, &length)) ++at;
  const std::string_view head = text.substr(start, at - start);
  std::size_t next = at;
  while (next < text.size() && IsSpace(text[next])) ++next;
  if (next >= text.size() || !OperatorAt(next, &op, &length)) {
    condition.text = FoldName(head);  // a word alone
    return true;
  }
  if (head.empty())
    return Fail("Vor „" + std::string(text.substr(next, length)) + "“ fehlt ein Merkmal", next);
  const FieldName* field = nullptr;
  const std::u32string folded = FoldName(head);
  for (const FieldName& candidate : kFields) {
    if (folded == FoldName(candidate.name)) field = &candidate;
  }
  if (field == nullptr) {
    return Fail("Unbekanntes Merkmal „" + std::string(head) +
                    "“; bekannt sind Bewertung, ISO, Blende, Brennweite, Belichtung, Datum, Uhrzeit, "
                    "Kamera, Objektiv, Stichwort und Name",
                start);
  }
  at = next + length;
  while (at < text.size() && IsSpace(text[at])) ++at;
  std::string value;
  std::size_t valueStart = at;
  if (!ReadValue(value, valueStart) || value.empty()) {
    if (!error.empty()) return false;
    return Fail(
        "Nach „" + std::string(head) + " " + std::string(text.substr(next, length)) + "“ fehlt ein Wert", at);
  }
  condition.field = field->field;
  condition.kind = field->kind;
  condition.op = op;
  condition.negate = op == Op::NotEqual;
  if (field->kind == Kind::Number) return NumberRange(op, value, valueStart, condition);
  if (field->kind == Kind::Moment) return MomentRange(op, value, valueStart, condition);
  if (op != Op::Contains && op != Op::Equal && op != Op::NotEqual) {
    return Fail(std::string(head) + " wird nur mit „:“, „=“ oder „!=“ verglichen", next);
  }
  condition.text = FoldName(value);
  return true;
}

// The number in a value as the columns write it: "2,8", "f/2.8", "85mm", "1/250", "1/250s".
std::optional<double> ValueNumber(std::string_view value) {
  std::string text;
  for (char c : value)
    text += c == ',' ? '.' : ((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
  std::string_view rest = text;
  if (rest.starts_with("f/")) {
    rest.remove_prefix(2);
  } else if (rest.starts_with("f")) {
    rest.remove_prefix(1);
  }
  if (rest.ends_with("mm")) {
    rest.remove_suffix(2);
  } else if (rest.ends_with("s")) {
    rest.remove_suffix(1);
  }
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) {
    const std::optional<double> number = ParseDecimalNumber(rest);
    if (number && std::isfinite(*number)) return number;
    return std::nullopt;
  }
  const std::optional<double> over = ParseDecimalNumber(rest.substr(0, slash));
  const std::optional<double> under = ParseDecimalNumber(rest.substr(slash + 1));
  if (!over || !under || *under == 0 || !std::isfinite(*over / *under)) return std::nullopt;
  return *over / *under;
}

bool DigitsOnly(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

int Digits(std::string_view text) {
  int value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

// "HH", "HH:MM", "HH:MM:SS": the first second of the time of day and its period's length.
bool TimePeriod(std::string_view text, double& first, double& length) {
  int parts[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    const std::size_t colon = text.find(':');
    const std::string_view part = text.substr(0, colon);
    if (part.size() < 1 || part.size() > 2 || !DigitsOnly(part)) return false;
    parts[count++] = Digits(part);
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
    if (count == 3) return false;
  }
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  first = parts[0] * 3600.0 + parts[1] * 60.0 + parts[2];
  length = count == 1 ? 3600.0 : (count == 2 ? 60.0 : 1.0);
  return true;
}

// "YYYY", "YYYY-MM", "YYYY-MM-DD" (with "T" and a time after it), "DD.MM.YYYY": the first second of
// the period as local wall seconds since 1970, and the period's length.
bool DatePeriod(std::string_view text, double& first, double& length) {
  std::string_view time;
  const std::size_t t = text.find_first_of("Tt");
  if (t != std::string_view::npos) {
    time = text.substr(t + 1);
    text = text.substr(0, t);
  }
  int year = 0;
  int month = 1;
  int day = 1;
  int given = 0;  // 1 year, 2 month, 3 day
  if (text.size() >= 8 && text.find('.') != std::string_view::npos) {
    const std::size_t dot1 = text.find('.');
    const std::size_t dot2 = text.find('.', dot1 + 1);
    if (dot2 == std::string_view::npos) return false;
    const std::string_view d = text.substr(0, dot1);
    const std::string_view m = text.substr(dot1 + 1, dot2 - dot1 - 1);
    const std::string_view y = text.substr(dot2 + 1);
    if (d.size() > 2 || m.size() > 2 || y.size() != 4 || !DigitsOnly(d) || !DigitsOnly(m) || !DigitsOnly(y)) {
      return false;
    }
    day = Digits(d);
    month = Digits(m);
    year = Digits(y);
    given = 3;
  } else {
    if (text.size() < 4 || !DigitsOnly(text.substr(0, 4))) return false;
    year = Digits(text.substr(0, 4));
    given = 1;
    if (text.size() > 4) {
      if (text.size() < 7 || text[4] != '-' || !DigitsOnly(text.substr(5, 2))) return false;
      month = Digits(text.substr(5, 2));
      given = 2;
    }
    if (text.size() > 7) {
      if (text.size() != 10 || text[7] != '-' || !DigitsOnly(text.substr(8, 2))) return false;
      day = Digits(text.substr(8, 2));
      given = 3;
    }
  }
  if (month < 1 || month > 12 || day < 1) return false;
  const std::int64_t days = DaysFromCivil(year, month, day);
  if (MomentOfSeconds(days * 86400).day != day) return false;  // 31 April and the like
  first = static_cast<double>(days) * 86400.0;
  if (given == 1) {
    length = static_cast<double>(DaysFromCivil(year + 1, 1, 1) - days) * 86400.0;
  } else if (given == 2) {
    length = static_cast<double>(DaysFromCivil(year, month + 1, 1) - days) * 86400.0;
  } else {
    length = 86400.0;
  }
  if (t != std::string_view::npos) {
    double second = 0;
    if (given != 3 || !TimePeriod(time, second, length)) return false;
    first += second;
  }
  return true;
}

bool Parser::Bounds(Op op, std::string_view value, std::size_t start, Condition& c,
                    const std::function<bool(std::string_view, std::size_t, double&, double&)>& period) {
  const std::size_t dots = value.find("..");
  if (dots != std::string_view::npos) {
    if (op != Op::Contains) return Fail("Ein Bereich „A..B“ steht nur nach „:“", start);
    double low = 0;
    double lowLength = 0;
    double high = 0;
    double highLength = 0;
    if (!period(value.substr(0, dots), start, low, lowLength) ||
        !period(value.substr(dots + 2), start + dots + 2, high, highLength)) {
      return false;
    }
    c.low = low;
    c.high = high + highLength;
    const bool empty = c.kind == Kind::Number ? c.low > c.high : c.low >= c.high;
    if (empty && c.field != Field::TimeOfDay) {
      return Fail("Der Bereich „" + std::string(value) + "“ ist leer: sein Anfang liegt nach seinem Ende",
                  start);
    }
    return true;
  }
  double first = 0;
  double length = 0;
  if (!period(value, start, first, length)) return false;
  switch (op) {
    case Op::Less:
      c.high = first;
      break;
    case Op::LessEqual:
      c.high = first + length;
      break;
    case Op::Greater:
      c.low = first + length;
      break;
    case Op::GreaterEqual:
      c.low = first;
      break;
    default:
      c.low = first;
      c.high = first + length;
      break;
  }
  return true;
}

// Numbers are points: a period of length 0 whose "high" end is included (see Inside).
bool Parser::NumberRange(Op op, std::string_view value, std::size_t start, Condition& c) {
  return Bounds(op, value, start, c,
                [&](std::string_view part, std::size_t where, double& first, double& length) {
                  const std::optional<double> number = ValueNumber(part);
                  if (!number) return Fail("„" + std::string(part) + "“ ist keine Zahl", where);
                  first = Shown(c.field, *number);
                  length = 0;
                  return true;
                });
}

bool Parser::MomentRange(Op op, std::string_view value, std::size_t start, Condition& c) {
  return Bounds(
      op, value, start, c, [&](std::string_view part, std::size_t where, double& first, double& length) {
        if (c.field == Field::TimeOfDay) {
          if (TimePeriod(part, first, length)) return true;
          return Fail("„" + std::string(part) + "“ ist keine Uhrzeit; erwartet wird HH, HH:MM oder HH:MM:SS",
                      where);
        }
        if (DatePeriod(part, first, length)) return true;
        return Fail("„" + std::string(part) +
                        "“ ist kein Datum; erwartet wird JJJJ-MM-TT, JJJJ-MM, JJJJ oder TT.MM.JJJJ, "
                        "auch mit Uhrzeit (JJJJ-MM-TTTHH:MM)",
                    where);
      });
}

std::optional<std::vector<Condition>> Parser::Run(std::string& message) {
  std::vector<Condition> conditions;
  if (text.size() > kMaxFilterBytes) {
    message = "Der Filter ist zu lang (höchstens " + std::to_string(kMaxFilterBytes) + " Zeichen).";
    return std::nullopt;
  }
  while (true) {
    while (at < text.size() && SeparatorAt(at)) ++at;
    if (at >= text.size()) break;
    if (conditions.size() == kMaxConditions) {
      Fail("Zu viele Bedingungen (höchstens " + std::to_string(kMaxConditions) + ")", at);
      break;
    }
    Condition condition;
    if (!ParseCondition(condition)) break;
    conditions.push_back(std::move(condition));
  }
  if (!error.empty()) {
    message = error;
    return std::nullopt;
  }
  return conditions;
}

std::optional<double> RecordNumber(const FolderRecord& record, Field field) {
  const auto widen = [](const auto& value) -> std::optional<double> {
    if (!value) return std::nullopt;
    return static_cast<double>(*value);
  };
  switch (field) {
    case Field::Rating:
      return widen(record.rating);
    case Field::Iso:
      return widen(record.iso);
    case Field::Aperture:
      return widen(record.fNumber);
    case Field::FocalLength:
      return widen(record.focalLength);
    case Field::Exposure:
      return widen(record.exposureTime);
    case Field::Taken:
      return widen(record.takenLocal);
    case Field::TimeOfDay:
      if (!record.takenLocal) return std::nullopt;
      return static_cast<double>(((*record.takenLocal % 86400) + 86400) % 86400);
    default:
      return std::nullopt;
  }
}

bool Contains(std::string_view haystack, const std::u32string& needle) {
  return FoldName(haystack).find(needle) != std::u32string::npos;
}

bool TextMatches(std::string_view value, const Condition& c) {
  if (c.op == Op::Contains) return Contains(value, c.text);
  return FoldName(value) == c.text;
}

// Whether the file's value lies in the condition's set, before "!=" turns it round.
bool Inside(const Condition& c, const FolderRecord& record, std::string_view fileName) {
  switch (c.kind) {
    case Kind::Word:
      if (Contains(fileName, c.text)) return true;
      for (const std::string& keyword : record.keywords) {
        if (Contains(keyword, c.text)) return true;
      }
      return false;
    case Kind::Text:
      if (c.field == Field::Keyword) {
        for (const std::string& keyword : record.keywords) {
          if (TextMatches(keyword, c)) return true;
        }
        return false;
      }
      if (c.field == Field::Name) return TextMatches(fileName, c);
      return TextMatches(c.field == Field::Camera ? record.camera : record.lens, c);
    case Kind::Number:
    case Kind::Moment: {
      std::optional<double> value = RecordNumber(record, c.field);
      if (!value) return false;
      if (c.kind == Kind::Number) {
        // Points: both ends included; "<" and ">" exclude the point itself.
        const double shown = Shown(c.field, *value);
        if (c.op == Op::Less) return shown < c.high;
        if (c.op == Op::Greater) return shown > c.low;
        return shown >= c.low && shown <= c.high;
      }
      // Periods: the first second included, the one after the last excluded.
      if (c.field == Field::TimeOfDay && c.low >= c.high) return *value >= c.low || *value < c.high;
      return *value >= c.low && *value < c.high;
    }
  }
  return false;
}

}  // namespace

FolderFilter::FolderFilter() : rules(std::make_shared<const Rules>()) {}
FolderFilter::~FolderFilter() = default;
FolderFilter::FolderFilter(const FolderFilter&) = default;
FolderFilter& FolderFilter::operator=(const FolderFilter&) = default;

std::optional<FolderFilter> FolderFilter::Parse(std::string_view text, std::string* message) {
  std::string error;
  std::optional<std::vector<Condition>> conditions = Parser(text).Run(error);
  if (!conditions) {
    if (message != nullptr) *message = error;
    return std::nullopt;
  }
  if (message != nullptr) message->clear();
  FolderFilter filter;
  auto rules = std::make_shared<Rules>();
  rules->conditions = std::move(*conditions);
  filter.rules = std::move(rules);
  return filter;
}

bool FolderFilter::Matches(const FolderRecord& record, std::string_view fileName) const {
  for (const Condition& condition : rules->conditions) {
    if (Inside(condition, record, fileName) == condition.negate) return false;
  }
  return true;
}

}  // namespace kelmarin
