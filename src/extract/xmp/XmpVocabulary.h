#pragma once
// The XMP namespaces Kelmarin knows, with their usual prefixes, and the German labels of their
// properties, read from the data file beside the definition file (data/xmp.def):
//   namespace PREFIX URI        a namespace and the prefix it is shown with
//   PREFIX:Name = Label         the label of a property (or structure field) of that namespace
// Empty lines and lines starting with '#' are comments.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelmarin {

class XmpVocabulary {
 public:
  // Reads the text of a data file. A line that is neither form, or names a prefix no namespace line
  // declared before it, is skipped and counted in SkippedLines(). Never throws except std::bad_alloc.
  static XmpVocabulary FromText(std::string_view text);
  // Reads the file; false (and the vocabulary left empty) when it cannot be read.
  bool Load(const std::string& path);

  // The usual prefix of the namespace; empty when unknown.
  std::string_view Prefix(std::string_view uri) const;
  // The label of a property or field; empty when unknown.
  std::string_view Label(std::string_view uri, std::string_view name) const;
  std::size_t SkippedLines() const { return skipped; }
  bool Empty() const { return prefixes.empty(); }

 private:
  std::unordered_map<std::string, std::string> prefixes;  // URI -> prefix
  std::unordered_map<std::string, std::string> labels;    // URI + ' ' + name -> label
  std::size_t skipped = 0;
};

}  // namespace kelmarin

namespace kelmarin {

// The vocabulary of this process, read once on first use from the file named before (empty when
// none was named or it cannot be read; parts are then shown with the file's prefixes, unlabelled).
// Name the file at start-up, before any thread reads XMP.
void SetXmpVocabularyFile(std::string path);
const XmpVocabulary& ProcessXmpVocabulary();

}  // namespace kelmarin
