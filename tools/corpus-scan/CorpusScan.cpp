// corpus-scan [--definitions FILE] PATH...
// Reads the APPn markers and comments of every JPEG file under the given paths (a plain marker
// walk up to the first scan), runs the metadata extraction and prints one line per file:
//   maker <TAB> main <TAB> thumbnail <TAB> makernote <TAB> gps <TAB> iptc <TAB> comments <TAB> make <TAB>
//   path
// followed by a summary per maker number.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"

namespace {

namespace fs = std::filesystem;
using kelmarin::MetadataSource;

class StderrReporter : public kelmarin::Reporter {
 public:
  void Report(const kelmarin::Message& message) override {
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
  }
};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// JPEG (ITU T.81, B.1.1): markers up to the first SOS; APPn markers and COM segments are kept.
// Returns false when the file does not start with SOI.
bool CollectMarkers(const std::vector<std::uint8_t>& file, MetadataSource& source) {
  if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return false;
  std::size_t at = 2;
  while (at + 4 <= file.size()) {
    if (file[at] != 0xFF) return true;
    const std::uint8_t code = file[at + 1];
    if (code == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (code == 0xDA || code == 0xD9) return true;
    if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
      at += 2;
      continue;
    }
    const std::size_t length = (std::size_t{file[at + 2]} << 8) | file[at + 3];
    const std::size_t end = std::min(file.size(), at + 2 + length);
    if (code >= 0xE0 && code <= 0xEF) {
      source.markers.push_back({code,
                                {file.begin() + static_cast<std::ptrdiff_t>(at),
                                 file.begin() + static_cast<std::ptrdiff_t>(end)}});
    } else if (code == 0xFE) {
      source.comments.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(std::min(end, at + 4)),
                                   file.begin() + static_cast<std::ptrdiff_t>(end));
    }
    if (length < 2) return true;
    at += 2 + length;
  }
  return true;
}

struct Summary {
  int files = 0;
  long items[4] = {};
  std::map<std::string, int> makes;
};

std::string MakeOf(const kelmarin::ImageMetadata& image) {
  const kelmarin::ZetExif* make = image.ExifTag(1, 0x010F);
  if (make == nullptr || make->inhalt.empty()) return "";
  const kelmarin::ExifValue first = make->inhalt[0];
  const auto* text = std::get_if<std::string>(&first);
  return text ? *text : "";
}

void ScanFile(const fs::path& path, const kelmarin::Definitions* definitions,
              std::map<int, Summary>& summary) {
  auto source = std::make_shared<MetadataSource>();
  if (!CollectMarkers(ReadFile(path), *source)) {
    std::printf("-\t\t\t\t\t\t\t\t%s (not a JPEG file)\n", path.string().c_str());
    return;
  }
  const kelmarin::ImageMetadata image = kelmarin::ReadMetadata(4, source, definitions);
  std::int32_t counts[4];
  for (int s = 0; s < 4; ++s) counts[s] = image.ExifCount(s + 1);
  const std::string make = MakeOf(image);
  std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\n", image.camera_id, counts[0], counts[1], counts[2],
              counts[3], image.IptcCount(), image.ImageCommentCount(), make.c_str(), path.string().c_str());
  Summary& entry = summary[image.camera_id];
  ++entry.files;
  for (int s = 0; s < 4; ++s) entry.items[s] += counts[s];
  ++entry.makes[make.empty() ? "(no make)" : make];
}

bool IsJpegName(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".jpg" || ext == ".jpeg" || ext == ".jpe";
}

void PrintSummary(const std::map<int, Summary>& summary) {
  std::printf("\n# maker\tfiles\tmain\tthumbnail\tmakernote\tgps\tmakes\n");
  for (const auto& [maker, entry] : summary) {
    std::string makes;
    for (const auto& [make, count] : entry.makes)
      makes += (makes.empty() ? "" : ", ") + make + " x" + std::to_string(count);
    std::printf("# %d\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", maker, entry.files, entry.items[0], entry.items[1],
                entry.items[2], entry.items[3], makes.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<kelmarin::Definitions> definitions;
  StderrReporter reporter;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--definitions" && i + 1 < argc) {
      definitions = kelmarin::LoadDefinitions(argv[++i], reporter);
      if (!definitions) return 2;
      continue;
    }
    std::error_code error;
    if (fs::is_directory(arg, error)) {
      for (const auto& entry : fs::recursive_directory_iterator(arg, error)) {
        if (entry.is_regular_file(error) && IsJpegName(entry.path())) files.push_back(entry.path());
      }
    } else {
      files.emplace_back(arg);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: corpus-scan [--definitions FILE] PATH...\n");
    return 2;
  }
  std::sort(files.begin(), files.end());
  std::map<int, Summary> summary;
  for (const fs::path& file : files) ScanFile(file, definitions.get(), summary);
  PrintSummary(summary);
  return 0;
}
