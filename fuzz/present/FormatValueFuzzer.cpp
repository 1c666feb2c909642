// FormatValue and the listing rows over arbitrary items: any tag (the special ones favoured), any
// display code, any value kind, numbers of the whole 64-bit range, texts of any bytes, any
// focal-length factor, four locales; the IPTC date and time reading over the texts.
#include <cstdint>
#include <cstring>
#include <span>

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/DateText.h"
#include "present/Formatter.h"
#include "present/Listing.h"

namespace {

using namespace kelmarin;

class Input {
 public:
  explicit Input(std::span<const std::uint8_t> data) : bytes(data) {}
  bool Empty() const { return at >= bytes.size(); }
  std::uint8_t Byte() { return Empty() ? 0 : bytes[at++]; }
  template <typename T>
  T Value() {
    T v{};
    std::uint8_t raw[sizeof(T)] = {};
    for (auto& b : raw) b = Byte();
    std::memcpy(&v, raw, sizeof(T));
    return v;
  }
  std::string Text() {
    std::string s;
    for (std::size_t n = Byte(); n > 0 && !Empty(); --n) s += static_cast<char>(Byte());
    return s;
  }

 private:
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

constexpr std::int32_t kTags[] = {0,     2,     4,     20,    22,    33432, 33434, 33437, 36864, 37121,
                                  37377, 37378, 37381, 37386, 37510, 40960, 50341, 306,   271,   7};
constexpr std::int32_t kCodes[] = {0, 1, 2, 3, 10, 11, 12, 13, 14, 4, -1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(std::span<const std::uint8_t>(data, size));
  // German; the C forms; a narrow no-break space between thousands; digits, signs and a time form
  // of a locale written right to left, with names and day periods.
  static const TextLocale locales[] = {
      TextLocale(),
      [] {
        TextLocale c;
        c.decimalPoint = ".";
        c.groupSeparator = ",";
        c.shortDateFormat = "d MMM yyyy";
        return c;
      }(),
      [] {
        TextLocale french;
        french.groupSeparator = "\u202F";
        french.shortDateFormat = "dd/MM/yyyy";
        return french;
      }(),
      [] {
        TextLocale arabic;
        arabic.decimalPoint = "\u066B";
        arabic.zeroDigit = "\u0660";
        arabic.minusSign = "\u061C-";
        arabic.exponential = "\u0623\u0633";
        arabic.shortDateFormat = "d\u200F/M\u200F/yyyy";
        arabic.longTimeFormat = "h:mm:ss AP 'Uhr'";
        return arabic;
      }()};
  const std::int32_t section = in.Byte() % 6;
  const std::uint8_t tagChoice = in.Byte();
  ZetExif item;
  item.tag = tagChoice < 200 ? kTags[tagChoice % std::size(kTags)] : in.Value<std::int32_t>();
  const std::int32_t code = kCodes[in.Byte() % std::size(kCodes)];
  const std::uint8_t kind = in.Byte();
  item.typ = kind < 120 ? kTypNumbers : kind < 240 ? kTypTexts : static_cast<std::int32_t>(kind);
  const TextLocale& locale = locales[in.Byte() % 4];
  const double feq = in.Value<double>();
  while (!in.Empty() && item.inhalt.size() < 300) {
    const std::uint8_t what = in.Byte();
    if (what % 3 == 0) {
      item.inhalt.emplace_back(in.Value<std::int64_t>());
    } else if (what % 3 == 1) {
      item.inhalt.emplace_back(static_cast<std::int64_t>(in.Byte()));
    } else {
      std::string text = in.Text();
      // IPTC dates and times are read from any stored text.
      (void)IptcDateText((what & 8) != 0 ? 47 : 60, text, locale);
      item.inhalt.emplace_back(std::move(text));
    }
  }

  Definitions definitions;
  TagTable* table = section == kSectionGps ? &definitions.gpsTags
                    : section == kSectionThumbnail ? &definitions.thumbnailTags
                                                   : &definitions.mainTags;
  ExifTag& tag = definitions.AddTagDefinition(*table, item.tag, 0, "Name", code);
  tag.addnice(static_cast<std::int32_t>(item.inhalt.size()), "Wert");
  ExifMakernote& note = definitions.makernoteTable[4];
  note.cameraid = 4;
  definitions.AddTagDefinition(note.exif_tags, item.tag, 0, "Hersteller", code);
  // Single values of the list (signed readings included) and a sub-directory of the same tag.
  const std::int32_t far = static_cast<std::int32_t>(item.inhalt.size());
  // 18, 19, 20: numbers of several bytes of a byte list (big-endian words, signed big-endian and
  // little-endian 16-bit numbers); 21: a text inside a byte list.
  const std::int32_t farCode = (kind & 2) != 0 ? 18 + (kind >> 2) % 4 : code;
  for (const auto& [position, positionCode] : {std::pair{1, 16}, std::pair{2, 17}, std::pair{far, farCode}}) {
    if (position < 1 || table->contains(TagKey(item.tag, position))) continue;
    definitions.AddTagDefinition(*table, item.tag, position, "Wert", positionCode).addnice(-1, "minus eins");
    definitions.AddTagDefinition(note.exif_tags, item.tag, position, "Wert", positionCode);
  }
  definitions.AddTagDefinition(note.directories[0x2010], item.tag, 0, "Im Verzeichnis", code);
  definitions.AddTagDefinition(note.directories[0x2010], item.tag, 1, "Erster", 16);
  definitions.LinkPositions();
  item.directory = (kind & 1) != 0 ? 0x2010 : 0;

  FormatContext context = MakeFormatContext(locale, feq);
  (void)FormatValue(definitions, context, section == kSectionMakernote ? 4 : 0, item, section);

  ImageMetadata image;
  image.camera_feq = feq;
  image.camera_id = 4;
  if (ZetExif* added =
          image.ExifAdd(section == 0 || section == 5 ? kSectionMain : section, item.tag, item.typ, item.inhalt)) {
    added->directory = item.directory;
  }
  (void)FillMetadataList(definitions, image, context);
  return 0;
}
