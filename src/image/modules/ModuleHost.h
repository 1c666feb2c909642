#pragma once
// Inside a codec module: the entry every module exports, and the functions of the codec layer the
// backends call (AllocateRgb, ReadAll, DecodeJpeg, ...), which reach the layer that loaded the
// module through its CodecHost.

#include "image/CodecModules.h"

#define KELMARIN_CODEC_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

// The entry of a module, kelmarin_codec_module: its functions (designated initializers of
// CodecModuleFunctions), attached to the codec layer that loads it.
#define KELMARIN_CODEC_MODULE(...)                                                                   \
  KELMARIN_CODEC_MODULE_EXPORT const kelmarin::codec::CodecModuleFunctions* kelmarin_codec_module( \
      const kelmarin::codec::CodecHost* host, const char* interface) {                               \
    using namespace kelmarin::codec;                                                                 \
    using kelmarin::RgbImage;                                                                        \
    static const CodecModuleFunctions functions{__VA_ARGS__};                                        \
    return AttachModule(host, interface, functions);                                                 \
  }

namespace kelmarin::codec {

// Gives `functions` when `interface` is this module's build, otherwise null; keeps `host` unless it is
// null (a caller that only reads profiles).
const CodecModuleFunctions* AttachModule(const CodecHost* host, const char* interface,
                                         const CodecModuleFunctions& functions);

// Whether the program lets a module make a GUI application of its own (see AllowOwnApplication).
bool OwnApplicationAllowed();

}  // namespace kelmarin::codec
