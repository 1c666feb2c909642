#include <gtest/gtest.h>

#include <tuple>
#include <vector>

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

TEST(RestoreStartSizes, DesignClampsAndMaximise) {
  WindowLayout layout;
  LayoutState state;
  state.minTreeWidth = 4560;
  auto sizes = RestoreStartSizes(layout, state, 3495.0, 11400, 8625, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 4560);  // below minTreeWidth (the filter frame)
  EXPECT_EQ(layout.tree.height, 3000);
  EXPECT_EQ(layout.vsplitter, (TwipsRect{4620, 540, 30, 3000}));
  EXPECT_EQ(layout.hsplitter, (TwipsRect{60, 3540, 4560, 30}));
  EXPECT_EQ(std::tuple(sizes.minWidth, sizes.width, sizes.minHeight, sizes.height, sizes.maximise),
            std::tuple(180 + 4605 + 6000, 11400, 8625, 8625, false));
  EXPECT_EQ(std::pair(state.prevWidth, state.prevHeight), std::pair(11400, 8625));
  sizes = RestoreStartSizes(layout, state, 5000.4, 30000, 20000, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 5000);
  EXPECT_EQ(std::tuple(sizes.width, sizes.height, sizes.maximise), std::tuple(19200, 14400, true));
  sizes = RestoreStartSizes(layout, state, 4560.5, 100, 100, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 4560);  // halves go to the even neighbour
  EXPECT_EQ(std::tuple(sizes.width, sizes.height, sizes.maximise), std::tuple(10785, 8625, false));
  // A screen smaller than the design height: the minimum height is the screen's.
  sizes = RestoreStartSizes(layout, state, 4560, 11400, 9000, 9500, 19200, 8000);
  EXPECT_EQ(std::pair(sizes.minHeight, sizes.height), std::pair(8000, 8000));
}

TEST(LayoutPass, TallerGrowsTheTreeWiderTheMetadataList) {
  Window w;
  const WindowLayout before = w.layout;
  const auto& b = before;
  EXPECT_EQ(std::tuple(b.dateiliste.top, b.dateiliste.height, b.rahmenLinks.top, b.rahmenRechts.left,
                       b.fileColumnWidth),
            std::tuple(3570, kDesignClientHeight - 3570 - 2625 - 240,
                       b.dateiliste.top + b.dateiliste.height + 60, b.exifliste.left, 4560 - 240 - 90));
  w.Resize(w.width + 1500, w.height + 600);
  const auto& a = w.layout;
  // Taller: the tree, the metadata list and the bar grow; the file list and the panels move down.
  EXPECT_EQ(std::tuple(a.tree.height, a.exifliste.height, a.vsplitter.height, a.dateiliste.height),
            std::tuple(b.tree.height + 600, b.exifliste.height + 600, b.vsplitter.height + 600,
                       b.dateiliste.height));
  EXPECT_EQ(std::tuple(a.dateiliste.top, a.rahmenLinks.top, a.rahmenRechts.top),
            std::tuple(b.dateiliste.top + 600, b.rahmenLinks.top + 600, b.rahmenRechts.top + 600));
  // Wider: only the metadata list, whose last two columns share the room.
  EXPECT_EQ(std::tuple(a.exifliste.width, a.tree.width, a.rahmenLinks.left, a.rahmenRechts.left),
            std::tuple(b.exifliste.width + 1500, b.tree.width, b.rahmenLinks.left, b.rahmenRechts.left));
  const auto& c = a.exifColumns;
  EXPECT_EQ(std::tuple(c[0], c[1], c[2], c[3]),
            std::tuple(600, 1750, c[3], (a.exifliste.width - 600 - 1750 - 240 - 90) / 2));
  // Shrinking stops the tree at its minimum; the file list loses what the tree could not give.
  const WindowLayout tall = w.layout;
  w.Resize(w.width, w.height - 2000);
  EXPECT_EQ(std::tuple(a.tree.height, a.dateiliste.height, a.rahmenLinks.top),
            std::tuple(3000, tall.dateiliste.height - 2000 + (tall.tree.height - 3000),
                       tall.rahmenLinks.top - 2000));
  // A narrow list keeps its columns; a minimised window changes nothing.
  w.layout.exifColumns = {600, 1750, 5000, 5000};
  w.Resize(w.width, w.height);
  EXPECT_EQ(w.layout.exifColumns[2], 5000);
  const WindowLayout kept = w.layout;
  LayoutPass(w.layout, w.state, 100, 100, 100, 100, kMetrics, true);
  EXPECT_EQ(w.layout, kept);
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

}  // namespace
}  // namespace kelmarin
