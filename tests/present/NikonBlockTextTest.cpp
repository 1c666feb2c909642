// Nikon's binary blocks (and Panasonic's face counts) as the window shows them with the shipped
// definition file: ISO codes as ISO speeds, flash compensations in EV, bit fields and codes by
// their names. Stored bytes -> rows.
#include <gtest/gtest.h>

#include <QLocale>
#include <memory>
#include <string>

#include "../metadata/RecordingReporter.h"
#include "MakernoteSamples.h"
#include "extract/ImageMetadata.h"
#include "extract/MetadataSource.h"
#include "metadata/Definitions.h"
#include "present/Formatter.h"
#include "present/Listing.h"
#include "present/TextLocale.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;

const Definitions& Tables() { return ShippedDefinitions(); }

// The makernote rows of the block's directory, or (directory 0) the sub-rows of list values
// ("tag|label|shown", separated by "; ").
std::string Rows(const std::vector<std::uint8_t>& app1, std::int32_t directory) {
  auto source = std::make_shared<MetadataSource>();
  source->markers.push_back({0xE1, app1});
  const ImageMetadata metadata = ReadMetadata(4, source, &Tables());
  const TextLocale german = TextLocaleOf(QLocale(QLocale::German, QLocale::Germany));
  std::string text;
  for (const ListingRow& row : FillMetadataList(Tables(), metadata, MakeFormatContext(german, 1.0))) {
    if (row.section != kSectionMakernote || row.directory != directory) continue;
    if (directory == 0 && row.tag.find('.') == std::string::npos) continue;
    if (!text.empty()) text += "; ";
    text += row.tag + '|' + row.label + '|' + row.information;
  }
  return text;
}

std::string BlockRows(ByteOrder order, std::uint16_t tag, const std::string& block) {
  return Rows(test::NikonBlocksApp1(order, {{tag, block}}, "4012345", 395), tag);
}

TEST(NikonBlockText, ShownWithTheShippedDefinitions) {
  const std::pair<std::uint16_t, std::string> blocks[] = {
      {0x0025, "\x54\x01\x0C\0\x01\x04\x3C\0\0\0\x02\x01"s},
      {0x0088, "\x01\x00\x00\x04"s},
      {0x00A8, "0102\x02\0\0\0\x05\x81\xF7\0\0\0\0\x01\x04\x35\xFA\x06\x00"s},
      {0x00B9, "\x03\xFF\xFE\x02"s},
  };
  const char* const shown[] = {
      "37:0|ISO-Empfindlichkeit|400; 37:4|ISO-Erweiterung|Hi 1.0; 37:6|ISO-Empfindlichkeit (2)|100; "
      "37:10|ISO-Erweiterung (2)|Lo 0.3",
      "136:0|AF-Messfeldsteuerung|dynamisch; 136:1|AF-Messfeld|Mitte; 136:2|AF-Messfelder im Fokus|unten",
      "168:0|Blitzdaten-Version|0102; 168:1|Blitzquelle|eingebaut; 168:2|Firmware des externen Blitzes|nicht verfügbar; "
      "168:3|Zustand des externen Blitzes|ausgelöst und indirekt; 168:4|Master-Steuerung|ein; "
      "168:5|Blitzsteuerung|i-TTL-Aufhellblitz; 168:6|Blitzbelichtungskorrektur (LW)|1.5; "
      "168:7|Brennweite des Blitzes (mm)|keine Angabe; 168:8|Frequenz des Stroboskopblitzes (Hz)|keine Angabe; "
      "168:9|Anzahl der Stroboskopblitze|keine Angabe; 168:10|Entfernung für die Leitzahl|0.1 m; "
      "168:12|Blitzgruppe A Steuerung|automatisch; 168:13|Blitzgruppe B Steuerung|Blendenautomatik; "
      "168:14|Blitzgruppe C Steuerung|Leitzahl (Entfernungspriorität); 168:15|Blitzgruppe A Korrektur (LW)|1; "
      "168:16|Blitzgruppe B Korrektur (LW)|-1; 168:17|Blitzgruppe C Korrektur (LW)|0",
      "185:0|AF-Feinabstimmung|ein (Zoom); 185:1|AF-Feinabstimmung Speicherplatz|nicht zutreffend; "
      "185:2|AF-Feinabstimmung Anpassung|-2; 185:3|AF-Feinabstimmung Anpassung (Tele)|2",
  };
  for (std::size_t i = 0; i < std::size(blocks); ++i)
    EXPECT_EQ(BlockRows(ByteOrder::BigEndian, blocks[i].first, blocks[i].second), shown[i]) << i;
}

// Panasonic's face blocks: their first 16-bit number (little-endian) as a sub-row.
TEST(PanasonicBlockText, FaceCounts) {
  const std::string note = "Panasonic\0\0\0"
                           "\x02\0"
                           "\x4E\0\x07\0\x04\0\0\0\x03\x01\x09\0"
                           "\x61\0\x07\0\x04\0\0\0\x02\0\0\0"
                           "\0\0\0\0"s;
  EXPECT_EQ(Rows(test::PlainMakernoteApp1(ByteOrder::LittleEndian, "Panasonic", note), 0),
            "78.1|Zahl der Gesichtspositionen|259; 97.1|Zahl der wiedererkannten Gesichter|2");
}

}  // namespace
}  // namespace kelmarin
