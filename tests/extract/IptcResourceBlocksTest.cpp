// IPTC resource blocks that follow one another without other resources in between.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/MetadataReader.h"

namespace kelmarin::test {
namespace {

// After data of even length the next block starts at once (after odd data, one padding byte on).
TEST(IptcResourceBlocks, AdjacentBlocksAreAllRead) {
  ImageMetadata image;
  ReadIptcBlock(image, App13(Cat({IptcResource(Dataset(25, "eins!")), IptcResource(Dataset(25, "zwei")),
                                  IptcResource(Dataset(25, "drei"))})));
  ASSERT_NE(image.IptcTag(25), nullptr);
  EXPECT_EQ(image.IptcTag(25)->inhalt, "eins!,zwei,drei");
}

}  // namespace
}  // namespace kelmarin::test
