#pragma once
// The command line of kelmarin-exif:
//   kelmarin-exif [OPTIONEN] DATEI...
// (the options are those of UsageText; the manual page lists the same).

#include <string>
#include <vector>

namespace kelmarin::lister {

// Where a name on the command line leads: to a file (or with -r a folder), to the names read from
// standard input ("-"), or to the names in a list file (--dateiliste).
enum class NameSource { Argument, StandardInput, ListFile };

struct NameArgument {
  NameSource source = NameSource::Argument;
  std::string text;  // the file, folder or list file's name (empty for standard input)
};

struct ListerOptions {
  std::string definitions;  // empty: the default definition file
  bool json = false;
  bool csv = false;
  bool info = false;
  bool help = false;
  bool version = false;
  bool recursive = false;           // -r: folders among the names are walked
  bool nulSeparated = false;        // -0: the lists hold names ended by NUL instead of line feeds
  bool diff = false;                // --diff: the two files' differing rows instead of their listings
  bool summary = false;             // --summary: the lines of "Auf einen Blick" instead of the rows
  std::vector<NameArgument> names;  // as given, in order
  std::vector<std::string> files;   // the files to list, in order: filled from names (see FileNames.h)
};

struct ParsedOptions {
  ListerOptions options;
  std::string error;  // non-empty: the command line is unusable (the text says why)
};

// "--definitions FILE", "--dateiliste FILE" and their "=FILE" forms are accepted; "--" ends the
// options, so a file name may start with "-" ("-" alone always means standard input). An unknown
// option, a missing file name after an option, no name at all (unless --help or --version is
// given) or options that exclude each other (--json with --csv, --diff with --info or -r,
// --summary with --csv, --info or --diff) are
// errors. Nothing is read here: options.files stays empty.
ParsedOptions ParseArguments(const std::vector<std::string>& arguments);

// The usage text for --help and for errors of the command line.
const char* UsageText();

}  // namespace kelmarin::lister
