#include "extract/ExifValues.h"

#include <stdexcept>

#include "extract/ByteCursor.h"

namespace kelmarin {

ExifValues ExifValues::Packed(std::span<const std::uint8_t> bytes, std::size_t count, PackedForm form) {
  ExifValues values;
  if (count == 0) return values;
  if (form.width != 1 && form.width != 2) form.width = 4;
  values.packed.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  values.packed.resize(count * form.width, '\0');
  values.packedCount = count;
  values.form = form;
  return values;
}

std::int64_t ExifValues::PackedNumber(std::size_t i) const {
  // Packed() keeps packedCount × width bytes, so the cursor never runs out here.
  ByteCursor cursor(std::span(reinterpret_cast<const std::uint8_t*>(packed.data()) + i * form.width, form.width),
                    form.bigEndian);
  switch (form.width) {
    case 1: {
      const std::uint8_t byte = cursor.U8();
      return form.isSigned ? std::int64_t{static_cast<std::int8_t>(byte)} : std::int64_t{byte};
    }
    case 2: {
      const std::uint16_t word = cursor.U16();
      return form.isSigned ? std::int64_t{static_cast<std::int16_t>(word)} : std::int64_t{word};
    }
    default: {
      const std::uint32_t word = cursor.U32();
      return form.isSigned ? std::int64_t{static_cast<std::int32_t>(word)} : std::int64_t{word};
    }
  }
}

ExifValue ExifValues::operator[](std::size_t i) const {
  if (packedCount != 0) return PackedNumber(i);
  return list[i];
}

ExifValue ExifValues::at(std::size_t i) const {
  if (i >= size()) throw std::out_of_range("ExifValues::at");
  return (*this)[i];
}

std::optional<std::int64_t> ExifValues::Number(std::size_t i) const {
  if (packedCount != 0) return PackedNumber(i);
  if (const auto* number = std::get_if<std::int64_t>(&list[i])) return *number;
  return std::nullopt;
}

std::size_t ExifValues::TextBytes() const {
  std::size_t bytes = 0;
  for (const ExifValue& value : list) {
    if (const auto* text = std::get_if<std::string>(&value)) bytes += text->size();
  }
  return bytes;
}

std::vector<ExifValue>& ExifValues::Unpacked() {
  if (packedCount != 0) {
    list.reserve(packedCount);
    for (std::size_t i = 0; i < packedCount; ++i) list.emplace_back(PackedNumber(i));
    packed.clear();
    packedCount = 0;
  }
  return list;
}

}  // namespace kelmarin
