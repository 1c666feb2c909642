#pragma once
// The lens of a picture by name: from the EXIF lens fields, else from the maker's lens codes in the
// makernote, looked up in the lens table (data file lenses.def beside the definition file, plus the
// user's own file of lens names, which may add or override codes).

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "present/Summary.h"

namespace kelmarin {

class ImageMetadata;

// The lens names of every maker's codes; loaded once, read-only afterwards (safe from many threads).
class LensTable {
 public:
  LensTable();
  ~LensTable();
  LensTable(LensTable&&) noexcept;
  LensTable& operator=(LensTable&&) noexcept;

  // The shipped file, then the user's file (its codes win); a missing user file is no error. Lines
  // that cannot be read are passed over and counted in the messages (German, one per fault).
  static LensTable Load(const std::filesystem::path& shipped, const std::filesystem::path& user,
                        std::vector<std::string>* messages = nullptr);

  // The same from the files' texts (names are used in the messages only).
  static LensTable FromText(std::string_view shipped, std::string_view user,
                            std::vector<std::string>* messages,
                            const std::string& userName = "Kelmarin-lenses.conf");

  struct Data;
  const Data& data() const { return *d; }

 private:
  std::unique_ptr<Data> d;
};

// The table beside the process's definition file and the user's file (~/.config/Tarnwickel/
// Kelmarin-lenses.conf), loaded on first use. The shipped file is the one named by SetLensTableFile,
// else lenses.def beside the program, in the installed data folder or in the source tree.
const LensTable& ProcessLensTable();
// Name the shipped file at start-up, before any thread asks for the table (e.g. beside the
// definition file the lister was given).
void SetLensTableFile(std::string path);
// The messages of loading ProcessLensTable (German, one per line passed over); loads it first.
const std::vector<std::string>& ProcessLensTableMessages();
// $XDG_CONFIG_HOME/Tarnwickel/Kelmarin-lenses.conf (else ~/.config/…); empty without a home.
std::filesystem::path UserLensFile();

struct LensAnswer {
  std::string text;  // a name, or candidates joined by " oder "; "(adaptiert)" / "manuelles Objektiv"
  std::string raw;   // the code(s) as stored
  std::vector<SummarySource> from;
};

// The lens of the image, or nothing when the file says nothing of it. In this order: the EXIF
// LensModel (unless a placeholder such as "----"), replaced by the table's fuller name when the
// maker's code names exactly one lens of the same focal range; the maker's code looked up and
// narrowed by the focal range and aperture the file states; the makernote's lens text. A code the
// table does not know, or whose lenses the file's focal range or aperture all contradict, gives
// "unbekanntes Objektiv" with the range the file states ("unbekanntes Objektiv (18-250mm f/3.5-6.3)")
// and the code in `raw`, so that the user can name it in the own file. Without code and name, the
// range alone ("7.1-21.3mm", a compact camera's zoom). `from` holds the rows as the metadata list
// shows their tag column ("1.23" for a position, "8208:513" in a sub-directory, "42036").
std::optional<LensAnswer> ResolveLens(const ImageMetadata& metadata, const LensTable& table);

}  // namespace kelmarin
