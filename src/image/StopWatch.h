#pragma once
// Elapsed wall-clock time in milliseconds on a monotonic clock; times the decoding of an image.

#include <chrono>
#include <cstdint>

namespace kelmarin {

class CStopWatch {
 public:
  // Creation counts as a Reset.
  CStopWatch() { Reset(); }

  // Milliseconds since creation or the last Reset. A monotonic 64-bit clock does not wrap: a
  // measurement longer than 2^31 − 1 ms (24.8 days) reads as that largest value.
  std::int32_t Elapsed() const;
  void Reset() { start_time = std::chrono::steady_clock::now(); }

  // A duration in whole milliseconds, limited to 0 … 2^31 − 1.
  static std::int32_t ToMilliseconds(std::chrono::steady_clock::duration duration);

 private:
  std::chrono::steady_clock::time_point start_time;
};

}  // namespace kelmarin
