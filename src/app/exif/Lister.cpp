#include "Lister.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "FileListing.h"
#include "ImageModule.h"
#include "Output.h"
#include "SectionRows.h"
#include "image/meta/Formats.h"
#include "image/meta/ImageErrors.h"
#include "image/meta/MetadataOnly.h"
#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {

// "Caption: text", one line per line of the summary.
void AppendSummaryText(std::string& out, const PhotoSummary& summary) {
  for (const SummaryLine& line : summary.lines) {
    AppendEscapedText(out, line.caption);
    out += ": ";
    AppendEscapedText(out, line.text);
    out += '\n';
  }
}

void AppendInfoText(std::string& out, const InfoLabels& labels) {
  for (const std::string* text :
       {&labels.name, &labels.modified, &labels.size, &labels.dimensions, &labels.loadtime}) {
    AppendEscapedText(out, *text);
    out += '\n';
  }
}

void AppendError(std::string& out, const std::optional<std::int32_t>& error) {
  AppendJsonKey(out, "error");
  out += error ? std::to_string(*error) : std::string("null");
}

void AppendInfoJson(std::string& out, const InfoLabels& labels) {
  AppendJsonTexts(out, {{"name", labels.name},
                        {"modified", labels.modified},
                        {"size", labels.size},
                        {"dimensions", labels.dimensions},
                        {"loadtime", labels.loadtime}});
  out += ',';
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

void RenderCsv(const Definitions& definitions, const TextLocale& locale, const std::string& path,
               const MetadataListing* listing, const InfoLabels* labels, std::string& out) {
  const std::string file = BytesToUtf8(path);
  if (labels != nullptr) {
    AppendCsvRecord(
        out, {file, labels->name, labels->modified, labels->size, labels->dimensions, labels->loadtime});
  }
  if (listing == nullptr) return;
  const std::vector<ListingRow> rows = EveryRow(definitions, *listing, locale);
  for (const SectionItem& item : SectionItems(rows)) AppendItemCsv(out, file, item);
}

// A file's JSON object up to its first member ({"file":...,) and from its "error" member on.
void OpenFileObject(std::string& out, const std::string& path) {
  out += '{';
  AppendJsonTexts(out, {{"file", BytesToUtf8(path)}});
  out += ',';
}
void CloseFileObject(std::string& out, const std::optional<std::int32_t>& error) {
  AppendError(out, error);
  out += '}';
}

// The "# path" line before a file's text.
void AppendFileHeading(std::string& out, const std::string& path) {
  out += "# ";
  AppendEscapedPath(out, path);
  out += '\n';
}

// With --summary: the summary instead of the listing's rows.
void RenderSummary(const ListerOptions& options, const std::string& path, const PhotoSummary& summary,
                   FileOutput& file) {
  std::string& out = file.text;
  if (options.json) {
    OpenFileObject(out, path);
    if (!file.error) AppendSummaryJson(out, summary);
    CloseFileObject(out, file.error);
  } else if (!file.error) {
    AppendFileHeading(out, path);
    AppendSummaryText(out, summary);
  }
}

void Render(const ListerOptions& options, const Definitions& definitions, const TextLocale& locale,
            const std::string& path, const MetadataListing* listing, const InfoLabels* labels,
            FileOutput& file) {
  std::string& out = file.text;
  if (options.csv) {
    if (!file.error) RenderCsv(definitions, locale, path, listing, labels, out);
  } else if (options.json) {
    OpenFileObject(out, path);
    if (!file.error && labels != nullptr) AppendInfoJson(out, *labels);
    if (!file.error && listing != nullptr) AppendMetadataJson(out, *listing);
    CloseFileObject(out, file.error);
  } else if (!file.error) {
    AppendFileHeading(out, path);
    if (labels != nullptr) AppendInfoText(out, *labels);
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
    PhotoSummary summary;
    if (options.info) {
      file.error = ReadInfo(path, definitions, locale, *module, labels);
    } else if (!options.summary && !options.json && !options.csv) {
      // The text form is written as the rows come, without a list of them.
      AppendFileHeading(file.text, path);
      file.error = ReadMetadataText(path, definitions, reader.context, reader.cache, module, file.text);
      if (file.error) file.text.clear();
      return file;
    } else {
      file.error = ReadMetadataListing(path, definitions, reader.context, reader.cache, module, listing,
                                       options.summary ? &summary : nullptr);
    }
    if (file.error == kNoImageModule || file.error == kNeedsImageModule) return file;
    if (options.summary) {
      RenderSummary(options, path, summary, file);
      return file;
    }
    Render(options, definitions, locale, path, options.info ? nullptr : &listing,
           options.info ? &labels : nullptr, file);
  } catch (const std::bad_alloc&) {
    file = FileOutput{kNoMemoryNumber, {}};
    if (options.summary) {
      RenderSummary(options, path, PhotoSummary(), file);
    } else {
      Render(options, definitions, locale, path, nullptr, nullptr, file);
    }
  }
  return file;
}

constexpr unsigned kMaxThreads = 8;
// Files read ahead of the one written next, at most: memory holds that many outputs, whatever the
// number of files.
constexpr std::size_t kAhead = 64;

// Metadata listings are read on every core (at least two threads, so that the parallel path is the
// one every run of many files takes); --info loads stay one after the other, as their load times
// are part of the output.
unsigned ThreadCount(const ListerOptions& options) {
  if (options.info || options.files.size() < 2) return 1;
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<std::size_t>({cores, kMaxThreads, options.files.size()}));
}

