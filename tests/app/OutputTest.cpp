// The text form's escaping, which scans sixteen bytes at a time: against a plain byte-by-byte
// escaping, with each kind of escaped byte at every place of texts around the word size.
#include <gtest/gtest.h>

#include <string>

#include "ListerSupport.h"
#include "Output.h"

namespace kelmarin::lister {
namespace {

using listertest::EscapedByteByByte;

TEST(TextEscaping, EveryEscapedByteAtEveryPlaceAsByteByByte) {
  // Bytes just beside the escaped ones (0x20, '[' and ']' around the backslash, 0x7F and bytes of
  // UTF-8 sequences) stand as they are.
  const std::string filler = "a ]\x7F[b\xC3\xBC";
  for (const char special : {'\0', '\x01', '\t', '\n', '\r', '\x1B', '\x1F', '\\'}) {
    for (std::size_t size = 0; size <= 40; ++size) {
      std::string plain;
      for (std::size_t i = 0; i < size; ++i) plain += filler[i % filler.size()];
      std::string out = "#";
      AppendEscapedText(out, plain);
      EXPECT_EQ(out, "#" + plain) << size;
      EXPECT_EQ(FirstToEscape(plain, 0), size);
      for (std::size_t at = 0; at < size; ++at) {
        std::string text = plain;
        text[at] = special;
        if (at + 3 < size) text[size - 1] = special;  // a second one after the first
        out = "#";
        AppendEscapedText(out, text);
        EXPECT_EQ(out, "#" + EscapedByteByByte(text)) << int(special) << " at " << at << " of " << size;
        EXPECT_EQ(FirstToEscape(text, 0), at);
        EXPECT_EQ(FirstToEscape(text, at + 1), at + 3 < size ? size - 1 : size);
      }
    }
  }
}

}  // namespace
}  // namespace kelmarin::lister
