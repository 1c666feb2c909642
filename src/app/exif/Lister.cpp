#include "Lister.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "FileListing.h"
#include "ImageModule.h"
#include "Output.h"
#include "browser/core/FormatTable.h"
#include "image/meta/MetadataOnly.h"
#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {

// Error number of a file whose listing ran out of memory (codec code 4).
constexpr std::int32_t kNoMemoryNumber = 1004;

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
  for (const std::string* text :
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
  const std::pair<const char*, const std::string*> fields[] = {{"name", &labels.name},
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

// What one thread needs of its own to read files: the formatting context and the label cache.
struct Reader {
  FormatContext context;
  ListingCache cache;
};

// One file's share of the output (its text block or JSON object, without a separator) and its
// error number.
struct FileOutput {
  std::optional<std::int32_t> error;
  std::string text;
};

void Render(const ListerOptions& options, const std::string& path, const MetadataListing* listing,
            const InfoLabels* labels, FileOutput& file) {
  std::string& out = file.text;
  if (options.json) {
    out += '{';
    AppendKey(out, "file");
    AppendJsonString(out, BytesToUtf8(path));
    out += ',';
    if (!file.error && labels != nullptr) AppendInfoJson(out, *labels);
    if (!file.error && listing != nullptr) AppendMetadataJson(out, *listing);
    AppendError(out, file.error);
    out += '}';
  } else if (!file.error) {
    out += "# ";
    AppendEscapedPath(out, path);
    out += '\n';
    if (labels != nullptr) AppendInfoText(out, *labels);
    if (listing != nullptr) AppendMetadataText(out, *listing);
  }
}

// Reads and renders one file. Without a module, a file that needs it is left for a second read
// (error kNeedsImageModule); kNoImageModule leaves the text empty as well.
FileOutput ReadFile(const ListerOptions& options, const std::string& path, const Definitions& definitions,
                    const TextLocale& locale, Reader& reader, ImageModule* module) {
  FileOutput file;
  try {
    MetadataListing listing;
    InfoLabels labels;
    if (options.info) {
      file.error = ReadInfo(path, definitions, locale, *module, labels);
    } else {
      file.error = ReadMetadataListing(path, definitions, reader.context, reader.cache, module, listing);
    }
    if (file.error == kNoImageModule || file.error == kNeedsImageModule) return file;
    Render(options, path, options.info ? nullptr : &listing, options.info ? &labels : nullptr, file);
  } catch (const std::bad_alloc&) {
    file = FileOutput{kNoMemoryNumber, {}};
    Render(options, path, nullptr, nullptr, file);
  }
  return file;
}

// Files are read in batches: all threads read the files of one batch, then the batch is written in
// the given order. Memory therefore stays that of one batch, whatever the number of files.
constexpr std::size_t kBatch = 64;
constexpr unsigned kMaxThreads = 8;

// Metadata listings are read on every core (at least two threads, so that the parallel path is the
// one every run of many files takes); --info loads stay one after the other, as their load times
// are part of the output.
unsigned ThreadCount(const ListerOptions& options) {
  if (options.info || options.files.size() < 2) return 1;
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<std::size_t>({cores, kMaxThreads, options.files.size()}));
}

void ReadBatch(const ListerOptions& options, std::size_t first, const Definitions& definitions,
               const TextLocale& locale, std::vector<Reader>& readers, ImageModule& module,
               std::vector<FileOutput>& batch) {
  if (readers.size() == 1) {
    for (std::size_t k = 0; k < batch.size(); ++k)
      batch[k] = ReadFile(options, options.files[first + k], definitions, locale, readers[0], &module);
    return;
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&](Reader& reader) {
    for (std::size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < batch.size();)
      batch[k] = ReadFile(options, options.files[first + k], definitions, locale, reader, nullptr);
  };
  std::vector<std::thread> helpers;
  try {
    for (std::size_t t = 1; t < readers.size(); ++t) helpers.emplace_back(work, std::ref(readers[t]));
  } catch (const std::system_error&) {
    // No further thread to be had: the threads started so far and this one read the batch.
  }
  work(readers[0]);
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace

int ListFiles(const ListerOptions& options, const Definitions& definitions, const TextLocale& locale,
              ImageModule& module, std::FILE* out, std::FILE* err) {
  if (ModuleNeededFromTheStart(options) && !module.Load()) {
    ReportNoModule(err, module);
    return kExitCannotStart;
  }
  Output output(out);
  std::string& buffer = output.Buffer();
  std::vector<Reader> readers(ThreadCount(options), Reader{MakeFormatContext(locale, 1.0), {}});
  std::vector<FileOutput> batch;
  bool anyFailed = false;
  if (options.json) buffer += '[';
  for (std::size_t first = 0; first < options.files.size(); first += kBatch) {
    batch.assign(std::min(kBatch, options.files.size() - first), FileOutput{});
    ReadBatch(options, first, definitions, locale, readers, module, batch);
    for (std::size_t k = 0; k < batch.size(); ++k) {
      const std::string& path = options.files[first + k];
      FileOutput& file = batch[k];
      // The image module is used from this thread only.
      if (file.error == kNeedsImageModule)
        file = ReadFile(options, path, definitions, locale, readers[0], &module);
      if (file.error == kNoImageModule) {
        output.Flush();
        ReportNoModule(err, module);
        return kExitCannotStart;
      }
      if (file.error) {
        anyFailed = true;
        ReportFailure(err, *file.error, path);
      }
      if (options.json && first + k > 0) buffer += ',';
      buffer += file.text;
      file.text = std::string();
      output.MaybeFlush();
    }
  }
  if (options.json) buffer += "]\n";
  output.Flush();
  return anyFailed || output.Failed() ? kExitFileFailed : kExitOk;
}

}  // namespace kelmarin::lister
