#pragma once
// Loading definition text in tests, and the message texts a user sees.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "RecordingReporter.h"
#include "metadata/Definitions.h"

namespace kelmarin::test {

inline const std::string kCaption = "Metadaten-Definition laden";

inline std::string CaptionWithCode(int code) {
  return kCaption + " (Fehler " + std::to_string(code) + ")";
}

inline std::string LineErrorText(int line, std::string_view text) {
  return "Fehler beim Lesen der Metadaten-Definitionsdatei\n\nFehler in Zeile " + std::to_string(line) +
         "\n" + std::string(text);
}

struct LoadResult {
  std::unique_ptr<Definitions> defs;
  RecordingReporter reporter;
};

inline std::unique_ptr<LoadResult> Load(std::string_view text) {
  auto result = std::make_unique<LoadResult>();
  std::istringstream in{std::string(text)};
  result->defs = LoadDefinitions(in, result->reporter);
  return result;
}

// Loads text that must fail with exactly one warning with this caption and text.
inline void ExpectFailure(std::string_view text, const std::string& caption, const std::string& messageText) {
  SCOPED_TRACE(std::string(text));
  const auto result = Load(text);
  EXPECT_EQ(result->defs, nullptr);
  ASSERT_EQ(result->reporter.messages.size(), 1u);
  const Message& message = result->reporter.messages.front();
  EXPECT_EQ(message.caption, caption);
  EXPECT_EQ(message.text, messageText);
  EXPECT_EQ(message.icon, MessageIcon::Warning);
}

// Loads text that must succeed without any message.
inline std::unique_ptr<Definitions> ExpectLoads(std::string_view text) {
  auto result = Load(text);
  for (const Message& m : result->reporter.messages) ADD_FAILURE() << m.caption << ": " << m.text;
  EXPECT_NE(result->defs, nullptr);
  return std::move(result->defs);
}

}  // namespace kelmarin::test
