#include "image/meta/JxlColour.h"

#include <jxl/decode.h>

#include <memory>
#include <mutex>

#include "image/meta/SharedLibrary.h"

namespace kelmarin::codec {

namespace {

// No profile a picture is shown with comes near this; libjxl's own limit is far above it.
constexpr std::size_t kMaxIccBytes = 16u << 20;

// The decoder functions used here, from the library named at build time (KELMARIN_JXL_LIBRARY).
struct JxlFunctions {
  decltype(&JxlSignatureCheck) signatureCheck = nullptr;
  decltype(&JxlDecoderCreate) create = nullptr;
  decltype(&JxlDecoderDestroy) destroy = nullptr;
  decltype(&JxlDecoderSubscribeEvents) subscribe = nullptr;
  decltype(&JxlDecoderSetInput) setInput = nullptr;
  decltype(&JxlDecoderCloseInput) closeInput = nullptr;
  decltype(&JxlDecoderProcessInput) process = nullptr;
  decltype(&JxlDecoderGetBasicInfo) basicInfo = nullptr;
  decltype(&JxlDecoderGetColorAsEncodedProfile) encodedProfile = nullptr;
  decltype(&JxlDecoderGetICCProfileSize) iccSize = nullptr;
  decltype(&JxlDecoderGetColorAsICCProfile) iccProfile = nullptr;
};

// Loaded once per process and kept; null when the library or one of its functions is missing.
const JxlFunctions* Library() {
  static std::once_flag once;
  static JxlFunctions functions;
  static const JxlFunctions* loaded = nullptr;
  std::call_once(once, [] {
    SharedLibrary library = SharedLibrary::Open(KELMARIN_JXL_LIBRARY);
    if (!library) return;
    JxlFunctions f;
    if (library.Find("JxlSignatureCheck", f.signatureCheck) && library.Find("JxlDecoderCreate", f.create) &&
        library.Find("JxlDecoderDestroy", f.destroy) && library.Find("JxlDecoderSubscribeEvents", f.subscribe) &&
        library.Find("JxlDecoderSetInput", f.setInput) && library.Find("JxlDecoderCloseInput", f.closeInput) &&
        library.Find("JxlDecoderProcessInput", f.process) && library.Find("JxlDecoderGetBasicInfo", f.basicInfo) &&
        library.Find("JxlDecoderGetColorAsEncodedProfile", f.encodedProfile) &&
        library.Find("JxlDecoderGetICCProfileSize", f.iccSize) &&
        library.Find("JxlDecoderGetColorAsICCProfile", f.iccProfile)) {
      functions = f;
      loaded = &functions;
      library.Keep();
    }
  });
  return loaded;
}

}  // namespace

JxlColourRead ReadJxlIcc(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& icc, bool& xyb) {
  icc.clear();
  xyb = false;
  const JxlFunctions* jxl = Library();
  if (jxl == nullptr) return JxlColourRead::Failed;
  const JxlSignature signature = jxl->signatureCheck(file.data(), file.size());
  if (signature != JXL_SIG_CODESTREAM && signature != JXL_SIG_CONTAINER) return JxlColourRead::Failed;
  struct Destroy {
    decltype(&JxlDecoderDestroy) destroy;
    void operator()(JxlDecoder* decoder) const { destroy(decoder); }
  };
  const std::unique_ptr<JxlDecoder, Destroy> decoder(jxl->create(nullptr), Destroy{jxl->destroy});
  if (decoder == nullptr || jxl->subscribe(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING) != JXL_DEC_SUCCESS ||
      jxl->setInput(decoder.get(), file.data(), file.size()) != JXL_DEC_SUCCESS) {
    return JxlColourRead::Failed;
  }
  jxl->closeInput(decoder.get());
  // The header comes before any frame: a few steps reach it or the file is damaged.
  for (int steps = 0; steps < 16; ++steps) {
    const JxlDecoderStatus status = jxl->process(decoder.get());
    if (status == JXL_DEC_COLOR_ENCODING) break;
    JxlBasicInfo info{};
    if (status == JXL_DEC_BASIC_INFO && jxl->basicInfo(decoder.get(), &info) == JXL_DEC_SUCCESS) {
      xyb = info.uses_original_profile == JXL_FALSE;
    } else if (status != JXL_DEC_SUCCESS || steps == 15) {
      return JxlColourRead::Failed;
    }
  }
  // A description the codestream encodes itself is no profile of the file's (libjxl would make one
  // up from it); an attached profile has no such description.
  JxlColorEncoding described{};
  if (jxl->encodedProfile(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &described) ==
      JXL_DEC_SUCCESS) {
    return JxlColourRead::Described;
  }
  std::size_t size = 0;
  if (jxl->iccSize(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &size) != JXL_DEC_SUCCESS ||
      size == 0 || size > kMaxIccBytes) {
    return JxlColourRead::Failed;
  }
  icc.resize(size);
  if (jxl->iccProfile(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, icc.data(), size) !=
      JXL_DEC_SUCCESS) {
    icc.clear();
    return JxlColourRead::Failed;
  }
  return JxlColourRead::Profile;
}

}  // namespace kelmarin::codec
