#include "extract/TiffWriter.h"

#include <algorithm>

namespace kelmarin {

using Buffer = std::vector<std::uint8_t>;

void ByteSink::U16(std::uint32_t v) {
  if (order == ByteOrder::BigEndian) {
    U8(v >> 8), U8(v);
  } else {
    U8(v), U8(v >> 8);
  }
}

void ByteSink::U32(std::uint32_t v) {
  if (order == ByteOrder::BigEndian) {
    U16(v >> 16), U16(v);
  } else {
    U16(v), U16(v >> 16);
  }
}

void ByteSink::U64(std::uint64_t v) {
  const auto high = static_cast<std::uint32_t>(v >> 32), low = static_cast<std::uint32_t>(v);
  if (order == ByteOrder::BigEndian) {
    U32(high), U32(low);
  } else {
    U32(low), U32(high);
  }
}

void ByteSink::Patch32(std::size_t at, std::uint32_t v) {
  Buffer bytes;
  ByteSink{order, bytes}.U32(v);
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

void PutDirectory(ByteSink& sink, std::span<const TiffEntry> entries, std::uint32_t next) {
  sink.U16(static_cast<std::uint32_t>(entries.size()));
  for (const TiffEntry& e : entries) {
    sink.U16(e.tag), sink.U16(e.type), sink.U32(e.count);
    sink.Put(e.field);
  }
  sink.U32(next);
}

namespace {

// The value bytes of numbers of one size in a byte order.
template <typename Number>
std::function<Buffer(ByteOrder)> Numbers(std::vector<Number> values) {
  return [values = std::move(values)](ByteOrder order) {
    Buffer b;
    ByteSink sink{order, b};
    for (const Number v : values) {
      if constexpr (sizeof(Number) == 2) {
        sink.U16(static_cast<std::uint16_t>(v));
      } else {
        sink.U32(static_cast<std::uint32_t>(v));
      }
    }
    return b;
  };
}

template <typename Pairs>
std::vector<std::uint32_t> Flat(const Pairs& values) {
  std::vector<std::uint32_t> flat;
  for (const auto& [n, d] : values) flat.push_back(static_cast<std::uint32_t>(n)), flat.push_back(static_cast<std::uint32_t>(d));
  return flat;
}

std::function<Buffer(ByteOrder)> AsIs(Buffer bytes) {
  return [bytes = std::move(bytes)](ByteOrder) { return bytes; };
}

std::uint32_t Count(std::size_t n) {
  return static_cast<std::uint32_t>(n);
}

}  // namespace

Ifd& Ifd::Add(Entry entry) {
  entries.push_back(std::move(entry));
  return *this;
}

Ifd& Ifd::Ascii(std::uint16_t tag, std::string_view text) {
  Buffer bytes(text.begin(), text.end());
  bytes.push_back(0);
  const std::uint32_t count = Count(bytes.size());
  return Encoded(tag, kAscii, count, std::move(bytes));
}

Ifd& Ifd::Byte(std::uint16_t tag, const Buffer& values) {
  return Encoded(tag, kByte, Count(values.size()), values);
}

Ifd& Ifd::Undefined(std::uint16_t tag, const Buffer& values) {
  return Encoded(tag, kUndefined, Count(values.size()), values);
}

Ifd& Ifd::Undefined(std::uint16_t tag, std::string_view text) {
  return Undefined(tag, Buffer(text.begin(), text.end()));
}

Ifd& Ifd::Short(std::uint16_t tag, const std::vector<std::uint16_t>& values) {
  return Add({tag, kShort, Count(values.size()), Numbers(values), {}, {}, false, {}});
}

Ifd& Ifd::SShort(std::uint16_t tag, const std::vector<std::int16_t>& values) {
  return Add({tag, kSShort, Count(values.size()), Numbers(values), {}, {}, false, {}});
}

Ifd& Ifd::Long(std::uint16_t tag, const std::vector<std::uint32_t>& values) {
  return Add({tag, kLong, Count(values.size()), Numbers(values), {}, {}, false, {}});
}

Ifd& Ifd::Rational(std::uint16_t tag, const Rationals& values) {
  return Add({tag, kRational, Count(values.size()), Numbers(Flat(values)), {}, {}, false, {}});
}

Ifd& Ifd::SRational(std::uint16_t tag, const SRationals& values) {
  return Add({tag, kSRational, Count(values.size()), Numbers(Flat(values)), {}, {}, false, {}});
}

Ifd& Ifd::Encoded(std::uint16_t tag, FieldType type, std::uint32_t count, Buffer bytes) {
  return Add({tag, type, count, AsIs(std::move(bytes)), {}, {}, false, {}});
}

Ifd& Ifd::Sub(std::uint16_t tag, std::shared_ptr<const Ifd> directory) {
  return Add({tag, kLong, 1, {}, std::move(directory), {}, false, {}});
}

Ifd& Ifd::Blob(std::uint16_t tag, FieldType type, std::uint32_t count, BlobMaker maker) {
  return Add({tag, type, count, {}, {}, std::move(maker), false, {}});
}

Ifd& Ifd::OffsetTo(std::uint16_t tag, Buffer bytes) {
  return Add({tag, kLong, 1, {}, {}, {}, true, std::move(bytes)});
}

Ifd& Ifd::Next(std::shared_ptr<const Ifd> directory) {
  next = std::move(directory);
  return *this;
}

std::size_t Ifd::Write(Buffer& out, ByteOrder order, std::int64_t bias) const {
  ByteSink sink{order, out};
  sink.PadToWord();
  const std::size_t start = out.size();
  std::vector<const Entry*> sorted;
  for (const Entry& e : entries) sorted.push_back(&e);
  std::stable_sort(sorted.begin(), sorted.end(), [](const Entry* a, const Entry* b) { return a->tag < b->tag; });
  std::vector<TiffEntry> stored;
  for (const Entry* e : sorted) stored.push_back({e->tag, static_cast<std::uint16_t>(e->type), e->count, {}});
  PutDirectory(sink, stored, 0);
  // The value field of entry i, and the next link after the last entry.
  const auto field = [start](std::size_t i) { return start + 2 + 12 * i + 8; };
  const std::size_t nextField = start + DirectorySize(sorted.size()) - 4;
  const auto offsetOf = [bias](std::size_t position) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(position) + bias);
  };
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const Entry& e = *sorted[i];
    if (e.sub) continue;
    if (e.blob || e.offsetTo) {
      sink.PadToWord();
      const std::size_t at = out.size();
      sink.Put(e.blob ? e.blob(static_cast<std::int64_t>(at) + bias) : e.target);
      sink.Patch32(field(i), offsetOf(at));
      continue;
    }
    const Buffer value = e.value(order);
    if (value.size() <= 4) {
      std::copy(value.begin(), value.end(), out.begin() + static_cast<std::ptrdiff_t>(field(i)));
    } else {
      sink.PadToWord();
      sink.Patch32(field(i), offsetOf(out.size()));
      sink.Put(value);
    }
  }
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (sorted[i]->sub) sink.Patch32(field(i), offsetOf(sorted[i]->sub->Write(out, order, bias)));
  }
  if (next) sink.Patch32(nextField, offsetOf(next->Write(out, order, bias)));
  return start;
}

void PutTiffHeader(ByteSink& sink, std::uint32_t firstDirectory) {
  sink.Text(sink.order == ByteOrder::BigEndian ? "MM" : "II");
  sink.U16(42);
  sink.U32(firstDirectory);
}

Buffer WriteTiffBlock(ByteOrder order, const Ifd& ifd0) {
  Buffer out;
  ByteSink sink{order, out};
  PutTiffHeader(sink, 8);
  ifd0.Write(out, order, 0);
  return out;
}

Buffer WriteExifPayload(ByteOrder order, const Ifd& ifd0) {
  Buffer out = {'E', 'x', 'i', 'f', 0, 0};
  const Buffer tiff = WriteTiffBlock(order, ifd0);
  out.insert(out.end(), tiff.begin(), tiff.end());
  return out;
}

}  // namespace kelmarin
