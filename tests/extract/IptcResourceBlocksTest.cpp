// IPTC resource blocks that follow one another without other resources in between.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/MetadataReader.h"

namespace kelmarin {
namespace {

using test::App13;
using test::Cat;
using test::Dataset;
using test::IptcResource;

// Data of even and of odd length in the first block: the second block starts right after it
// (after one padding byte when odd) and is read either way.
TEST(IptcResourceBlocks, AdjacentBlocksAreAllRead) {
  for (const std::string first : {"eins!", "eins", "", "x"}) {
    const auto firstData = first.empty() ? std::vector<std::uint8_t>{} : Dataset(25, first);
    ImageMetadata image;
    ReadIptcBlock(image, App13(Cat({IptcResource(firstData), IptcResource(Dataset(25, "zwei")),
                                    IptcResource(Dataset(120, "drei"))})));
    const std::string expected = first.empty() ? "zwei" : first + ",zwei";
    ASSERT_NE(image.IptcTag(25), nullptr) << first;
    EXPECT_EQ(image.IptcTag(25)->inhalt, expected) << first;
    ASSERT_NE(image.IptcTag(120), nullptr) << first;
    EXPECT_EQ(image.IptcTag(120)->inhalt, "drei") << first;
  }
}

}  // namespace
}  // namespace kelmarin
