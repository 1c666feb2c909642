#pragma once
// The file in which FolderRecordCache keeps one folder's records, as bytes. One file per folder,
// "<cache>/ordner/<16 hex digits of the folder path's FNV-1a hash>.kfr"; the path itself is kept
// inside, so two folders of the same hash only replace each other's file.
//
// Layout, all numbers little-endian:
//   magic "KELMREC\n" (8 bytes), version u32 (kFolderCacheVersion), record count u32,
//   payload length u64, payload checksum u64 (FNV-1a 64 over the payload), then the payload:
//   folder path (text), then per record: file path (text), size i64, modification time i64,
//   present-flags u16, capture time i64, offset i32, camera (text), lens (text), focal length,
//   f-number, exposure time, ISO (f32 each), rating i8, keyword count u16 and the keywords
//   (texts), width i32, height i32. A text is a u16 length and that many bytes of UTF-8.
// Every length is checked against what remains and against its bound; a file whose magic,
// version, count, lengths or checksum do not fit, or with bytes left over, is not read at all.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "browser/core/FolderRecords.h"

namespace kelmarin {

inline constexpr std::uint32_t kFolderCacheVersion = 1;
inline constexpr std::size_t kMaxCacheText = 4096;         // bytes of one text
inline constexpr std::size_t kMaxCacheKeywords = 256;      // keywords of one record
inline constexpr std::uint32_t kMaxCacheRecords = 500000;  // records of one folder

struct CachedRecord {
  std::string path;
  std::int64_t size = 0;
  std::int64_t modified = 0;
  FolderRecord record;
};

struct FolderCacheContents {
  std::string folder;
  std::vector<CachedRecord> records;
};

// The file's bytes for the folder's records. Texts longer than kMaxCacheText are cut at a
// character's start, keywords beyond kMaxCacheKeywords and records beyond kMaxCacheRecords left out.
std::vector<std::uint8_t> FolderCacheBytes(const FolderCacheContents& contents);

// The records of a file's bytes; none for bytes that are not exactly such a file. Never throws
// except std::bad_alloc; the work is bounded by the bytes' length.
std::optional<FolderCacheContents> ParseFolderCache(std::span<const std::uint8_t> bytes);

// The file name of the folder's records ("0123456789abcdef.kfr").
std::string FolderCacheFileName(const std::string& folder);

}  // namespace kelmarin
