// The menu's cursor table and frame positions.
#include <gtest/gtest.h>

#include <functional>

#include "menu/menu_navigation.h"

namespace quorvel {
namespace {

MenuState At(int32_t item, int32_t course, int32_t car) {
  MenuState m;
  m.CurrentItem = item;
  m.PendingCourse = course;
  m.PendingCar = car;
  return m;
}

struct Move {
  const char* name;
  std::function<void(MenuState&)> fn;
};

// Expected (CurrentItem, PendingCourse, PendingCar) after each move, from
// every reachable item with pending course 1 and pending car 4, so that
// "pending" targets differ from the defaults.
TEST(MenuNavigation, CursorTable) {
  const Move moves[] = {
      {"Down", CursorDown}, {"Up", CursorUp}, {"Left", CursorLeft}, {"Right", CursorRight}};
  struct Row {
    int32_t item;
    int32_t expect[4][3];  // per move: item, course, car
  };
  const Row rows[] = {
      {0, {{4, 1, 4}, {5, 1, 4}, {1, 1, 4}, {1, 1, 4}}},
      {1, {{4, 1, 4}, {5, 1, 4}, {0, 0, 4}, {0, 0, 4}}},
      {3, {{7, 1, 4}, {1, 1, 4}, {4, 1, 4}, {4, 1, 4}}},
      {4, {{7, 1, 4}, {1, 1, 4}, {3, 1, 3}, {3, 1, 3}}},
      {5, {{1, 1, 4}, {7, 1, 4}, {5, 1, 4}, {5, 1, 4}}},
      {6, {{5, 1, 4}, {4, 1, 4}, {7, 1, 4}, {7, 1, 4}}},
      {7, {{5, 1, 4}, {4, 1, 4}, {6, 1, 4}, {6, 1, 4}}},
  };
  for (const Row& row : rows) {
    for (int k = 0; k < 4; ++k) {
      MenuState m = At(row.item, 1, 4);
      moves[k].fn(m);
      EXPECT_EQ(m.CurrentItem, row.expect[k][0]) << moves[k].name << " from " << row.item;
      EXPECT_EQ(m.PendingCourse, row.expect[k][1]) << moves[k].name << " from " << row.item;
      EXPECT_EQ(m.PendingCar, row.expect[k][2]) << moves[k].name << " from " << row.item;
    }
  }
}

TEST(MenuNavigation, ThirdCourseIsNeverReached) {
  // Every sequence of up to 6 moves from the first visit stays off item 2.
  const std::function<void(MenuState&)> moves[] = {CursorDown, CursorUp, CursorLeft, CursorRight};
  for (int seq = 0; seq < 4 * 4 * 4 * 4 * 4 * 4; ++seq) {
    MenuState m = At(0, 0, 3);
    for (int k = 0, code = seq; k < 6; ++k, code /= 4) {
      moves[code % 4](m);
      ASSERT_NE(m.CurrentItem, 2);
      ASSERT_TRUE(m.PendingCourse == 0 || m.PendingCourse == 1);
      ASSERT_TRUE(m.PendingCar == 3 || m.PendingCar == 4);
    }
  }
}

TEST(MenuNavigation, FramePositionsInTwips) {
  struct Expect {
    int32_t item;
    float cursor_left, cursor_top;
  };
  const Expect cursor[] = {{0, 907.5f, 60},   {1, 2347.5f, 60},   {3, 907.5f, 540},
                           {4, 2347.5f, 540}, {5, 1627.5f, 1500}, {6, 847.5f, 1020},
                           {7, 2587.5f, 1020}};
  for (const Expect& e : cursor) {
    MenuState m = At(e.item, 0, 3);
    ShowMenuState(m);
    EXPECT_EQ(m.Shape4Left, e.cursor_left) << "item " << e.item;
    EXPECT_EQ(m.Shape4Top, e.cursor_top) << "item " << e.item;
  }
  MenuState m = At(0, 0, 3);
  ShowMenuState(m);
  EXPECT_EQ(m.Shape2Left, 960);
  EXPECT_EQ(m.Shape2Top, 120);
  EXPECT_EQ(m.Shape3Left, 960);
  EXPECT_EQ(m.Shape3Top, 600);
  m = At(0, 1, 4);
  ShowMenuState(m);
  EXPECT_EQ(m.Shape2Left, 2400);
  EXPECT_EQ(m.Shape2Top, 120);
  EXPECT_EQ(m.Shape3Left, 2400);
  EXPECT_EQ(m.Shape3Top, 600);
}

}  // namespace
}  // namespace quorvel