// The files in order, read by helper threads and by the writing thread, each file once, no file more
// than kAhead ahead of the one written next. The writing thread takes the outputs in order; while
// the next one is not there yet, it reads a file itself instead of waiting.
class ReadAhead {
 public:
  ReadAhead(const ListerOptions& listerOptions, const Definitions& tables, const TextLocale& texts,
            std::vector<Reader>& threadReaders)
      : options(listerOptions), definitions(tables), locale(texts), readers(threadReaders), slots(kAhead) {
    try {
      for (std::size_t t = 1; t < readers.size(); ++t) helpers.emplace_back([this, t] { Help(readers[t]); });
    } catch (const std::system_error&) {
      // No further thread to be had: the threads started so far and the writing thread read the files.
    }
  }
  ~ReadAhead() {
    {
      const std::lock_guard lock(mutex);
      stopped = true;
    }
    changed.notify_all();
    for (std::thread& helper : helpers) helper.join();
  }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The output of file `k`, the one after the last taken (from 0 on).
  FileOutput Take(std::size_t k) {
    std::unique_lock lock(mutex);
    while (!slots[k % kAhead]) {
      if (Claimable()) {
        ReadClaimed(lock, readers[0]);
      } else {
        changed.wait(lock);
      }
    }
    FileOutput file = std::move(*slots[k % kAhead]);
    slots[k % kAhead].reset();
    written = k + 1;
    changed.notify_all();
    return file;
  }

 private:
  bool Claimable() const { return next < options.files.size() && next < written + kAhead; }

  // Reads the next file with the lock released and puts its output into its slot.
  void ReadClaimed(std::unique_lock<std::mutex>& lock, Reader& reader) {
    const std::size_t k = next++;
    lock.unlock();
    FileOutput file = ReadFile(options, options.files[k], definitions, locale, reader, nullptr);
    lock.lock();
    slots[k % kAhead] = std::move(file);
    changed.notify_all();
  }

  void Help(Reader& reader) {
    std::unique_lock lock(mutex);
    while (true) {
      changed.wait(lock, [this] { return stopped || Claimable(); });
      if (stopped) return;
      ReadClaimed(lock, reader);
    }
  }

  const ListerOptions& options;
  const Definitions& definitions;
  const TextLocale& locale;
  std::vector<Reader>& readers;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::optional<FileOutput>> slots;
  std::size_t next = 0;     // the next file to be read
  std::size_t written = 0;  // the next file to be taken
  bool stopped = false;
  std::vector<std::thread> helpers;
};

}  // namespace

void ReportFailure(std::FILE* err, std::int32_t number, const std::string& path) {
  const std::string line = "Fehler " + std::to_string(number) + ": " + path + "\n";
  std::fwrite(line.data(), 1, line.size(), err);
}

void ReportNoModule(std::FILE* err, const ImageModule& module) {
  const std::string line = "kelmarin-exif: " + module.problem() + "\n";
  std::fwrite(line.data(), 1, line.size(), err);
}

int ListFiles(const ListerOptions& options, const Definitions& definitions, const TextLocale& locale,
              ImageModule& module, std::FILE* out, std::FILE* err) {
  if (ModuleNeededFromTheStart(options) && !module.Load()) {
    ReportNoModule(err, module);
    return kExitCannotStart;
  }
  Output output(out);
  std::string& buffer = output.Buffer();
  std::vector<Reader> readers(ThreadCount(options), Reader{MakeFormatContext(locale, 1.0), {}});
  std::optional<ReadAhead> ahead;
  if (readers.size() > 1) ahead.emplace(options, definitions, locale, readers);
  bool anyFailed = false;
  if (options.json) buffer += '[';
  if (options.csv) buffer += options.info ? kInfoCsvHeader : kListingCsvHeader;
  for (std::size_t k = 0; k < options.files.size(); ++k) {
    const std::string& path = options.files[k];
    FileOutput file =
        ahead ? ahead->Take(k) : ReadFile(options, path, definitions, locale, readers[0], &module);
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
    if (options.json && k > 0) buffer += ',';
    buffer += file.text;
    output.MaybeFlush();
  }
  if (options.json) buffer += "]\n";
  output.Flush();
  return anyFailed || output.Failed() ? kExitFileFailed : kExitOk;
}

}  // namespace kelmarin::lister
