// The "summary" member of the lister's JSON: values as plain numbers and ISO texts, then each
// line's rows.
#include <charconv>

#include "present/ListingJson.h"
#include "present/Summary.h"

namespace kelmarin {

namespace {

// The shortest text that reads back as the same double, with a point whatever the locale.
void AppendNumber(std::string& out, double value) {
  char text[48];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

}  // namespace

void AppendSummaryJson(std::string& out, const PhotoSummary& summary) {
  out += "\"summary\":{";
  const std::size_t start = out.size();
  const auto text = [&](const char* key, const std::optional<std::string>& value) {
    if (!value) return;
    AppendJsonKey(out, key);
    AppendJsonString(out, *value);
    out += ',';
  };
  const auto number = [&](const char* key, const std::optional<double>& value) {
    if (!value) return;
    AppendJsonKey(out, key);
    AppendNumber(out, *value);
    out += ',';
  };
  const auto whole = [&](const char* key, const std::optional<std::int32_t>& value) {
    if (!value) return;
    AppendJsonKey(out, key);
    out += std::to_string(*value);
    out += ',';
  };
  text("camera", summary.camera);
  text("lens", summary.lens);
  number("exposureTime", summary.exposureTime);
  number("fNumber", summary.fNumber);
  number("iso", summary.iso);
  number("exposureBias", summary.exposureBias);
  number("focalLength", summary.focalLength);
  number("focalLength35", summary.focalLength35);
  text("taken", summary.taken);
  text("offset", summary.offset);
  text("offsetSource", summary.offsetSource);
  text("utc", summary.utc);
  number("latitude", summary.latitude);
  number("longitude", summary.longitude);
  number("altitude", summary.altitude);
  whole("width", summary.width);
  whole("height", summary.height);
  whole("rating", summary.rating);
  text("label", summary.label);
  text("title", summary.title);
  if (!summary.keywords.empty()) {
    AppendJsonKey(out, "keywords");
    out += '[';
    for (std::size_t i = 0; i < summary.keywords.size(); ++i) {
      if (i > 0) out += ',';
      AppendJsonString(out, summary.keywords[i]);
    }
    out += "],";
  }
  text("profile", summary.profile);
  if (!summary.lines.empty()) {
    AppendJsonKey(out, "from");
    out += '{';
    for (std::size_t i = 0; i < summary.lines.size(); ++i) {
      const SummaryLine& line = summary.lines[i];
      if (i > 0) out += ',';
      AppendJsonString(out, line.key);
      out += ":[";
      for (std::size_t k = 0; k < line.from.size(); ++k) {
        if (k > 0) out += ',';
        out += "{\"section\":" + std::to_string(line.from[k].section) + ",\"tag\":";
        AppendJsonString(out, line.from[k].tag);
        out += '}';
      }
      out += ']';
    }
    out += "},";
  }
  if (out.size() > start) out.pop_back();  // the last comma inside the object
  out += "},";
}

}  // namespace kelmarin
