#include "menu/menu_navigation.h"

#include <cstddef>

#include "ui/layout.h"

namespace quorvel {

namespace {

const LabelLayout& Item(int32_t index) {
  return MenuItems()[static_cast<std::size_t>(index)];
}

// Left and Right both switch to the other reachable item of the row.
void SwitchInRow(MenuState& m) {
  switch (m.CurrentItem) {
    case kItemCourse1:
      m.CurrentItem = kItemCourse2;
      m.PendingCourse = kItemCourse2;
      break;
    case kItemCourse2:
      m.CurrentItem = kItemCourse1;
      m.PendingCourse = kItemCourse1;
      break;
    case kItemBeginnerCar:
      m.CurrentItem = kItemAdvancedCar;
      m.PendingCar = kItemAdvancedCar;
      break;
    case kItemAdvancedCar:
      m.CurrentItem = kItemBeginnerCar;
      m.PendingCar = kItemBeginnerCar;
      break;
    case kItemStart:
      m.CurrentItem = kItemCancel;
      break;
    case kItemCancel:
      m.CurrentItem = kItemStart;
      break;
    default:  // the end row has one item
      break;
  }
}

}  // namespace

void CursorDown(MenuState& m) {
  switch (m.CurrentItem) {
    case kItemCourse1:
    case kItemCourse2:
      m.CurrentItem = m.PendingCar;
      break;
    case kItemBeginnerCar:
    case kItemAdvancedCar:
      m.CurrentItem = kItemCancel;
      break;
    case kItemQuit:
      m.CurrentItem = m.PendingCourse;
      break;
    case kItemStart:
    case kItemCancel:
      m.CurrentItem = kItemQuit;
      break;
    default:
      break;
  }
  ShowMenuState(m);
}

void CursorUp(MenuState& m) {
  switch (m.CurrentItem) {
    case kItemCourse1:
    case kItemCourse2:
      m.CurrentItem = kItemQuit;
      break;
    case kItemBeginnerCar:
    case kItemAdvancedCar:
      m.CurrentItem = m.PendingCourse;
      break;
    case kItemQuit:
      m.CurrentItem = kItemCancel;
      break;
    case kItemStart:
    case kItemCancel:
      m.CurrentItem = m.PendingCar;
      break;
    default:
      break;
  }
  ShowMenuState(m);
}

void CursorLeft(MenuState& m) {
  SwitchInRow(m);
  ShowMenuState(m);
}

void CursorRight(MenuState& m) {
  SwitchInRow(m);
  ShowMenuState(m);
}

void ShowMenuState(MenuState& m) {
  const LabelLayout& cur = Item(m.CurrentItem);
  // The cursor frame is 1455 twips wide against items of 1335 to 1815, so it
  // is centred on the item rather than aligned with its left edge.
  m.Shape4Left =
      static_cast<float>(static_cast<float>(cur.left) + static_cast<float>(cur.width) / 2.0 - 720);
  m.Shape4Top = static_cast<float>(cur.top - 60);
  const LabelLayout& course = Item(m.PendingCourse);
  m.Shape2Left = static_cast<float>(course.left);
  m.Shape2Top = static_cast<float>(course.top);
  const LabelLayout& car = Item(m.PendingCar);
  m.Shape3Left = static_cast<float>(car.left);
  m.Shape3Top = static_cast<float>(car.top);
}

}  // namespace quorvel
