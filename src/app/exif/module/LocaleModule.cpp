// kelmarin-exif-locale: the toolkit's system locale for kelmarin-exif, loaded at run time only when
// the locale forms kept in the cache folder do not fit the environment (see ../SystemLocale.h).
// Only the two extern "C" functions are exported.

#include <QLocale>
#include <type_traits>

#include "../ImageModule.h"
#include "present/qt/QtTextLocale.h"

KELMARIN_EXPORT const char* kelmarin_exif_locale_interface() {
  return KELMARIN_IMAGE_MODULE_INTERFACE;
}

KELMARIN_EXPORT void kelmarin_exif_locale(kelmarin::TextLocale& locale) {
  locale = kelmarin::TextLocaleOf(QLocale::system());
}

static_assert(std::is_same_v<decltype(&kelmarin_exif_locale_interface),
                             kelmarin::lister::ImageModuleInterfaceFunction>);
static_assert(std::is_same_v<decltype(&kelmarin_exif_locale), kelmarin::lister::ImageModuleLocaleFunction>);
