#pragma once
// Imaging libraries print and parse numbers with the C library: ImageMagick's WMF coder draws
// through a text of drawing commands, libemf2svg prints its SVG coordinates. A process whose numeric
// locale writes decimal commas (a GUI application takes the user's) breaks both. While an object of
// this class lives, the calling thread uses C numbers; the process's locale is left alone.

#include <locale.h>

namespace kelmarin::codec {

class CNumbers {
 public:
  CNumbers() {
    const locale_t base = duplocale(LC_GLOBAL_LOCALE);  // the other categories stay the process's
    if (base == locale_t{}) return;
    numbers = newlocale(LC_NUMERIC_MASK, "C", base);
    if (numbers == locale_t{}) {
      freelocale(base);
      return;
    }
    previous = uselocale(numbers);
  }
  ~CNumbers() {
    if (numbers == locale_t{}) return;
    uselocale(previous);
    freelocale(numbers);
  }
  CNumbers(const CNumbers&) = delete;
  CNumbers& operator=(const CNumbers&) = delete;

 private:
  locale_t numbers{};
  locale_t previous{};
};

}  // namespace kelmarin::codec
