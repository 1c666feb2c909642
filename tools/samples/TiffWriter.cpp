#include "TiffWriter.h"

#include <algorithm>

namespace kelmarin::samples {

void ByteSink::U16(std::uint32_t v) {
  if (order == ByteOrder::kBig) {
    U8(v >> 8), U8(v);
  } else {
    U8(v), U8(v >> 8);
  }
}

void ByteSink::U32(std::uint32_t v) {
  if (order == ByteOrder::kBig) {
    U16(v >> 16), U16(v);
  } else {
    U16(v), U16(v >> 16);
  }
}

namespace {

void PutU32(Bytes& out, std::size_t at, ByteOrder order, std::uint32_t v) {
  Bytes bytes;
  ByteSink{order, bytes}.U32(v);
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

void PadToWord(Bytes& out) {
  if (out.size() % 2 != 0) out.push_back(0);
}

}  // namespace

Ifd& Ifd::Add(Entry entry) {
  entries.push_back(std::move(entry));
  return *this;
}

Ifd& Ifd::Ascii(std::uint16_t tag, const std::string& text) {
  const Bytes bytes = [&] {
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
  }();
  return Add({tag,
              kAscii,
              static_cast<std::uint32_t>(bytes.size()),
              [bytes](ByteOrder) { return bytes; },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::Byte(std::uint16_t tag, const Bytes& values) {
  return Add({tag,
              kByte,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder) { return values; },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::Undefined(std::uint16_t tag, const Bytes& values) {
  return Add({tag,
              kUndefined,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder) { return values; },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::Undefined(std::uint16_t tag, const std::string& text) {
  return Undefined(tag, Bytes(text.begin(), text.end()));
}

Ifd& Ifd::Short(std::uint16_t tag, const std::vector<std::uint16_t>& values) {
  return Add({tag,
              kShort,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder order) {
                Bytes b;
                for (std::uint16_t v : values) ByteSink{order, b}.U16(v);
                return b;
              },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::SShort(std::uint16_t tag, const std::vector<std::int16_t>& values) {
  return Add({tag,
              kSShort,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder order) {
                Bytes b;
                for (std::int16_t v : values) ByteSink{order, b}.U16(static_cast<std::uint16_t>(v));
                return b;
              },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::Long(std::uint16_t tag, const std::vector<std::uint32_t>& values) {
  return Add({tag,
              kLong,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder order) {
                Bytes b;
                for (std::uint32_t v : values) ByteSink{order, b}.U32(v);
                return b;
              },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::SLong(std::uint16_t tag, const std::vector<std::int32_t>& values) {
  return Add({tag,
              kSLong,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder order) {
                Bytes b;
                for (std::int32_t v : values) ByteSink{order, b}.U32(static_cast<std::uint32_t>(v));
                return b;
              },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::Rational(std::uint16_t tag, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values) {
  return Add({tag,
              kRational,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder order) {
                Bytes b;
                for (const auto& [n, d] : values) ByteSink{order, b}.U32(n), ByteSink{order, b}.U32(d);
                return b;
              },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::SRational(std::uint16_t tag, const std::vector<std::pair<std::int32_t, std::int32_t>>& values) {
  return Add({tag,
              kSRational,
              static_cast<std::uint32_t>(values.size()),
              [values](ByteOrder order) {
                Bytes b;
                for (const auto& [n, d] : values) {
                  ByteSink{order, b}.U32(static_cast<std::uint32_t>(n));
                  ByteSink{order, b}.U32(static_cast<std::uint32_t>(d));
                }
                return b;
              },
              {},
              {},
              false,
              {}});
}

Ifd& Ifd::Sub(std::uint16_t tag, std::shared_ptr<Ifd> directory) {
  return Add({tag, kLong, 1, {}, std::move(directory), {}, false, {}});
}

Ifd& Ifd::Blob(std::uint16_t tag, FieldType type, std::uint32_t count, BlobMaker maker) {
  return Add({tag, type, count, {}, {}, std::move(maker), false, {}});
}

Ifd& Ifd::OffsetTo(std::uint16_t tag, Bytes bytes) {
  return Add({tag, kLong, 1, {}, {}, {}, true, std::move(bytes)});
}

Ifd& Ifd::Next(std::shared_ptr<Ifd> directory) {
  next = std::move(directory);
  return *this;
}

std::size_t Ifd::Write(Bytes& out, ByteOrder order, std::int64_t bias) const {
  PadToWord(out);
  const std::size_t start = out.size();
  std::vector<Entry> sorted = entries;  // TIFF 6.0: entries in ascending tag order
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  ByteSink sink{order, out};
  sink.U16(static_cast<std::uint32_t>(sorted.size()));
  std::vector<std::size_t> valueField(sorted.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    sink.U16(sorted[i].tag), sink.U16(sorted[i].type), sink.U32(sorted[i].count);
    valueField[i] = out.size();
    sink.U32(0);
  }
  const std::size_t nextField = out.size();
  sink.U32(0);
  auto offsetOf = [&](std::size_t position) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(position) + bias);
  };
  // Values that do not fit in the entry, blobs and targets follow the directory in entry order.
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const Entry& e = sorted[i];
    if (e.sub) continue;
    if (e.blob || e.offsetTo) {
      PadToWord(out);
      const std::size_t at = out.size();
      const Bytes bytes = e.blob ? e.blob(static_cast<std::int64_t>(at) + bias) : e.target;
      out.insert(out.end(), bytes.begin(), bytes.end());
      PutU32(out, valueField[i], order, offsetOf(at));
      continue;
    }
    const Bytes value = e.value(order);
    if (value.size() <= 4) {
      std::copy(value.begin(), value.end(), out.begin() + static_cast<std::ptrdiff_t>(valueField[i]));
    } else {
      PadToWord(out);
      PutU32(out, valueField[i], order, offsetOf(out.size()));
      out.insert(out.end(), value.begin(), value.end());
    }
  }
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (sorted[i].sub) PutU32(out, valueField[i], order, offsetOf(sorted[i].sub->Write(out, order, bias)));
  }
  if (next) PutU32(out, nextField, order, offsetOf(next->Write(out, order, bias)));
  return start;
}

Bytes TiffBlock(ByteOrder order, const Ifd& ifd0) {
  Bytes out = order == ByteOrder::kBig ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
  ByteSink sink{order, out};
  sink.U16(42);
  sink.U32(8);
  ifd0.Write(out, order, 0);
  return out;
}

Bytes ExifPayload(ByteOrder order, const Ifd& ifd0) {
  static constexpr std::uint8_t kIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};
  const Bytes tiff = TiffBlock(order, ifd0);
  Bytes out(sizeof kIdentifier + tiff.size());
  std::copy(std::begin(kIdentifier), std::end(kIdentifier), out.begin());
  std::copy(tiff.begin(), tiff.end(), out.begin() + sizeof kIdentifier);
  return out;
}

}  // namespace kelmarin::samples
