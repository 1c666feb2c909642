#pragma once
// Folder and file names in the order a German reader expects: the German locale's collation,
// numbers by their value ("Bild 2" before "Bild 10"), umlauts beside their base letter, case only
// as the last difference.

#include <QString>
#include <vector>

#include "browser/core/FolderListing.h"

namespace kelmarin {

bool GermanNameLess(const QString& a, const QString& b);

// Sorts the files by their decoded names (with extension) in that order; returns those names in
// the new order.
std::vector<QString> SortByGermanName(std::vector<FileEntry>& entries);

}  // namespace kelmarin
