#include "SystemLocale.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "ImageModule.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kelmarin::lister {

namespace {

constexpr std::string_view kHeader = "kelmarin-locale 1 ";
constexpr const char* kFileName = "locale";

// Every text of the locale, in the file's order.
template <typename Locale, typename Visit>
void ForEachText(Locale& locale, Visit visit) {
  for (auto* text : {&locale.decimalPoint, &locale.groupSeparator, &locale.zeroDigit, &locale.minusSign,
                     &locale.plusSign, &locale.exponential, &locale.shortDateFormat, &locale.longTimeFormat,
                     &locale.timeSeparator}) {
    visit(*text);
  }
  for (auto& text : locale.dayPeriods) visit(text);
  for (auto& text : locale.monthNames) visit(text);
  for (auto& text : locale.shortMonthNames) visit(text);
  for (auto& text : locale.dayNames) visit(text);
  for (auto& text : locale.shortDayNames) visit(text);
}

}  // namespace

std::optional<std::string> LocaleSettingsKey() {
#ifdef _WIN32
  return std::nullopt;
#else
  std::string key = KELMARIN_IMAGE_MODULE_INTERFACE;
  for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LC_MESSAGES", "LC_MEASUREMENT",
                           "LC_COLLATE", "LC_CTYPE", "LANG", "LANGUAGE"}) {
    const char* value = std::getenv(name);
    key += ' ';
    key += name;
    key += '=';
    if (value != nullptr) key += value;
  }
  if (key.find('\n') != std::string::npos) return std::nullopt;
  return key;
#endif
}

std::optional<std::string> LocaleFileText(const TextLocale& locale, std::string_view key) {
  std::string text = std::string(kHeader) + std::string(key) + '\n';
  bool clean = key.find('\n') == std::string_view::npos;
  ForEachText(locale, [&](const std::string& value) {
    clean = clean && value.find('\n') == std::string::npos;
    text += value;
    text += '\n';
  });
  if (!clean) return std::nullopt;
  return text;
}

std::optional<TextLocale> ParseLocaleFile(std::string_view text, std::string_view key) {
  const std::string header = std::string(kHeader) + std::string(key) + '\n';
  if (text.substr(0, header.size()) != header) return std::nullopt;
  text.remove_prefix(header.size());
  TextLocale locale;
  bool complete = true;
  ForEachText(locale, [&](std::string& value) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      complete = false;
      return;
    }
    value = std::string(text.substr(0, end));
    text.remove_prefix(end + 1);
  });
  if (!complete || !text.empty()) return std::nullopt;
  return locale;
}

TextLocale SystemTextLocale(ImageModule& module, const std::filesystem::path& cacheFolder) {
  const std::optional<std::string> key = LocaleSettingsKey();
  const std::filesystem::path file = cacheFolder / kFileName;
  if (key && !cacheFolder.empty()) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    if (auto cached = ParseLocaleFile(contents.str(), *key)) return *cached;
  }
  TextLocale locale;
  if (!module.Load() || !module.SystemLocale(locale)) return TextLocale();
  if (!key || cacheFolder.empty()) return locale;
  const std::optional<std::string> text = LocaleFileText(locale, *key);
  if (!text) return locale;
  // A file of this process's own, renamed over the old one: readers never see half a file.
  std::error_code error;
  std::filesystem::create_directories(cacheFolder, error);
#ifdef _WIN32
  const std::string unique = "0";
#else
  const std::string unique = std::to_string(getpid());
#endif
  const std::filesystem::path partial = cacheFolder / (std::string(kFileName) + "." + unique + ".tmp");
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << *text;
    if (!out.flush()) {
      out.close();
      std::filesystem::remove(partial, error);
      return locale;
    }
  }
  std::filesystem::rename(partial, file, error);
  if (error) std::filesystem::remove(partial, error);
  return locale;
}

}  // namespace kelmarin::lister
