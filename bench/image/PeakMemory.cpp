// Peak memory of load plus show of the 24-megapixel JPEG, against the decoded buffer
// (width × height × 3): prints the resident-set growth measured by getrusage.
// Usage: image_peak_memory [FILE]

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "image/Components.h"
#include "metadata/Reporter.h"

namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Silent : kelmarin::Reporter {
  void Report(const kelmarin::Message&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "/tmp/kelmarin-bench-24mp.jpg";
  if (argc == 1 && !std::filesystem::exists(path)) {
    // Writing the file takes memory of its own: measure in a fresh process.
    path = kelmarin::bench::TwentyFourMegapixelJpeg(path);
    execl(argv[0], argv[0], path.c_str(), static_cast<char*>(nullptr));
    return 1;
  }
  // Libraries and their one-time set-up are not the image's memory: settle them first.
  Silent silent;
  kelmarin::InitComponents(silent);
  const long before = ResidentKiB();
  kelmarin::ZetImage image;
  std::int32_t b = 0, h = 0, t = 0;
  if (image.load(path, kelmarin::kTypeJpeg, b, h, t) != 0) return 1;
  kelmarin::bench::NullBox box;
  if (image.show(box) != 1) return 1;
  const long peak = PeakKiB();
  const double buffer = static_cast<double>(b) * h * 3 / 1024.0;
  const long growth = peak - before;
  std::printf("image %d x %d, decoded buffer %.0f KiB\n", b, h, buffer);
  std::printf("resident before %ld KiB, peak after load+show %ld KiB, growth %ld KiB = %.3f x buffer\n",
              before, peak, growth, growth / buffer);
  return 0;
}
