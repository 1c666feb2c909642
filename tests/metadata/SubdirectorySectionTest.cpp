// Sections of makernote sub-directories: after their layout's own section, once each.
#include "LoaderTestSupport.h"

namespace kelmarin {
namespace {

using namespace test;

TEST(SubdirectorySections, FollowTheirLayoutOnce) {
  ExpectFailure("#version 2\n#makernote canon01 0x2010\n", kCaption,
                LineErrorText(2, "#makernote canon01 0x2010"));
  ExpectFailure("#version 2\n#makernote canon01\n#makernote canon01 0x2010\n#makernote canon01 8208\n",
                CaptionWithCode(457), LineErrorText(4, "#makernote canon01 8208"));
  const auto defs = ExpectLoads("#version 2\n#makernote canon01\n+1,0,0,a\n#makernote canon01 0x2010\n+1,0,0,b\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->TagName(4, kSectionMakernote, 1, 0), "a");
  EXPECT_EQ(defs->FindTag(4, kSectionMakernote, 0x2010, 1, 0)->bezeichnung, "b");
  EXPECT_EQ(defs->FindTag(4, kSectionMain, 0x2010, 1, 0), nullptr);
}

}  // namespace
}  // namespace kelmarin
