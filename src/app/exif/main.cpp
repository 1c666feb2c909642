// kelmarin-exif: prints, for each image file, the rows the metadata list of the main window shows.

#include <QLocale>
#include <cstdio>
#include <string>
#include <vector>

#include "DefinitionFile.h"
#include "Lister.h"
#include "ListerOptions.h"
#include "metadata/Definitions.h"
#include "metadata/Reporter.h"

namespace {

// The loader's messages go to standard error: caption, then text.
class StandardErrorReporter : public kelmarin::Reporter {
 public:
  void Report(const kelmarin::Message& message) override {
    const std::string line = message.caption + "\n" + message.text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace kelmarin::lister;
  const ParsedOptions parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    const std::string text = "kelmarin-exif: " + parsed.error + "\n" + UsageText();
    std::fwrite(text.data(), 1, text.size(), stderr);
    return kExitCannotStart;
  }
  if (parsed.options.help) {
    std::fputs(UsageText(), stdout);
    return kExitOk;
  }
  const std::filesystem::path definitionFile = parsed.options.definitions.empty()
                                                   ? DefaultDefinitionFile()
                                                   : std::filesystem::path(parsed.options.definitions);
  StandardErrorReporter reporter;
  const auto definitions = kelmarin::LoadDefinitions(definitionFile, reporter);
  if (!definitions) return kExitCannotStart;
  return ListFiles(parsed.options, *definitions, QLocale::system(), stdout, stderr);
}
