#pragma once
// The command line of kelmarin-exif:
//   kelmarin-exif [--definitions FILE] [--json] [--info] FILE...

#include <string>
#include <vector>

namespace kelmarin::lister {

struct ListerOptions {
  std::string definitions;  // empty: the default definition file
  bool json = false;
  bool info = false;
  bool help = false;
  std::vector<std::string> files;  // as given, in order
};

struct ParsedOptions {
  ListerOptions options;
  std::string error;  // non-empty: the command line is unusable (the text says why)
};

// "--definitions FILE" and "--definitions=FILE" are both accepted; "--" ends the options, so a file
// name may start with "-". An unknown option, a missing definition file name or no FILE at all is
// an error (unless --help is given).
ParsedOptions ParseArguments(const std::vector<std::string>& arguments);

// The usage text for --help and for errors of the command line.
const char* UsageText();

}  // namespace kelmarin::lister
