#pragma once
// A reporter for tests: keeps every message instead of showing it.

#include <vector>

#include "metadata/Reporter.h"

namespace kelmarin {

class RecordingReporter : public Reporter {
 public:
  void Report(const Message& message) override { messages.push_back(message); }

  std::vector<Message> messages;
};

}  // namespace kelmarin
