// The lister's kept locale file, as anyone with access to the cache folder may have changed it: read,
// and when it reads, every form and symbol of it used on dates, numbers and the information labels.
#include <cstdint>
#include <string_view>

#include "present/InfoLabels.h"
#include "present/NumberText.h"
#include "present/TextLocale.h"

using namespace kelmarin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto locale = ParseLocaleFile(text, "k");
  if (!locale) return 0;
  for (const Moment& moment : {Moment{2004, 12, 24, 18, 5, 9}, Moment{100, 1, 1, 0, 0, 0}, Moment{9999, 12, 31, 23, 59, 59}}) {
    (void)FormatMoment(*locale, moment, locale->shortDateFormat, MomentFields::Date);
    (void)FormatMoment(*locale, moment, locale->longTimeFormat, MomentFields::Time);
    (void)MakeInfoLabels(*locale, "a", "jpg", moment, 1234567, 1, 1, 1);
  }
  for (double value : {-1.5e-7, 1234.5, 1e300}) {
    (void)LocaleNumberText(value, *locale);
    (void)FormatNumber(value, "#,##0.00", *locale);
  }
  (void)LocaleFileText(*locale, "k");
  return 0;
}
