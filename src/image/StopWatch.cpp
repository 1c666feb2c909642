#include "image/StopWatch.h"

#include <algorithm>

namespace kelmarin {

std::int32_t CStopWatch::ToMilliseconds(std::chrono::steady_clock::duration duration) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, INT32_MAX));
}

std::int32_t CStopWatch::Elapsed() const {
  return ToMilliseconds(std::chrono::steady_clock::now() - start_time);
}

}  // namespace kelmarin
