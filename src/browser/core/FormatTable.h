#pragma once
// The twelve image formats of the file list: caption, extensions, image type code, grid place.

#include <array>
#include <cstdint>
#include <string_view>

namespace kelmarin {

struct FormatBox {
  std::string_view caption;
  std::string_view extensions;  // upper case, comma-separated, three characters each
  std::int32_t typeCode;
  int row;     // 1..3
  int column;  // 1..4
};

inline constexpr std::array<FormatBox, 12> kFormatBoxes = {{
    {"bmp", "BMP", 1, 1, 1},
    {"emf, wmf", "EMF,WMF", 2, 1, 2},
    {"gif", "GIF", 3, 1, 3},
    {"jpg", "JPG", 4, 1, 4},
    {"pcd", "PCD", 6, 2, 1},
    {"pcx", "PCX", 7, 2, 2},
    {"png", "PNG", 8, 2, 3},
    {"psd", "PSD", 9, 2, 4},
    {"tga", "TGA", 11, 3, 2},
    {"tif", "TIF", 12, 3, 3},
    {"jp2", "JP2", 5, 3, 4},
    {"raw", "CR2,CRW,DCR,DNG,MRW,NEF,ORF,PEF,RAF,RAW,SRF,SR2", 10, 3, 1},
}};

// The type code of a file name by its three-character extension, as if every box were checked
// (jp2 included); 0 when the name has no such extension in the table.
std::int32_t TypeCodeForFileName(std::string_view fileName);

}  // namespace kelmarin
