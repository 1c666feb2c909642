#pragma once
// kelmarin-exif --version.

#include <filesystem>
#include <string>

namespace kelmarin::lister {

class ImageModule;

// Three parts, one per line: "kelmarin-exif " + the program's version (the build's project
// version, the one the about window and the package show); "Definitionsdatei: " + path + " (Version
// N)", with "(Version unbekannt)" when the file's first line names none or it cannot be read;
// then "<library> <version>" for each imaging library as the about window lists them ("NV" for a
// version that cannot be told), or one line saying why the versions module could not be loaded.
std::string VersionText(const std::filesystem::path& definitionFile, ImageModule& module);

// The version the definition file's first line "#version N" names (a UTF-8 byte order mark before
// it is skipped); empty when the line is not of that form or the file cannot be read.
std::string DefinitionFileVersion(const std::filesystem::path& definitionFile);

}  // namespace kelmarin::lister
