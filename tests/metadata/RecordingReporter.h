#pragma once
// A reporter for tests: keeps every message instead of showing it; and the shipped definition file.

#include <memory>
#include <vector>

#include "metadata/Definitions.h"
#include "metadata/Reporter.h"

namespace kelmarin {

class RecordingReporter : public Reporter {
 public:
  void Report(const Message& message) override { messages.push_back(message); }

  std::vector<Message> messages;
};

#ifdef KELMARIN_DEF_FILE
// The definition file the build ships, read once per test program.
inline const Definitions& ShippedDefinitions() {
  static const std::unique_ptr<Definitions> tables = [] {
    RecordingReporter reporter;
    return LoadDefinitions(KELMARIN_DEF_FILE, reporter);
  }();
  return *tables;
}
#endif

}  // namespace kelmarin
