#include "image/ColourConversion.h"

#include <lcms2.h>

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "extract/IccProfile.h"
#include "extract/ImageTypes.h"

namespace kelmarin {

namespace {

// Folders of pictures mostly share a handful of profiles (sRGB, Adobe RGB, Display P3).
constexpr std::size_t kKeptTransforms = 8;

struct TransformDelete {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Transform = std::shared_ptr<void>;

struct Kept {
  std::vector<std::uint8_t> profile;
  Transform transform;  // null: the profile gives no transform, asked before
};

std::mutex keptMutex;
std::list<Kept> kept;  // most recently used first

Transform BuildTransform(std::span<const std::uint8_t> profile) {
  const std::unique_ptr<void, ProfileClose> input(
      cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
  if (input == nullptr || cmsGetColorSpace(input.get()) != cmsSigRgbData) return nullptr;
  const std::unique_ptr<void, ProfileClose> srgb(cmsCreate_sRGBProfile());
  if (srgb == nullptr) return nullptr;
  // No cache of the last pixel: the transform is shared between threads.
  cmsHTRANSFORM transform =
      cmsCreateTransform(input.get(), TYPE_RGB_8, srgb.get(), TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC,
                         cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE);
  if (transform == nullptr) return nullptr;
  return Transform(transform, TransformDelete());
}

Transform TransformFor(std::span<const std::uint8_t> profile) {
  const std::lock_guard lock(keptMutex);
  const auto same = [&](const Kept& k) {
    return std::equal(k.profile.begin(), k.profile.end(), profile.begin(), profile.end());
  };
  if (const auto found = std::find_if(kept.begin(), kept.end(), same); found != kept.end()) {
    kept.splice(kept.begin(), kept, found);
    return found->transform;
  }
  kept.push_front({{profile.begin(), profile.end()}, BuildTransform(profile)});
  if (kept.size() > kKeptTransforms) kept.pop_back();
  return kept.front().transform;
}

}  // namespace

bool ConvertToSrgb(const RgbImage& picture, std::span<const std::uint8_t> profile) {
  if (picture.isNull() || profile.empty() || profile.size() > UINT32_MAX) return false;
  const Transform transform = TransformFor(profile);
  if (transform == nullptr) return false;
  const auto width = static_cast<cmsUInt32Number>(picture.width());
  const auto stride = static_cast<cmsUInt32Number>(picture.bytesPerLine());
  cmsDoTransformLineStride(transform.get(), picture.bits(), picture.bits(), width,
                           static_cast<cmsUInt32Number>(picture.height()), stride, stride, 0, 0);
  return true;
}

bool ProfileAppliesToPixels(std::int32_t imagetype) {
  return imagetype != kTypeRaw;
}

bool ApplyEmbeddedProfile(const RgbImage& picture, std::int32_t imagetype, const MetadataSource& source) {
  if (!ProfileAppliesToPixels(imagetype) || source.pixelsInSrgb) return false;
  return ConvertToSrgb(picture, EmbeddedIccProfile(source).bytes);
}

}  // namespace kelmarin
