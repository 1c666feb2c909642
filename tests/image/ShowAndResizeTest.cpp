// The preview arithmetic of show (pixels from twips, halves to even, 0 becomes 1, centring) and the
// three ways of ResizeImage.

#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "image/Resize.h"

namespace kelmarin::test {
namespace {

using samples::Quadrants;

// A loaded image of the given size.
struct Loaded {
  Loaded(const ScratchFolder& folder, int width, int height, Reporter* reporter = nullptr)
      : image(nullptr, reporter) {
    path = folder.Path("image-" + std::to_string(width) + "x" + std::to_string(height) + ".png");
    EXPECT_TRUE(samples::WritePng(path, Quadrants(width, height)));
    EXPECT_EQ(Load(image, path, kTypePng), 0);
  }
  std::string path;
  ZetImage image;
};

struct Case {
  int imageWidth, imageHeight;
  std::int32_t boxTwipsX, boxTwipsY;
  double twipsPerPixel;
  int drawnWidth, drawnHeight, x, y;
};

TEST(Show, ScalesAndCentresIntoTheBox) {
  ScratchFolder folder;
  const Case cases[] = {
      {3000, 10, 1500, 1500, 15.0, 100, 1, 0, 50},   // th = 0.33 becomes 1; y = 49.5 → 50
      {400, 300, 1500, 1500, 15.0, 100, 75, 0, 12},  // y = 12.5 → 12
      {50, 25, 1500, 1500, 15.0, 100, 50, 0, 25},    // enlarged
      {3, 1, 1500, 1500, 15.0, 100, 33, 0, 34},      // th = 33.3; y = 33.5 → 34
      {200, 200, 1005, 1015, 10.0, 100, 100, 0, 1},  // box 100.5 → 100, 101.5 → 102; y = 1
      {10, 10, 1000, 1000, 10.0, 100, 100, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.imageWidth) + "x" + std::to_string(c.imageHeight));
    Loaded loaded(folder, c.imageWidth, c.imageHeight);
    RecordingBox box;
    box.widthTwips = c.boxTwipsX, box.heightTwips = c.boxTwipsY, box.twipsX = box.twipsY = c.twipsPerPixel;
    EXPECT_EQ(loaded.image.show(box), 1);
    EXPECT_EQ(box.clears, 1);
    EXPECT_EQ(box.drawn.format(), QImage::Format_RGB888);
    EXPECT_EQ(std::tuple(box.drawn.width(), box.drawn.height(), box.x, box.y),
              std::tuple(c.drawnWidth, c.drawnHeight, c.x, c.y));
  }
}

TEST(Show, FailuresAreReported) {
  ScratchFolder folder;
  RecordingReporter reporter;
  Loaded loaded(folder, 20, 20, &reporter);
  RecordingBox box;
  box.drawSucceeds = false;
  EXPECT_EQ(loaded.image.show(box), 2);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "Fehler 6\nISDrawRGB: " + loaded.path);
  // An image that failed to load draws nothing; only load's message.
  ASSERT_EQ(Load(loaded.image, folder.Path("missing.png"), kTypePng), 2);
  RecordingBox empty;
  EXPECT_EQ(loaded.image.show(empty), 2);
  EXPECT_EQ(empty.clears, 1);
  EXPECT_TRUE(empty.drawn.isNull());
  EXPECT_EQ(reporter.messages.size(), 2u);
}

QImage Filled(int width, int height, std::uint8_t value) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(QColor(value, value, value));
  return image;
}

TEST(Resize, SameSizeSharesSmallerAveragesLargerInterpolates) {
  const QImage source = Filled(300, 200, 90);
  QImage target;
  ASSERT_FALSE(ZetImage::ResizeImage(source, 300, 200, target, -2));
  EXPECT_EQ(target.constBits(), source.constBits());

  ASSERT_FALSE(ZetImage::ResizeImage(source, 30, 20, target, -2));
  EXPECT_EQ(target.size(), QSize(30, 20));
  ExpectPixel(target, 15, 10, 90, 90, 90, 0);

  ASSERT_FALSE(ZetImage::ResizeImage(source, 600, 100, target, 3));  // larger in one direction
  EXPECT_EQ(target.size(), QSize(600, 100));
  EXPECT_EQ(target.format(), QImage::Format_RGB888);
  ExpectPixel(target, 300, 50, 90, 90, 90, 1);

  ASSERT_FALSE(ZetImage::ResizeImage(source, 10, 10, target, 0));  // nearest neighbour
  ExpectPixel(target, 5, 5, 90, 90, 90, 0);
}

TEST(Resize, TargetsThatCannotBeHadFailAsGlobalAlloc) {
  const QImage source = Filled(10, 10, 0);
  QImage target = source;
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 5}, {5, -1}, {100000, 100000}}) {
    const std::optional<ImageError> error = ZetImage::ResizeImage(source, w, h, target, -2);
    ASSERT_TRUE(error);
    EXPECT_EQ(std::tuple(error->number, error->source, error->description, target.isNull()),
              std::tuple(1000, std::string("ResizeImage"), std::string("GlobalAlloc"), true));
  }
}

// Values 10 × x + y (5 × 3) reduced by 2: blocks of columns {0,1}, {2,3,4} and rows {0,1,2}; values
// 10 × y (16 × 16) reduced by 16: one block that stands for rows 2, 6, 10 and 14.
TEST(Resize, BoxReduceAveragesWholeBlocksFoldsTheRemainderAndSamplesTallBlocks) {
  QImage source(5, 3, QImage::Format_RGB888), tall(16, 16, QImage::Format_RGB888);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (x < 5 && y < 3) {
        std::uint8_t* p = source.scanLine(y) + 3 * x;
        p[0] = p[1] = static_cast<std::uint8_t>(10 * x + y), p[2] = 255;
      }
      std::uint8_t* t = tall.scanLine(y) + 3 * x;
      t[0] = t[1] = t[2] = static_cast<std::uint8_t>(10 * y);
    }
  }
  const QImage reduced = BoxReduce(source, 2);
  ASSERT_EQ(reduced.size(), QSize(2, 1));
  ExpectPixel(reduced, 0, 0, 6, 6, 255, 0);    // mean of 0,1,10,11 + rows 0..2 → (5 + 1) = 6
  ExpectPixel(reduced, 1, 0, 31, 31, 255, 0);  // x 2..4 → 30, rows → +1
  const QImage one = BoxReduce(tall, 16);
  ASSERT_EQ(one.size(), QSize(1, 1));
  ExpectPixel(one, 0, 0, 80, 80, 80, 0);  // (20 + 60 + 100 + 140) / 4
}

TEST(Resize, LargeReductionMatchesAnExactAreaAverage) {
  // Vertical stripes one pixel wide, black and white: every reduction is mid grey.
  QImage source(6000, 400, QImage::Format_RGB888);
  for (int y = 0; y < source.height(); ++y) {
    std::uint8_t* row = source.scanLine(y);
    for (int x = 0; x < source.width(); ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = x % 2 ? 255 : 0;
  }
  QImage target;
  ASSERT_FALSE(ZetImage::ResizeImage(source, 120, 8, target, -2));
  for (int x = 0; x < 120; x += 17) ExpectPixel(target, x, 4, 128, 128, 128, 2);
}

}  // namespace
}  // namespace kelmarin::test
