// The JPEG segment walker: lengths, fill bytes, standalone markers and every way a header ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/Containers.h"
#include "extract/JpegSegments.h"

namespace kelmarin {
namespace {

using Block = std::vector<std::uint8_t>;

// The segments walked, as "code:size" in hex and decimal, then "|" and whether a further call
// still finds nothing.
std::string Walk(const Block& jpeg) {
  JpegSegmentWalker walker(jpeg);
  std::string text;
  for (JpegSegment segment; walker.Next(segment);) {
    char part[16];
    std::snprintf(part, sizeof part, "%02X:%zu ", segment.code, segment.bytes.size());
    text += part;
  }
  JpegSegment after;
  return text + (walker.Next(after) ? "|again" : "|");
}

TEST(JpegSegments, WalksTheHeaderUpToItsEnd) {
  const struct {
    const char* name;
    Block jpeg;
    std::string walked;
  } cases[] = {
      {"app-comment-scan", {0xFF, 0xD8, 0xFF, 0xE1, 0, 4, 'a', 'b', 0xFF, 0xFE, 0, 3, 'c', 0xFF, 0xDA, 0, 2},
       "E1:6 FE:5 |"},
      {"fill-bytes", {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9}, "E0:4 |"},
      {"standalone", {0xFF, 0xD8, 0xFF, 0xD0, 0xFF, 0x01, 0xFF, 0xD7, 0xFF, 0xE2, 0, 2}, "D0:2 01:2 D7:2 E2:4 |"},
      {"image-end", {0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xE0, 0, 2}, "|"},
      {"length-below-two", {0xFF, 0xD8, 0xFF, 0xE0, 0, 1, 0xFF, 0xE1, 0, 2}, "|"},
      {"length-beyond", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xE1, 0, 5, 'x', 'y'}, "E0:4 |"},
      {"exactly-to-the-end", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xE1, 0, 4, 'x', 'y'}, "E0:4 E1:6 |"},
      {"no-marker-byte", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0x00, 0xFF, 0xE1, 0, 2}, "E0:4 |"},
      {"three-bytes-left", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD0, 0}, "E0:4 |"},
      {"only-the-start", {0xFF, 0xD8}, "|"},
  };
  for (const auto& c : cases) EXPECT_EQ(Walk(c.jpeg), c.walked) << c.name;

  // A header of nothing but restart markers ends after kMaxSegments of them.
  Block many = {0xFF, 0xD8};
  for (int i = 0; i < kMaxSegments + 10; ++i) many.insert(many.end(), {0xFF, 0xD0});
  many.insert(many.end(), {0xFF, 0xE0, 0, 2});
  JpegSegmentWalker walker(many);
  int count = 0;
  for (JpegSegment segment; walker.Next(segment);) ++count;
  EXPECT_EQ(count, kMaxSegments);
}

// The container reader keeps the APPn segments whole and the comments' payloads.
TEST(JpegSegments, ContainerReaderKeepsMarkersAndComments) {
  const Block jpeg = {0xFF, 0xD8, 0xFF, 0xDB, 0, 3, 9, 0xFF, 0xE1, 0, 4, 'a', 'b', 0xFF, 0xFE, 0, 4, 'h', 'i'};
  MetadataSource source;
  ASSERT_TRUE(ReadJpegSegments(jpeg, source));
  ASSERT_EQ(source.markers.size(), 1U);
  EXPECT_EQ(source.markers[0].code, kJpegApp1);
  EXPECT_EQ(source.markers[0].bytes, Block(jpeg.begin() + 7, jpeg.begin() + 13));
  EXPECT_EQ(source.comments, std::vector<std::string>{"hi"});
  EXPECT_FALSE(ReadJpegSegments(Block(jpeg.begin() + 1, jpeg.end()), source));
  EXPECT_EQ(JpegSegmentHead(kJpegApp13, 0x1234), (std::array<std::uint8_t, 4>{0xFF, 0xED, 0x12, 0x34}));
}

}  // namespace
}  // namespace kelmarin
