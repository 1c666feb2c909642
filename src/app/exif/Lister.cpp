#include "Lister.h"

#include <QFileInfo>
#include <exception>
#include <new>
#include <optional>

#include "FileListing.h"
#include "ImageModule.h"
#include "Output.h"
#include "browser/core/FormatTable.h"
#include "image/meta/MetadataOnly.h"
#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {

void AppendRowText(std::string& out, const ListingRow& row) {
  AppendEscapedText(out, row.tag);
  out += '\t';
  AppendEscapedText(out, row.label);
  out += '\t';
  AppendEscapedText(out, row.information);
  out += '\t';
  AppendEscapedText(out, row.raw);
  out += '\n';
}

void AppendMetadataText(std::string& out, const MetadataListing& listing) {
  for (const ListingRow& row : listing.rows) AppendRowText(out, row);
}

void AppendInfoText(std::string& out, const InfoLabels& labels) {
  for (const QString* text :
       {&labels.name, &labels.modified, &labels.size, &labels.dimensions, &labels.loadtime}) {
    AppendEscapedText(out, *text);
    out += '\n';
  }
}

void AppendKey(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void AppendError(std::string& out, const std::optional<std::int32_t>& error) {
  AppendKey(out, "error");
  out += error ? std::to_string(*error) : std::string("null");
}

void AppendInfoJson(std::string& out, const InfoLabels& labels) {
  const std::pair<const char*, const QString*> fields[] = {{"name", &labels.name},
                                                           {"modified", &labels.modified},
                                                           {"size", &labels.size},
                                                           {"dimensions", &labels.dimensions},
                                                           {"loadtime", &labels.loadtime}};
  for (const auto& [key, text] : fields) {
    AppendKey(out, key);
    AppendJsonString(out, *text);
    out += ',';
  }
}

void ReportFailure(std::FILE* err, std::int32_t number, const std::string& path) {
  const std::string line = "Fehler " + std::to_string(number) + ": " + path + "\n";
  std::fwrite(line.data(), 1, line.size(), err);
}

void ReportNoModule(std::FILE* err, const ImageModule& module) {
  const std::string line = "kelmarin-exif: " + module.problem() + "\n";
  std::fwrite(line.data(), 1, line.size(), err);
}

// The image module is loaded before any output when it is sure to be needed: for --info, or for a
// file whose extension names a format only the full image layer reads. Files of such formats
// without that extension load it when they come.
bool ModuleNeededFromTheStart(const ListerOptions& options) {
  if (options.info) return true;
  for (const std::string& path : options.files) {
    if (codec::NeedsFullImageLayer(TypeCodeForFileName(path))) return true;
  }
  return false;
}

}  // namespace

int ListFiles(const ListerOptions& options, const Definitions& definitions, const QLocale& locale,
              std::FILE* out, std::FILE* err) {
  ImageModule module;
  if (ModuleNeededFromTheStart(options) && !module.Load()) {
    ReportNoModule(err, module);
    return kExitCannotStart;
  }
  Output output(out);
  std::string& buffer = output.Buffer();
  const FormatContext context = MakeFormatContext(locale, 1.0);
  ListingCache cache;
  bool anyFailed = false;
  if (options.json) buffer += '[';
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    const std::string& path = options.files[i];
    std::optional<std::int32_t> error;
    MetadataListing listing;
    InfoLabels labels;
    if (options.info) {
      error = ReadInfo(path, definitions, locale, module, labels);
    } else {
      error = ReadMetadataListing(path, definitions, context, cache, module, listing);
    }
    if (error == kNoImageModule) {
      output.Flush();
      ReportNoModule(err, module);
      return kExitCannotStart;
    }
    if (error) {
      anyFailed = true;
      ReportFailure(err, *error, path);
    }
    if (options.json) {
      if (i > 0) buffer += ',';
      buffer += '{';
      AppendKey(buffer, "file");
      AppendJsonString(buffer, BytesToUtf8(path));
      buffer += ',';
      if (!error && options.info) AppendInfoJson(buffer, labels);
      if (!error && !options.info) AppendMetadataJson(buffer, listing);
      AppendError(buffer, error);
      buffer += '}';
    } else if (!error) {
      buffer += "# ";
      AppendEscapedPath(buffer, path);
      buffer += '\n';
      if (options.info) {
        AppendInfoText(buffer, labels);
      } else {
        AppendMetadataText(buffer, listing);
      }
    }
    output.MaybeFlush();
  }
  if (options.json) buffer += "]\n";
  output.Flush();
  return anyFailed || output.Failed() ? kExitFileFailed : kExitOk;
}

}  // namespace kelmarin::lister
