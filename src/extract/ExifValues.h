#pragma once
// The values of one EXIF item. Whole numbers read from a directory are kept as their bytes (1, 2 or 4
// per value, in the byte order of their block) and become numbers only when read: a makernote holds
// arrays of thousands of values, of which a listing shows ten and a position row one. Everything
// else (texts, fractions, lists built by hand) is kept as a list of values.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kelmarin {

// A value of an item: a whole number, or a text of raw bytes (not yet decoded for display).
using ExifValue = std::variant<std::int64_t, std::string>;

// How packed numbers are stored: bytes per value and how they read.
struct PackedForm {
  std::uint8_t width = 1;  // 1, 2 or 4
  bool isSigned = false;
  bool bigEndian = false;
};

class ExifValues {
 public:
  ExifValues() = default;
  ExifValues(std::vector<ExifValue> values) : list(std::move(values)) {}  // NOLINT: a list is values
  ExifValues(std::initializer_list<ExifValue> values) : list(values) {}
  // `count` numbers of the given form from `bytes` (count * width bytes, which the values copy).
  static ExifValues Packed(std::span<const std::uint8_t> bytes, std::size_t count, PackedForm form);

  std::size_t size() const { return packedCount != 0 ? packedCount : list.size(); }
  bool empty() const { return size() == 0; }
  // Value i (0-based), a copy; i must be below size().
  ExifValue operator[](std::size_t i) const;
  ExifValue at(std::size_t i) const;  // throws std::out_of_range beyond the end
  ExifValue front() const { return (*this)[0]; }
  // Value i when it is a number (the packed numbers always are); nothing for a text.
  std::optional<std::int64_t> Number(std::size_t i) const;

  template <typename... Args>
  void emplace_back(Args&&... args) {
    Unpacked().emplace_back(std::forward<Args>(args)...);
  }
  // Bytes per number of packed values (1, 2 or 4); 0 for values kept as a list.
  std::uint8_t PackedWidth() const { return packedCount != 0 ? form.width : 0; }
  // The bytes held by texts (packed numbers hold none).
  std::size_t TextBytes() const;

  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = ExifValue;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = ExifValue;
    const_iterator() = default;
    const_iterator(const ExifValues* values, std::size_t index) : owner(values), i(index) {}
    ExifValue operator*() const { return (*owner)[i]; }
    const_iterator& operator++() {
      ++i;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++i;
      return before;
    }
    bool operator==(const const_iterator& other) const { return i == other.i; }

   private:
    const ExifValues* owner = nullptr;
    std::size_t i = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

 private:
  std::vector<ExifValue>& Unpacked();
  std::int64_t PackedNumber(std::size_t i) const;

  std::vector<ExifValue> list;
  std::string packed;            // the packed numbers' bytes, when packedCount > 0
  std::size_t packedCount = 0;   // 0: the values are in `list`
  PackedForm form;
};

}  // namespace kelmarin
