#pragma once
// The user's locale for kelmarin-exif's texts without the toolkit: the window's forms come from the
// toolkit's locale, which only the locale module (kelmarin-exif-locale) loads. Its answer is kept in
// the cache folder, keyed by the locale settings of the environment, so that a start with the same
// settings reads a small file instead of loading the module.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "present/TextLocale.h"

namespace kelmarin::lister {

class ImageModule;

// What the toolkit's system locale is read from, with the module's interface text: the cache key.
// None when a setting holds a line break (no key can be made): the module is then always asked.
std::optional<std::string> LocaleSettingsKey();

// The locale: from the file "locale" in `cacheFolder` when it holds the current key, else from the
// locale module (and then written there, replacing the file in one step). When that module cannot
// be loaded, the program's own German forms.
TextLocale SystemTextLocale(ImageModule& module, const std::filesystem::path& cacheFolder);

}  // namespace kelmarin::lister
