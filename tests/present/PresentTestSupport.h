#pragma once
// Hand-made items and a German context for the formatter and listing tests.

#include <QLocale>
#include <QString>
#include <initializer_list>
#include <string>

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/Formatter.h"

namespace kelmarin::test {

inline QLocale German() {
  return QLocale(QLocale::German, QLocale::Germany);
}

inline ZetExif Numbers(std::int32_t tag, std::initializer_list<std::int64_t> values) {
  ZetExif item;
  item.tag = tag;
  item.typ = kTypNumbers;
  for (std::int64_t v : values) item.inhalt.emplace_back(v);
  return item;
}

inline ZetExif Texts(std::int32_t tag, std::initializer_list<std::string> values) {
  ZetExif item;
  item.tag = tag;
  item.typ = kTypTexts;
  for (const std::string& v : values) item.inhalt.emplace_back(v);
  return item;
}

// Bytes of a text as a number list.
inline ZetExif Bytes(std::int32_t tag, const std::string& bytes) {
  ZetExif item;
  item.tag = tag;
  item.typ = kTypNumbers;
  for (char c : bytes) item.inhalt.emplace_back(static_cast<std::int64_t>(static_cast<unsigned char>(c)));
  return item;
}

inline QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Definitions with one table entry per call; fmt is the display code.
class Tables {
 public:
  ExifTag& Main(std::int32_t tag, std::int32_t fmt, const std::string& name = "name") {
    return defs.AddTagDefinition(defs.mainTags, tag, 0, name, fmt);
  }
  ExifTag& Gps(std::int32_t tag, std::int32_t fmt, const std::string& name = "name") {
    return defs.AddTagDefinition(defs.gpsTags, tag, 0, name, fmt);
  }
  ExifTag& Thumbnail(std::int32_t tag, std::int32_t fmt, const std::string& name = "name") {
    return defs.AddTagDefinition(defs.thumbnailTags, tag, 0, name, fmt);
  }
  ExifTag& Makernote(std::int32_t maker, std::int32_t tag, std::int32_t fmt,
                     const std::string& name = "name") {
    ExifMakernote& note = defs.makernoteTable[maker];
    note.cameraid = maker;
    return defs.AddTagDefinition(note.exif_tags, tag, 0, name, fmt);
  }

  Definitions defs;
};

// One formatted value: the item, the display code of its tag's definition (-1: no definition at
// all) and the text expected.
struct Case {
  ZetExif item;
  std::int32_t code;
  const char* expected;
};

// Formats each case's item in the section with definitions holding only its tag, and compares.
inline void ExpectTexts(const FormatContext& context, std::int32_t section,
                        std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    Tables tables;
    if (c.code >= 0) {
      TagTable& table = section == kSectionGps         ? tables.defs.gpsTags
                        : section == kSectionThumbnail ? tables.defs.thumbnailTags
                                                       : tables.defs.mainTags;
      tables.defs.AddTagDefinition(table, c.item.tag, 0, "name", c.code);
    }
    EXPECT_EQ(FormatValue(tables.defs, context, 0, c.item, section).toStdString(), c.expected)
        << "tag " << c.item.tag << " code " << c.code;
  }
}

}  // namespace kelmarin::test
