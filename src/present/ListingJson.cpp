#include "present/ListingJson.h"

#include "extract/ImageMetadata.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendSectionsJson(std::string& out, const std::vector<ListingRow>& rows) {
  out += '[';
  bool open = false;
  bool firstItem = true;
  for (const ListingRow& row : rows) {
    if (row.kind == RowKind::Header) {
      out += open ? "]},{" : "{";
      out += "\"section\":" + std::to_string(row.section) + ",\"title\":";
      AppendJsonString(out, row.label);
      out += ",\"items\":[";
      open = true;
      firstItem = true;
    } else if (row.kind == RowKind::Item && open) {
      if (!firstItem) out += ',';
      firstItem = false;
      out += "{\"tag\":" + std::to_string(row.tagNumber);
      if (row.directory != 0) out += ",\"directory\":" + std::to_string(row.directory);
      if (row.position != 0) out += ",\"position\":" + std::to_string(row.position);
      out += ',';
      AppendJsonTexts(out, {{"label", row.label}, {"information", row.information}, {"raw", row.raw}});
      out += '}';
    }
  }
  if (open) out += "]}";
  out += ']';
}

}  // namespace

void AppendMetadataJson(std::string& out, const MetadataListing& listing) {
  AppendJsonKey(out, "maker");
  out += std::to_string(listing.maker) + ',';
  AppendJsonKey(out, "sections");
  AppendSectionsJson(out, listing.rows);
  out += ',';
  AppendJsonKey(out, "iptc");
  out += '[';
  for (std::size_t i = 0; i < listing.iptc.size(); ++i) {
    out += i > 0 ? ",{" : "{";
    AppendJsonKey(out, "dataset");
    out += std::to_string(listing.iptc[i].first) + ',';
    AppendJsonKey(out, "value");
    AppendJsonString(out, listing.iptc[i].second);
    out += '}';
  }
  out += "],";
  AppendJsonKey(out, "comments");
  out += '[';
  for (std::size_t i = 0; i < listing.comments.size(); ++i) {
    out += i > 0 ? ",{" : "{";
    AppendJsonTexts(out, {{"key", listing.comments[i].first}, {"value", listing.comments[i].second}});
    out += '}';
  }
  out += "],";
  AppendXmpJson(out, listing.xmp);
  AppendIccJson(out, listing.icc);
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20) {
          out += "\\u00";
          out += kHex[u >> 4];
          out += kHex[u & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendJsonKey(std::string& out, std::string_view key) {
  out += '"';
  out += key;
  out += "\":";
}

void AppendJsonTexts(std::string& out,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> members) {
  std::string_view separator;
  for (const auto& [key, text] : members) {
    out += separator;
    separator = ",";
    AppendJsonKey(out, key);
    AppendJsonString(out, text);
  }
}

std::string MetadataJsonDocument(std::string_view fileUtf8, const MetadataListing& listing) {
  std::string out = "[{";
  AppendJsonTexts(out, {{"file", fileUtf8}});
  out += ',';
  AppendMetadataJson(out, listing);
  AppendJsonKey(out, "error");
  out += "null}]\n";
  return out;
}

void FillIptcAndComments(const ImageMetadata& metadata, MetadataListing& listing) {
  listing.maker = metadata.camera_id;
  for (std::int32_t i = 1; i <= metadata.IptcCount(); ++i) {
    const ZetIPTC* item = metadata.IptcPos(i);
    if (item) listing.iptc.emplace_back(item->tag, ImageText(item->inhalt));
  }
  for (std::int32_t i = 1; i <= metadata.ImageCommentCount(); ++i) {
    const ImageComment* comment = metadata.ImageCommentPos(i);
    if (comment) listing.comments.emplace_back(ImageText(comment->key), ImageText(comment->inhalt));
  }
  if (const MetadataSource* source = metadata.Source()) listing.icc = IccEntries(*source);
}

}  // namespace kelmarin
