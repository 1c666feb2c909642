#pragma once
// Where kelmarin-exif finds metadata.def when no --definitions is given.

#include <filesystem>

namespace kelmarin::lister {

// The first that exists of: metadata.def beside the executable, in the installed data folder seen
// from the executable (an installation moved elsewhere, a package unpacked into a folder), in the
// installed data folder, in the source tree's data folder. When none exists, the one beside the executable
// (the loader then reports it as missing).
std::filesystem::path DefaultDefinitionFile();
// The same search for another data file (xmp.def).
std::filesystem::path DefaultDataFile(const char* fileName);

// The folder of the running executable; empty when it cannot be told.
std::filesystem::path ExecutableFolder();

}  // namespace kelmarin::lister
