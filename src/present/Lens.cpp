#include "present/Lens.h"

namespace kelmarin {

struct LensTable::Data {};

LensTable::LensTable() : d(std::make_unique<Data>()) {}
LensTable::~LensTable() = default;
LensTable::LensTable(LensTable&&) noexcept = default;
LensTable& LensTable::operator=(LensTable&&) noexcept = default;

LensTable LensTable::Load(const std::filesystem::path&, const std::filesystem::path&, std::vector<std::string>*) {
  return LensTable();
}

const LensTable& ProcessLensTable() {
  static const LensTable table;
  return table;
}

std::optional<LensAnswer> ResolveLens(ImageMetadata&, const LensTable&) { return std::nullopt; }

}  // namespace kelmarin
