#pragma once
// The section "Farbprofil": the facts of an image's embedded ICC profile (and its nclx colour
// information) as rows for the window and the lister, and as the "icc" member of the JSON form.

#include <cstdint>
#include <string>
#include <vector>

#include "extract/IccFacts.h"
#include "extract/IccProfile.h"
#include "present/Listing.h"

namespace kelmarin {

inline constexpr std::int32_t kSectionColourProfile = 8;

// One fact: its JSON key (also the row's tag column), German label, display text and raw value.
struct IccEntry {
  std::string key;
  std::string label;
  std::string information;
  std::string raw;
  bool number = false;  // the raw value is written into JSON as a number, not a string
};

// The entries of a source's profile: description, class, colorSpace, pcs, version, intent, creator,
// date, copyright, size (a fact the profile lacks is left out), then nclx. A profile whose parts
// do not fit together, or that lcms2 cannot read, gives a "problem" entry instead of its facts.
// No profile and no nclx: none.
std::vector<IccEntry> IccEntries(const MetadataSource& source);
// The same for the parts of a profile already joined, and the nclx information (may be null).
std::vector<IccEntry> IccEntries(const EmbeddedIcc& profile, const NclxColour* nclx);

// An empty row, the red title "Farbprofil" and one row per entry; none for no entries.
std::vector<ListingRow> IccRows(const std::vector<IccEntry>& entries);

// The member `"icc":{"key":value,...},`; nothing for no entries.
void AppendIccJson(std::string& out, const std::vector<IccEntry>& entries);

}  // namespace kelmarin
