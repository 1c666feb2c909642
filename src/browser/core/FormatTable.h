#pragma once
// The image formats of the file list: caption, extensions, image type code, grid place. The first
// twelve boxes are the classic formats; the boxes after them hold today's formats (type codes 13 up).

#include <array>
#include <cstdint>
#include <string_view>

#include "extract/ImageTypes.h"

namespace kelmarin {

struct FormatBox {
  std::string_view caption;
  std::string_view extensions;  // upper case, comma-separated, of any length
  std::int32_t typeCode;
  int row;     // 1..4
  int column;  // 1..4
};

inline constexpr std::size_t kFormatBoxCount = 15;

inline constexpr std::array<FormatBox, kFormatBoxCount> kFormatBoxes = {{
    {"bmp", "BMP", kTypeBmp, 1, 1},
    {"emf, wmf", "EMF,WMF", kTypeMetafile, 1, 2},
    {"gif", "GIF", kTypeGif, 1, 3},
    {"jpg", "JPG,JPEG,JPE", kTypeJpeg, 1, 4},
    {"pcd", "PCD", kTypePcd, 2, 1},
    {"pcx", "PCX", kTypePcx, 2, 2},
    {"png", "PNG", kTypePng, 2, 3},
    {"psd", "PSD", kTypePsd, 2, 4},
    {"tga", "TGA", kTypeTga, 3, 2},
    {"tif", "TIF,TIFF", kTypeTiff, 3, 3},
    {"jp2", "JP2", kTypeJpeg2000, 3, 4},
    {"raw", "CR2,CRW,DCR,DNG,MRW,NEF,ORF,PEF,RAF,RAW,SRF,SR2,CR3,NRW,ARW,ERF,3FR,IIQ,MOS,MEF,KDC,RWL,SRW,RW2,X3F",
     kTypeRaw, 3, 1},
    // Row 4 shares the grid with the button "alle auswählen" at its left end (FilterPanel); jxl takes
    // the place of the hidden jp2 box.
    {"heic, avif", "HEIC,HEIF,HIF,AVIF", kTypeHeif, 4, 2},
    {"webp", "WEBP", kTypeWebp, 4, 3},
    {"jxl", "JXL", kTypeJxl, 3, 4},
}};

// The extension of a file name (no folder part): the text after its last dot, empty when there is none.
std::string_view FileExtension(std::string_view fileName);

// The type code of a file name or path by its file name's extension, compared whole and without regard to
// case, as if every box were checked (jp2 included); 0 when the name has no extension in the table.
std::int32_t TypeCodeForFileName(std::string_view fileName);

// True when the extension is one of the box's, compared whole and without regard to case.
bool BoxHasExtension(const FormatBox& box, std::string_view extension);

}  // namespace kelmarin
