#pragma once
// The files kelmarin-exif lists: the names of the command line, the names of file lists (standard
// input or --dateiliste) and, with -r, the image files inside the folders among them.

#include <cstdio>
#include <string>
#include <vector>

#include "ListerOptions.h"

namespace kelmarin::lister {

// Fills options.files from options.names, in their order. A list's names come where the list was
// named: one per line (a line feed ends a name; no other character is taken away), or with
// options.nulSeparated ended by NUL; empty names are skipped. Standard input (`in`) is read once,
// however often it is named. With options.recursive, a name that is a folder (a symbolic link
// named directly is followed) is replaced by the image files below it (those whose extension is
// in the format table, in any case), sorted by their paths as bytes; symbolic links to folders
// inside the walk are not followed, so no loop of links can hold it up. Every other name stays as
// it is: reading it tells whether it is a file.
// A list or folder that cannot be read is reported on `err` ("kelmarin-exif: ...") and skipped,
// the rest goes on; returns false when that happened.
bool CollectFiles(ListerOptions& options, std::FILE* in, std::FILE* err);

}  // namespace kelmarin::lister
