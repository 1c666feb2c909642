#include "extract/IccFacts.h"

#include <lcms2.h>

#include <ctime>
#include <memory>
#include <vector>

#include "metadata/Text.h"

namespace kelmarin {

namespace {

struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};

// ICC.1 profiles are at least a header and a tag count long.
constexpr std::size_t kMinProfile = 132;
// Longer description or copyright texts are cut: they are shown on one row.
constexpr cmsUInt32Number kMaxTextChars = 4096;

// A text tag in the English variant if the profile has one, else its first (lcms2 picks it).
std::string InfoText(cmsHPROFILE profile, cmsInfoType which) {
  const cmsUInt32Number bytes = cmsGetProfileInfo(profile, which, "en", "US", nullptr, 0);
  if (bytes == 0) return {};
  std::vector<wchar_t> wide(std::min<cmsUInt32Number>(bytes / sizeof(wchar_t), kMaxTextChars) + 1);
  cmsGetProfileInfo(profile, which, "en", "US", wide.data(),
                    static_cast<cmsUInt32Number>(wide.size() * sizeof(wchar_t)));
  std::string text;
  for (std::size_t i = 0; i < wide.size() && wide[i] != 0; ++i) {
    auto unit = static_cast<char32_t>(wide[i]);
    // The profile stores UTF-16 and lcms2 hands its units on one by one: surrogate pairs are joined.
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < wide.size()) {
      const auto low = static_cast<char32_t>(wide[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), ++i;
    }
    if ((unit >= 0xD800 && unit < 0xE000) || unit > 0x10FFFF) unit = 0xFFFD;
    AppendUtf8(text, unit);
  }
  return text;
}

}  // namespace

std::optional<IccFacts> ReadIccFacts(std::span<const std::uint8_t> profile) {
  if (profile.size() < kMinProfile || profile.size() > UINT32_MAX) return std::nullopt;
  const std::unique_ptr<void, ProfileClose> opened(
      cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
  if (opened == nullptr) return std::nullopt;
  cmsHPROFILE handle = opened.get();
  IccFacts facts;
  facts.size = profile.size();
  facts.description = InfoText(handle, cmsInfoDescription);
  facts.copyright = InfoText(handle, cmsInfoCopyright);
  facts.deviceClass = cmsGetDeviceClass(handle);
  facts.colourSpace = cmsGetColorSpace(handle);
  facts.pcs = cmsGetPCS(handle);
  facts.creator = cmsGetHeaderCreator(handle);
  facts.version = cmsGetEncodedICCversion(handle);
  facts.intent = cmsGetHeaderRenderingIntent(handle);
  std::tm when{};
  if (cmsGetHeaderCreationDateTime(handle, &when) && (when.tm_year != -1900 || when.tm_mday != 0)) {
    facts.date =
        IccDate{when.tm_year + 1900, when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec};
  }
  return facts;
}

std::string SignatureText(std::uint32_t signature) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(signature >> shift);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  if (signature == 0) return {};
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace kelmarin
