#include <gtest/gtest.h>

#include "browser/core/WindowLayout.h"

namespace kelmarin {
namespace {

constexpr LayoutMetrics kMetrics{240, 45};  // 16 px scroll bar, 3 px frame at 15 twips per pixel
constexpr std::int32_t kMenu = 300;         // the window's outer height above its client area

// A window after start-up with the design size, laid out once.
struct Window {
  WindowLayout layout;
  LayoutState state;
  std::int32_t width = kDesignClientWidth;
  std::int32_t height = kDesignClientHeight + kMenu;

  Window() {
    layout.fileListHasColumn = true;
    state.minTreeWidth = 4560;
    RestoreStartSizes(layout, state, layout.tree.width, width, height, height, 19200, 14400);
    Resize(width, height);
  }
  void Resize(std::int32_t w, std::int32_t h) {
    width = w;
    height = h;
    LayoutPass(layout, state, w, h, w, h - kMenu, kMetrics);
  }
};

TEST(RestoreStartSizes, FirstStartKeepsDesignAndRaisesTree) {
  WindowLayout layout;
  LayoutState state;
  state.minTreeWidth = 4560;
  const auto sizes = RestoreStartSizes(layout, state, 3495.0, 11400, 8625, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 4560);  // below minTreeWidth (the filter frame)
  EXPECT_EQ(layout.tree.height, 3000);
  EXPECT_EQ(layout.vsplitter, (TwipsRect{4620, 540, 30, 3000}));
  EXPECT_EQ(layout.hsplitter, (TwipsRect{60, 3540, 4560, 30}));
  EXPECT_EQ(sizes.minWidth, 180 + 4605 + 6000);
  EXPECT_EQ(sizes.width, 11400);
  EXPECT_EQ(sizes.minHeight, 8625);
  EXPECT_EQ(sizes.height, 8625);
  EXPECT_FALSE(sizes.maximise);
  EXPECT_EQ(state.prevWidth, 11400);
  EXPECT_EQ(state.prevHeight, 8625);
}

TEST(RestoreStartSizes, ClampsToScreenAndMinimumAndMaximisesAtScreenSize) {
  WindowLayout layout;
  LayoutState state;
  state.minTreeWidth = 4560;
  auto sizes = RestoreStartSizes(layout, state, 5000.4, 30000, 20000, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 5000);
  EXPECT_EQ(sizes.width, 19200);
  EXPECT_EQ(sizes.height, 14400);
  EXPECT_TRUE(sizes.maximise);

  sizes = RestoreStartSizes(layout, state, 4560.5, 100, 100, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 4560);  // halves go to the even neighbour
  EXPECT_EQ(sizes.width, 10785);
  EXPECT_EQ(sizes.height, 8625);
  EXPECT_FALSE(sizes.maximise);

  // A screen smaller than the design height: the minimum height is the screen's.
  sizes = RestoreStartSizes(layout, state, 4560, 11400, 9000, 9500, 19200, 8000);
  EXPECT_EQ(sizes.minHeight, 8000);
  EXPECT_EQ(sizes.height, 8000);
}

TEST(LayoutPass, TallerWindowGrowsTheTreeAndMovesThePanels) {
  Window w;
  const WindowLayout before = w.layout;
  EXPECT_EQ(before.dateiliste.top, 3570);
  EXPECT_EQ(before.dateiliste.height, kDesignClientHeight - 3570 - 2625 - 240);
  EXPECT_EQ(before.rahmenLinks.top, before.dateiliste.top + before.dateiliste.height + 60);
  EXPECT_EQ(before.rahmenRechts.left, before.exifliste.left);
  EXPECT_EQ(before.fileColumnWidth, 4560 - 240 - 90);

  w.Resize(w.width, w.height + 600);
  EXPECT_EQ(w.layout.tree.height, before.tree.height + 600);
  EXPECT_EQ(w.layout.dateiliste.height, before.dateiliste.height);
  EXPECT_EQ(w.layout.rahmenLinks.top, before.rahmenLinks.top + 600);
  EXPECT_EQ(w.layout.rahmenRechts.top, before.rahmenRechts.top + 600);
  EXPECT_EQ(w.layout.exifliste.height, before.exifliste.height + 600);
  EXPECT_EQ(w.layout.vsplitter.height, before.vsplitter.height + 600);
}

TEST(LayoutPass, ShrinkingStopsTheTreeAtItsMinimum) {
  Window w;
  w.Resize(w.width, w.height + 1000);
  const WindowLayout tall = w.layout;
  w.Resize(w.width, w.height - 2000);
  EXPECT_EQ(w.layout.tree.height, 3000);
  // The file list loses what the tree could not give.
  EXPECT_EQ(w.layout.dateiliste.height, tall.dateiliste.height - 2000 + (tall.tree.height - 3000));
  EXPECT_EQ(w.layout.rahmenLinks.top, tall.rahmenLinks.top - 2000);
}

TEST(LayoutPass, WiderWindowWidensOnlyTheMetadataList) {
  Window w;
  const WindowLayout before = w.layout;
  w.Resize(w.width + 1500, w.height);
  EXPECT_EQ(w.layout.exifliste.width, before.exifliste.width + 1500);
  EXPECT_EQ(w.layout.tree, before.tree);
  EXPECT_EQ(w.layout.dateiliste, before.dateiliste);
  EXPECT_EQ(w.layout.rahmenLinks, before.rahmenLinks);
  EXPECT_EQ(w.layout.rahmenRechts, before.rahmenRechts);
  const auto& c = w.layout.exifColumns;
  EXPECT_EQ(c[0], 600);
  EXPECT_EQ(c[1], 1750);
  EXPECT_EQ(c[2], c[3]);
  EXPECT_EQ(c[2], (w.layout.exifliste.width - 600 - 1750 - 240 - 90) / 2);
}

TEST(LayoutPass, BeforeStartUpTheDesignHolds) {
  // A start-up that ended before the sizes were restored: no minimum, no delta.
  WindowLayout layout;
  LayoutState state;
  state.prevWidth = kDesignClientWidth;
  state.prevHeight = kDesignClientHeight + kMenu;
  LayoutPass(layout, state, kDesignClientWidth, kDesignClientHeight + kMenu, kDesignClientWidth,
             kDesignClientHeight, kMetrics);
  EXPECT_EQ(layout.tree.height, 2160);
  EXPECT_EQ(layout.exifliste.left, 3615);
}

TEST(LayoutPass, NarrowListKeepsItsColumnsAndMinimisedDoesNothing) {
  Window w;
  w.layout.exifColumns = {600, 1750, 5000, 5000};
  w.Resize(w.width, w.height);
  EXPECT_EQ(w.layout.exifColumns[2], 5000);
  const WindowLayout before = w.layout;
  LayoutPass(w.layout, w.state, 100, 100, 100, 100, kMetrics, true);
  EXPECT_EQ(w.layout, before);
}

TEST(Splitters, VerticalDragStopsAtBothLimits) {
  Window w;
  const std::int32_t client = w.width;
  DragVerticalSplitter(w.layout, w.state, -3000, client);  // far left
  EXPECT_EQ(w.layout.tree.width, w.state.minTreeWidth);
  w.Resize(w.width, w.height);
  DragVerticalSplitter(w.layout, w.state, 400, client);  // inside the limits
  EXPECT_EQ(w.layout.tree.width, w.state.minTreeWidth + 400);
  w.Resize(w.width, w.height);
  DragVerticalSplitter(w.layout, w.state, 50000, client);  // past the right limit
  EXPECT_EQ(w.layout.tree.width, client - 60 - 30 - 6000 - 60);
  w.Resize(w.width, w.height);
  EXPECT_EQ(w.layout.exifliste.left, w.layout.vsplitter.left + 30);
}

TEST(Splitters, HorizontalDragKeepsTreeWhenTooLow) {
  Window w;
  w.Resize(w.width, w.height + 3000);  // room for the tree to grow
  const std::int32_t start = w.layout.tree.height;
  DragHorizontalSplitter(w.layout, w.state, -200);
  EXPECT_EQ(w.layout.tree.height, start - 200);
  w.Resize(w.width, w.height);
  DragHorizontalSplitter(w.layout, w.state, 50000);  // too low: unchanged
  EXPECT_EQ(w.layout.tree.height, start - 200);
  DragHorizontalSplitter(w.layout, w.state, -50000);  // too high: the minimum
  EXPECT_EQ(w.layout.tree.height, 3000);
}

TEST(RoundHalfEven, Halves) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_EQ(RoundHalfEven(1e20), 2147483647);
}

}  // namespace
}  // namespace kelmarin
