#include "browser/core/WindowLayout.h"

#include <algorithm>

namespace kelmarin {

namespace {

void PlaceSplitters(WindowLayout& layout) {
  const TwipsRect& tree = layout.tree;
  layout.vsplitter = {tree.left + tree.width, tree.top, kSplitterThickness, tree.height};
  layout.hsplitter = {tree.left, tree.top + tree.height, tree.width, kSplitterThickness};
}

}  // namespace

std::int32_t MaxTreeWidth(const WindowLayout& layout, const LayoutState& state, std::int32_t clientWidth) {
  const std::int32_t L = layout.tree.left;
  return std::max(state.minTreeWidth,
                  clientWidth - L - layout.vsplitter.width - layout.rahmenRechts.width - L);
}

std::int32_t MinWindowWidth(const WindowLayout& layout, std::int32_t minWidth) {
  const std::int32_t L = layout.tree.left;
  return std::max(minWidth, L + layout.tree.width + layout.vsplitter.width + layout.rahmenRechts.width + L);
}

StartSizes RestoreStartSizes(WindowLayout& layout, LayoutState& state, double treeWidth,
                             std::int32_t storedWidth, std::int32_t storedHeight, std::int32_t windowHeight,
                             std::int32_t screenWidth, std::int32_t screenHeight) {
  TwipsRect& tree = layout.tree;
  state.minTreeHeight = kMinTreeHeight;
  tree.width = std::max(RoundHalfEven(treeWidth), state.minTreeWidth);
  tree.height = std::max(tree.height, kMinTreeHeight);
  PlaceSplitters(layout);

  StartSizes sizes;
  sizes.minWidth = 3 * tree.left + layout.rahmenLinks.width + layout.rahmenRechts.width;
  sizes.width = std::max(storedWidth, sizes.minWidth);
  if (screenWidth < sizes.width) sizes.width = screenWidth;
  // A stored tree width that leaves no room for the information panel in this window.
  if (tree.width > MaxTreeWidth(layout, state, sizes.width)) {
    tree.width = MaxTreeWidth(layout, state, sizes.width);
    PlaceSplitters(layout);
  }
  sizes.minHeight = std::min(screenHeight, windowHeight);
  sizes.height = std::max(storedHeight, sizes.minHeight);
  if (screenHeight < sizes.height) sizes.height = screenHeight;
  sizes.maximise = sizes.width == screenWidth && sizes.height == screenHeight;
  state.prevWidth = sizes.width;
  state.prevHeight = sizes.height;
  return sizes;
}

void LayoutPass(WindowLayout& layout, LayoutState& state, std::int32_t W, std::int32_t H,
                std::int32_t clientWidth, std::int32_t clientHeight, const LayoutMetrics& metrics,
                bool minimised) {
  if (minimised) return;
  const std::int32_t dy = H - state.prevHeight;
  const std::int32_t L = layout.tree.left;
  const std::int32_t S = metrics.scrollBar;
  const std::int32_t F = metrics.dialogFrame;
  TwipsRect& tree = layout.tree;
  TwipsRect& list = layout.dateiliste;
  TwipsRect& hs = layout.hsplitter;
  TwipsRect& vs = layout.vsplitter;

  layout.gesamt = {0, 0, clientWidth, clientHeight};
  tree.height = std::max(tree.height + dy, state.minTreeHeight);
  hs = {tree.left, tree.top + tree.height, tree.width, hs.height};
  list = {tree.left, hs.top + hs.height, tree.width,
          layout.gesamt.height - hs.top - hs.height - layout.rahmenLinks.height - 4 * L};
  if (layout.fileListHasColumn) layout.fileColumnWidth = list.width - S - 2 * F;
  vs = {tree.left + tree.width, tree.top, vs.width, list.top + list.height - tree.top};
  layout.rahmenLinks = {tree.left, list.top + list.height + L, tree.width, layout.rahmenLinks.height};
  layout.auswahlInfoWidth = layout.rahmenLinks.width;
  layout.exifliste = {vs.left + vs.width, tree.top, layout.gesamt.width - L - vs.left - vs.width,
                      list.top + list.height - tree.top};

  auto& c = layout.exifColumns;
  if (layout.exifliste.width > c[0] + c[1] + c[2] + c[3] + S - 2 * F) {
    const std::int32_t each = (layout.exifliste.width - c[0] - c[1] - S - 2 * F) / 2;
    c[2] = each;
    c[3] = each;
  }
  layout.rahmenRechts.left = layout.exifliste.left;
  layout.rahmenRechts.top = layout.rahmenLinks.top;
  state.prevHeight = H;
  state.prevWidth = W;
}

void DragVerticalSplitter(WindowLayout& layout, const LayoutState& state, std::int32_t X,
                          std::int32_t clientWidth) {
  TwipsRect& tree = layout.tree;
  const TwipsRect& vs = layout.vsplitter;
  const std::int32_t x = vs.left + X;
  if (tree.left + state.minTreeWidth < x && vs.left + vs.width + X < clientWidth - kSplitterMargin) {
    tree.width = x - tree.left;
  } else if (tree.left + state.minTreeWidth < x) {
    tree.width = clientWidth - kSplitterMargin;
  } else {
    tree.width = state.minTreeWidth;
  }
  tree.width = std::min(tree.width, MaxTreeWidth(layout, state, clientWidth));
}

void DragHorizontalSplitter(WindowLayout& layout, const LayoutState& state, std::int32_t Y) {
  TwipsRect& tree = layout.tree;
  const TwipsRect& hs = layout.hsplitter;
  const TwipsRect& list = layout.dateiliste;
  const std::int32_t y = hs.top + Y;
  if (tree.top + state.minTreeHeight < y &&
      hs.top + hs.height + Y < list.top + list.height - kSplitterMargin) {
    tree.height = y - tree.top;
  } else if (y <= tree.top + state.minTreeHeight) {
    tree.height = state.minTreeHeight;
  }
}

}  // namespace kelmarin
