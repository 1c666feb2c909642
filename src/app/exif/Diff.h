#pragma once
// kelmarin-exif --diff A B: the items in which two files differ.

// Its exit statuses and its inputs are those of the listing.
#include "Lister.h"

namespace kelmarin::lister {

inline constexpr int kExitDiffer = 3;  // --diff: the two files differ

// Compares the items of options.files[0] (A) and options.files[1] (B), over every section the
// listing holds, paired as present/RowPairing.h pairs them (the window's "Vergleichen" pairs them
// alike). The differing items come in A's order, then those only in B, in B's.
//
// Text form: "# " + A, "# " + B, then per differing item one line for A's row and one for B's
// (only one when the item is in one file alone): "<" (A) or ">" (B), the section's title and the
// four columns, TAB-separated and escaped as the listing is.
// JSON form: {"a": A, "b": B, "differences": [{"section", "title", "tag", "label", "a": {"label",
// "information", "raw"} or null, "b": ... or null}]}.
// CSV form: the listing's CSV records (file column A or B) of the differing items only.
// Returns kExitOk when no item differs, kExitDiffer when some does, kExitFileFailed when a file
// cannot be read ("Fehler <number>: <path>" on `err`, nothing on `out`) or writing failed, and
// kExitCannotStart when options.files does not hold exactly two names or the image module is
// needed and missing.
int DiffFiles(const ListerOptions& options, const Definitions& definitions, const TextLocale& locale,
              ImageModule& module, std::FILE* out, std::FILE* err);

}  // namespace kelmarin::lister
