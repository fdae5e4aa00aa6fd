// The layout of both windows as first shown: sizes at 96 dpi, the cursor
// frame's placement on the items, and the menu's stacking order.

#include <gtest/gtest.h>

#include <cmath>

#include "ui/layout.h"

namespace quorvel {
namespace {

TEST(Layout, SizesInPixels) {
  EXPECT_EQ(kForm1.client_width, 339 * kTwipsPerPixel);
  EXPECT_EQ(kForm1.client_height, 339 * kTwipsPerPixel);
  EXPECT_EQ(kForm2.client_width, 313 * kTwipsPerPixel);
  EXPECT_EQ(kForm2.client_height, 162 * kTwipsPerPixel);
  EXPECT_EQ(kForm1Label3.width, 297 * kTwipsPerPixel);  // the goal banner
  EXPECT_EQ(kForm1Label3.height, 113 * kTwipsPerPixel);
}

// The menu puts the cursor at left + width / 2 - 720 twips: 1455 twips wide,
// it is centred on every item within 7.5 twips, narrower than the actions.
TEST(Layout, CursorFrameIsCentredOnEveryItem) {
  for (int index : {0, 1, 3, 4, 5, 6, 7}) {
    const LabelLayout& item = MenuItems()[index];
    const float left = item.left + item.width / 2.0f - 720;
    EXPECT_LE(std::abs(left + kShape4.width / 2.0 - (item.left + item.width / 2.0)), 7.5)
        << item.name;
  }
  EXPECT_EQ(MenuItems()[6].left + MenuItems()[6].width / 2.0f - 720, 847.5f);
  EXPECT_LT(kShape4.width, MenuItems()[5].width);
  EXPECT_LT(kShape4.width, MenuItems()[6].width);
}

// From the bottom up: every item under the marks and the cursor, Label2(5)
// over the window frame, the fixed labels on top.
TEST(Layout, MenuStackingPutsFramesAboveTheItems) {
  const auto order = MenuPaintOrder();
  ASSERT_EQ(order.size(), 16u);
  auto at = [&](MenuLayer::Kind kind, int index) {
    for (size_t i = 0; i < order.size(); ++i) {
      if (order[i].kind == kind && order[i].index == index) return static_cast<int>(i);
    }
    return -1;
  };
  for (int item = 0; item < 8; ++item) {
    ASSERT_GE(at(MenuLayer::kItem, item), 0);
    EXPECT_LT(at(MenuLayer::kItem, item), at(MenuLayer::kShape, 2)) << item;
  }
  EXPECT_LT(at(MenuLayer::kShape, 2), at(MenuLayer::kShape, 3));
  EXPECT_LT(at(MenuLayer::kShape, 3), at(MenuLayer::kShape, 4));
  EXPECT_LT(at(MenuLayer::kShape, 1), at(MenuLayer::kItem, 5));
  EXPECT_LT(at(MenuLayer::kItem, 7), at(MenuLayer::kShape, 1));
  for (int fixed = 0; fixed < 4; ++fixed) {
    EXPECT_GT(at(MenuLayer::kFixedLabel, fixed), at(MenuLayer::kShape, 4)) << fixed;
  }
}

}  // namespace
}  // namespace quorvel
