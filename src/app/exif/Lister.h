#pragma once
// kelmarin-exif's work on its files: the metadata rows (or the information panel's labels) of each
// file, written as text or as one JSON document.

#include <cstdint>
#include <cstdio>
#include <string>

#include "ListerOptions.h"

namespace kelmarin {
class Definitions;
struct TextLocale;
}  // namespace kelmarin

namespace kelmarin::lister {

class ImageModule;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;   // at least one file could not be read
inline constexpr int kExitCannotStart = 2;  // definition file, command line or image module unusable

// Lists every file of the options to `out`; a file that cannot be read gets the line
// "Fehler <number>: <path>" on `err` and is otherwise left out of the text form.
//
// Text form, per file: "# " + path, then one line per row, the four columns joined by TABs (see
// Output.h for the escaping). With --info the five label texts follow instead, one per line.
// JSON form: one array, one object per file, in order:
//   {"file", "maker", "sections": [{"section", "title", "items": [{"tag", "label", "information",
//    "raw"}]}], "iptc": [{"dataset", "value"}], "comments": [{"key", "value"}], "xmp": [{"source",
//    "namespace", "path", "label", "value"}], "error": null} ("xmp" only when the file or a sidecar
//    has XMP; the text form then adds one section per source after the rows)
// or with --info {"file", "name", "modified", "size", "dimensions", "loadtime", "error": null};
// a file that cannot be read is {"file", "error": <number>}. Texts are UTF-8, tag, maker and
// dataset numbers are JSON numbers.
// With --summary the text form gives "Caption: text" per line of the summary instead of the rows,
// and each JSON object is {"file", "summary": {...}, "error"} (see AppendSummaryJson).
// CSV form (RFC 4180, see SectionRows.h): the header line, then one record per item of every
// section the window lists (file, section title, the four columns); with --info one record per
// file (file and the five labels). A file that cannot be read has no record.
// Metadata listings of many files are read on several threads; the output and the "Fehler" lines
// come in the order of the files all the same, and memory holds the output of a few dozen files at
// most. The image module is only ever called from the calling thread.
// Numbers and dates are written in the locale's forms (see SystemLocale.h).
// Returns kExitOk or kExitFileFailed (also when writing `out` failed). When a file needs the image
// module (see ImageModule.h) and it cannot be loaded, the reason goes to `err` and kExitCannotStart
// is returned: before any output for --info and for files whose extension names such a format,
// otherwise after the files listed so far.
// "Fehler <number>: <path>" on `err`.
void ReportFailure(std::FILE* err, std::int32_t number, const std::string& path);
// "kelmarin-exif: " + why the image module could not be loaded, on `err`.
void ReportNoModule(std::FILE* err, const ImageModule& module);

int ListFiles(const ListerOptions& options, const Definitions& definitions, const TextLocale& locale,
              ImageModule& module, std::FILE* out, std::FILE* err);

}  // namespace kelmarin::lister
