#pragma once
// The main window's own layout rules, in twips (1/1440 inch) in the client coordinates of the frame
// that fills the window: the design geometry, the sizes restored at start-up, the layout pass run on
// every size change and the two splitter drags. Toolkit-free; the window converts to pixels at the edge.
// Sizes may come out negative in windows smaller than the minimum; the window clamps them when drawing.

#include <array>
#include <cstdint>

#include "metadata/Rounding.h"

namespace kelmarin {

struct TwipsRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Design size of the client area; the window's outer design size adds its menu bar.
inline constexpr std::int32_t kDesignClientWidth = 11400;
inline constexpr std::int32_t kDesignClientHeight = 8325;
inline constexpr std::int32_t kMinTreeHeight = 3000;
inline constexpr std::int32_t kSplitterThickness = 30;  // after start-up; 60 at design
inline constexpr std::int32_t kSplitterMargin = 2000;   // what a splitter drag leaves to the other side
inline constexpr std::array<std::int32_t, 4> kDesignExifColumns = {600, 1750, 2500, 2500};

// The controls the layout moves, and the column widths it sets.
struct WindowLayout {
  TwipsRect gesamt{0, 0, kDesignClientWidth, kDesignClientHeight};  // Rahmen_Gesamt
  TwipsRect tree{60, 540, 3495, 2160};                              // Pfadbaum
  TwipsRect vsplitter{3555, 540, 60, 4515};
  TwipsRect hsplitter{90, 2700, 3435, 60};
  TwipsRect dateiliste{60, 2790, 3495, 2700};
  TwipsRect exifliste{3600, 540, 4785, 4965};
  TwipsRect rahmenLinks{90, 5490, 4605, 2625};
  TwipsRect rahmenRechts{4725, 5490, 6000, 2625};
  std::int32_t auswahlInfoWidth = 3450;
  bool fileListHasColumn = false;
  std::int32_t fileColumnWidth = 0;
  std::array<std::int32_t, 4> exifColumns = kDesignExifColumns;

  friend bool operator==(const WindowLayout&, const WindowLayout&) = default;
};

// The window's layout fields: size at the last layout pass, minimum tree size. All 0 until the
// start-up sets them (a start-up that ends early leaves them so).
struct LayoutState {
  std::int32_t prevWidth = 0;
  std::int32_t prevHeight = 0;
  std::int32_t minTreeWidth = 0;  // the width of the frame Rahmen_Dateifilter, set by the caller
  std::int32_t minTreeHeight = 0;
};

// System measures in twips: S the width of a vertical scroll bar, F the width of a fixed dialog frame.
struct LayoutMetrics {
  std::int32_t scrollBar = 0;
  std::int32_t dialogFrame = 0;
};

// Sizes decided at start-up from the settings.
struct StartSizes {
  std::int32_t width = 0;  // w
  std::int32_t height = 0;
  std::int32_t minWidth = 0;
  std::int32_t minHeight = 0;
  bool maximise = false;  // place at the design size, then maximise
};

// The widest the tree may be in a client area clientWidth wide: the metadata list right of it keeps
// at least the information panel's width, so that the panel below it stays whole inside the window.
// Never below minTreeWidth.
std::int32_t MaxTreeWidth(const WindowLayout& layout, const LayoutState& state, std::int32_t clientWidth);
// The smallest window width for the tree as wide as it is now with the information panel whole; at
// least minWidth (the start-up's).
std::int32_t MinWindowWidth(const WindowLayout& layout, std::int32_t minWidth);

// Start-up steps 7 to 13: tree size (treeWidth from the settings or the current tree width), both
// splitters, window width and height clamped to the minimum and the screen, and whether to maximise.
// windowWidth/windowHeight are the design size; storedWidth/storedHeight the settings or their defaults.
// A tree too wide for the window's width (MaxTreeWidth) is narrowed to fit.
StartSizes RestoreStartSizes(WindowLayout& layout, LayoutState& state, double treeWidth,
                             std::int32_t storedWidth, std::int32_t storedHeight, std::int32_t windowHeight,
                             std::int32_t screenWidth, std::int32_t screenHeight);

// The layout pass for a window of outer size W x H and client size clientWidth x clientHeight. Does
// nothing when minimised. Updates prevWidth and prevHeight.
void LayoutPass(WindowLayout& layout, LayoutState& state, std::int32_t W, std::int32_t H,
                std::int32_t clientWidth, std::int32_t clientHeight, const LayoutMetrics& metrics,
                bool minimised = false);

// A pointer move over a splitter while it is dragged, X or Y relative to the bar's corner; changes the
// tree only (run LayoutPass afterwards). The tree gets no wider than MaxTreeWidth.
void DragVerticalSplitter(WindowLayout& layout, const LayoutState& state, std::int32_t X,
                          std::int32_t clientWidth);
void DragHorizontalSplitter(WindowLayout& layout, const LayoutState& state, std::int32_t Y);

}  // namespace kelmarin
