#include "present/IccListing.h"

#include <array>
#include <cstdio>
#include <utility>

#include "present/ListingJson.h"

namespace kelmarin {

namespace {

template <typename Code>
const char* NameOf(std::span<const std::pair<Code, const char*>> names, Code code) {
  for (const auto& [known, name] : names) {
    if (known == code) return name;
  }
  return nullptr;
}

// ICC.1:2022, 7.2.5 profile/device class.
std::string ClassText(std::uint32_t signature) {
  static constexpr std::array<std::pair<std::uint32_t, const char*>, 7> kNames = {{
      {0x73636E72, "Eingabegerät"},
      {0x6D6E7472, "Monitor"},
      {0x70727472, "Ausgabegerät"},
      {0x6C696E6B, "Geräteverknüpfung"},
      {0x73706163, "Farbraumumwandlung"},
      {0x61627374, "Abstrakt"},
      {0x6E6D636C, "Benannte Farben"},
  }};
  const char* name = NameOf<std::uint32_t>(kNames, signature);
  return name != nullptr ? name : SignatureText(signature);
}

std::string SpaceText(std::uint32_t signature) {
  if (signature == 0x47524159) return "Grau";  // 'GRAY'
  return SignatureText(signature);
}

std::string IntentText(std::uint32_t intent) {
  static constexpr std::array<std::pair<std::uint32_t, const char*>, 4> kNames = {{
      {0, "Perzeptiv"},
      {1, "Relativ farbmetrisch"},
      {2, "Sättigung"},
      {3, "Absolut farbmetrisch"},
  }};
  const char* name = NameOf<std::uint32_t>(kNames, intent);
  return name != nullptr ? name : std::to_string(intent);
}

// ICC.1, 7.2.4: major version in the first byte, minor and bug-fix version in the second's nibbles.
std::string VersionText(std::uint32_t encoded) {
  return std::to_string(encoded >> 24) + '.' + std::to_string((encoded >> 20) & 15) + '.' +
         std::to_string((encoded >> 16) & 15);
}

std::string DateText(const IccDate& d, bool iso) {
  char text[48];
  if (iso) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
  } else {
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour,
                  d.minute, d.second);
  }
  return text;
}

// ITU-T H.273 code points as they are commonly named.
std::string NclxText(const NclxColour& nclx) {
  static constexpr std::array<std::pair<std::uint16_t, const char*>, 9> kPrimaries = {{
      {1, "BT.709 (sRGB)"},
      {2, "nicht angegeben"},
      {4, "BT.470 M"},
      {5, "BT.601 625"},
      {6, "BT.601 525"},
      {9, "BT.2020"},
      {10, "XYZ"},
      {11, "DCI-P3"},
      {12, "Display P3"},
  }};
  static constexpr std::array<std::pair<std::uint16_t, const char*>, 8> kTransfer = {{
      {1, "BT.709"},
      {2, "nicht angegeben"},
      {6, "BT.601"},
      {8, "linear"},
      {13, "sRGB"},
      {14, "BT.2020"},
      {16, "PQ"},
      {18, "HLG"},
  }};
  static constexpr std::array<std::pair<std::uint16_t, const char*>, 6> kMatrix = {{
      {0, "RGB"},
      {1, "BT.709"},
      {2, "nicht angegeben"},
      {5, "BT.601"},
      {6, "BT.601"},
      {9, "BT.2020"},
  }};
  const auto named = [](auto names, std::uint16_t code) {
    const char* name = NameOf<std::uint16_t>(names, code);
    return name != nullptr ? std::string(name) : std::to_string(code);
  };
  return "Primärvalenzen " + named(std::span(kPrimaries), nclx.primaries) + ", Übertragung " +
         named(std::span(kTransfer), nclx.transfer) + ", Matrix " + named(std::span(kMatrix), nclx.matrix) +
         (nclx.fullRange ? ", voller Bereich" : ", begrenzter Bereich");
}

void AddFacts(const IccFacts& facts, std::vector<IccEntry>& entries) {
  const auto add = [&](const char* key, const char* label, std::string information, std::string raw,
                       bool number = false) {
    entries.push_back({key, label, std::move(information), std::move(raw), number});
  };
  if (!facts.description.empty()) add("description", "Beschreibung", facts.description, facts.description);
  add("class", "Geräteklasse", ClassText(facts.deviceClass), SignatureText(facts.deviceClass));
  add("colorSpace", "Farbraum", SpaceText(facts.colourSpace), SignatureText(facts.colourSpace));
  add("pcs", "Verbindungsfarbraum", SpaceText(facts.pcs), SignatureText(facts.pcs));
  add("version", "Version", VersionText(facts.version), VersionText(facts.version));
  add("intent", "Wiedergabeabsicht", IntentText(facts.intent), std::to_string(facts.intent), true);
  if (facts.creator != 0)
    add("creator", "Ersteller", SignatureText(facts.creator), SignatureText(facts.creator));
  if (facts.date) add("date", "Datum", DateText(*facts.date, false), DateText(*facts.date, true));
  if (!facts.copyright.empty()) add("copyright", "Copyright", facts.copyright, facts.copyright);
  add("size", "Größe", std::to_string(facts.size) + " Bytes", std::to_string(facts.size), true);
}

const char* ProblemText(IccDamage damage) {
  switch (damage) {
    case IccDamage::MissingPart:
      return "Farbprofil unvollständig: ein APP2-Segment fehlt";
    case IccDamage::Inconsistent:
      return "Farbprofil beschädigt: die APP2-Segmente passen nicht zueinander";
    case IccDamage::None:
      break;
  }
  return "Farbprofil nicht lesbar";
}

}  // namespace

std::vector<IccEntry> IccEntries(const EmbeddedIcc& profile, const NclxColour* nclx) {
  std::vector<IccEntry> entries;
  if (profile.damage != IccDamage::None || !profile.bytes.empty()) {
    const std::optional<IccFacts> facts =
        profile.damage == IccDamage::None ? ReadIccFacts(profile.bytes) : std::nullopt;
    if (facts) {
      AddFacts(*facts, entries);
    } else {
      const char* text = ProblemText(profile.damage);
      entries.push_back({"problem", "Hinweis", text, text, false});
    }
  }
  if (nclx != nullptr) {
    const std::string raw = std::to_string(nclx->primaries) + '/' + std::to_string(nclx->transfer) + '/' +
                            std::to_string(nclx->matrix) + '/' + (nclx->fullRange ? '1' : '0');
    entries.push_back({"nclx", "Farbangaben (nclx)", NclxText(*nclx), raw, false});
  }
  return entries;
}

std::vector<IccEntry> IccEntries(const MetadataSource& source) {
  return IccEntries(EmbeddedIccProfile(source), source.nclx ? &*source.nclx : nullptr);
}

std::vector<ListingRow> IccRows(const std::vector<IccEntry>& entries) {
  std::vector<ListingRow> rows;
  if (entries.empty()) return rows;
  AppendSectionTitle(rows, kSectionColourProfile, "Farbprofil");
  for (const IccEntry& entry : entries) {
    rows.push_back(TextItemRow(kSectionColourProfile, entry.key, entry.label, entry.information, entry.raw));
  }
  return rows;
}

void AppendIccJson(std::string& out, const std::vector<IccEntry>& entries) {
  if (entries.empty()) return;
  out += "\"icc\":{";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) out += ',';
    AppendJsonString(out, entries[i].key);
    out += ':';
    if (entries[i].number) {
      out += entries[i].raw;
    } else {
      AppendJsonString(out, entries[i].raw);
    }
  }
  out += "},";
}

}  // namespace kelmarin
