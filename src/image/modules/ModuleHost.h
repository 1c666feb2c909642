#pragma once
// Inside a codec module: the entry every module exports, and the functions of the codec layer the
// backends call (AllocateRgb, ReadAll, DecodeJpeg, ...), which reach the layer that loaded the
// module through its CodecHost.

#include "image/CodecModules.h"

#ifdef _WIN32
#define KELMARIN_CODEC_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define KELMARIN_CODEC_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace kelmarin::codec {

// Keeps `host` and gives `functions` when `interface` is this module's build; otherwise null.
const CodecModuleFunctions* AttachModule(const CodecHost* host, const char* interface,
                                         const CodecModuleFunctions& functions);

}  // namespace kelmarin::codec
