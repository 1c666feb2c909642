#pragma once
// ICC profiles made by lcms2 for the tests: an RGB monitor profile with Adobe RGB (1998)'s
// primaries and a description and copyright of our choosing, and sRGB.

#include <lcms2.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelmarin::test {

inline std::vector<std::uint8_t> SavedProfile(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<std::uint8_t> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

inline void SetText(cmsHPROFILE profile, cmsTagSignature tag, const std::wstring& text) {
  cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
  cmsMLUsetWide(mlu, "en", "US", text.c_str());
  cmsWriteTag(profile, tag, mlu);
  cmsMLUfree(mlu);
}

// Adobe RGB (1998): D65 white, gamma 563/256, its primaries (Adobe RGB (1998) Color Image
// Encoding, 4.3). Version 2 or 4 as asked.
inline std::vector<std::uint8_t> WideGamutProfile(const std::wstring& description, double version = 2.1,
                                                  const std::wstring& copyright = L"Kein Copyright") {
  cmsCIExyY white;
  cmsWhitePointFromTemp(&white, 6504);
  const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  cmsSetProfileVersion(profile, version);
  SetText(profile, cmsSigProfileDescriptionTag, description);
  SetText(profile, cmsSigCopyrightTag, copyright);
  return SavedProfile(profile);
}

inline std::vector<std::uint8_t> SrgbProfile() {
  return SavedProfile(cmsCreate_sRGBProfile());
}

}  // namespace kelmarin::test
