// kelmarin-exif: prints, for each image file, the rows the metadata list of the main window shows.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "DefinitionFile.h"
#include "Diff.h"
#include "FileNames.h"
#include "HeapSettings.h"
#include "ImageModule.h"
#include "Lister.h"
#include "ListerOptions.h"
#include "SystemLocale.h"
#include "Version.h"
#include "extract/xmp/XmpVocabulary.h"
#include "metadata/CacheFolder.h"
#include "metadata/Definitions.h"
#include "metadata/Reporter.h"
#include "present/Lens.h"

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
  AlignHeapToLargePages();
  ParsedOptions parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
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
  ImageModule module;
  if (parsed.options.version) {
    const std::string text = VersionText(definitionFile, module);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
  }
  // The XMP labels lie beside the definition file, or where the default one would be.
  std::filesystem::path xmpLabels = definitionFile.parent_path() / "xmp.def";
  std::error_code missing;
  if (!std::filesystem::is_regular_file(xmpLabels, missing)) xmpLabels = DefaultDataFile("xmp.def");
  kelmarin::SetXmpVocabularyFile(xmpLabels.string());
  // So do the lens names; the user's own file's faults are reported where the lens line is printed.
  std::filesystem::path lensNames = definitionFile.parent_path() / "lenses.def";
  if (!std::filesystem::is_regular_file(lensNames, missing)) lensNames = DefaultDataFile("lenses.def");
  kelmarin::SetLensTableFile(lensNames.string());
  if (parsed.options.summary) {
    for (const std::string& message : kelmarin::ProcessLensTableMessages())
      std::fprintf(stderr, "%s\n", message.c_str());
  }
  StandardErrorReporter reporter;
  std::unique_ptr<kelmarin::Definitions> definitions =
      kelmarin::LoadDefinitionsWithStamp(definitionFile, kelmarin::CacheFolder(), reporter);
  if (!definitions) return kExitCannotStart;
  // The tables are used until the program ends. They stay reachable from here and are left to the
  // operating system: freeing their some thousand small blocks one by one costs more start-up
  // time than listing one file.
  static const kelmarin::Definitions* const kept = definitions.release();
  const bool allNamesRead = CollectFiles(parsed.options, stdin, stderr);
  const kelmarin::TextLocale locale = SystemTextLocale(module, kelmarin::CacheFolder());
  const int status = parsed.options.diff ? DiffFiles(parsed.options, *kept, locale, module, stdout, stderr)
                                         : ListFiles(parsed.options, *kept, locale, module, stdout, stderr);
  // A list or folder that could not be read counts as a file that could not be.
  return status == kExitOk && !allNamesRead ? kExitFileFailed : status;
}
