#include "ui/layout.h"

namespace quorvel {

namespace {
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGreen{128, 255, 128};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kPink{255, 128, 128};
constexpr Rgb kBlue{128, 128, 255};
constexpr Rgb kGrey{224, 224, 224};
}  // namespace

const WindowLayout kForm1{"Quorvel", 5085, 5085, kGrey};

const LabelLayout kForm1Label2{"Label2", 240,    120,          735,    375, true,
                               kBlack,   kBlack, Align::Right, 14.25f, "0"};
const LabelLayout kForm1Label4{"Label4", 3960,   120,          975,   375,  false,
                               kWhite,   kBlack, Align::Right, 18.0f, "120"};
const LabelLayout kForm1Label3{"Label3", 240,         1800,          4455,  1695, false,
                               kYellow,  {255, 0, 0}, Align::Centre, 72.0f, ""};
const LabelLayout kForm1Label1{"Label1", 3960,   4320,         855,   495,  false,
                               kWhite,   kBlack, Align::Right, 24.0f, "120"};

// The result's rows fill the width of the banner just under it (which ends
// at 3495) and stop above the speed box (4320).
const LabelLayout kForm1RaceTime{"RaceTime", 240,         3495,          4455,  375, false,
                                 kYellow,    {255, 0, 0}, Align::Centre, 15.0f, ""};
const LabelLayout kForm1BestLap{"BestLap", 240,         3870,          4455,  375, false,
                                kYellow,   {255, 0, 0}, Align::Centre, 15.0f, ""};
const LabelLayout kForm1Gap{"Gap",  1920,   120,           1215,   375, false,
                            kWhite, kBlack, Align::Centre, 14.25f, ""};

std::span<const LabelLayout* const> Form1LabelsInPaintOrder() {
  static const LabelLayout* const order[] = {&kForm1Label2, &kForm1Label4,   &kForm1Label3,
                                             &kForm1Label1, &kForm1RaceTime, &kForm1BestLap,
                                             &kForm1Gap};
  return order;
}

const WindowLayout kForm2{"Form2", 4695, 2430, kGrey};

std::span<const LabelLayout> MenuItems() {
  static const LabelLayout items[] = {
      {"Label2(0)", 960, 120, 1335, 255, false, kGreen, kBlack, Align::Centre, 12, "コース1"},
      {"Label2(1)", 2400, 120, 1335, 255, false, kYellow, kBlack, Align::Centre, 12, "コース2"},
      {"Label2(2)", 3720, 120, 1335, 255, false, kPink, kBlack, Align::Centre, 12, "コース3",
       false},
      {"Label2(3)", 960, 600, 1335, 255, false, kGreen, kBlack, Align::Centre, 12, "初心者用車"},
      {"Label2(4)", 2400, 600, 1335, 255, false, kPink, kBlack, Align::Centre, 12, "上級者用車"},
      {"Label2(5)", 1440, 1560, 1815, 255, false, kBlue, kWhite, Align::Centre, 12, "ゲームの終了"},
      {"Label2(6)", 720, 1080, 1695, 255, false, kBlue, kWhite, Align::Centre, 12,
       "ゲームスタート"},
      {"Label2(7)", 2640, 1080, 1335, 255, false, kBlue, kWhite, Align::Centre, 12, "キャンセル"},
  };
  return items;
}

std::span<const LabelLayout> MenuFixedLabels() {
  static const LabelLayout fixed[] = {
      {"Label4", 240, 120, 615, 255, true, kGrey, kBlack, Align::Centre, 0, "コース"},
      {"Label5", 240, 600, 615, 255, true, kGrey, kBlack, Align::Centre, 0, "車"},
      {"Label1", 120, 1920, 4455, 255, true, kGrey, kBlack, Align::Right, 0,
       "「ゲームスタート」でEnterかジョイパッドの1ボタンで決定"},
      {"Label3", 120, 2160, 4455, 255, true, kGrey, kBlack, Align::Right, 0,
       "Escかジョイパッド2ボタンでキャンセル"},
  };
  return fixed;
}

const ShapeLayout kShape1{"Shape1", 0, 0, 4695, 2415, kBlack, 1};
const ShapeLayout kShape2{"Shape2", 240, 240, 1335, 255, kBlack, 1};
const ShapeLayout kShape3{"Shape3", 960, 720, 1335, 255, kBlack, 1};
const ShapeLayout kShape4{"Shape4", 180, 180, 1455, 375, {255, 0, 0}, 2};

std::span<const MenuLayer> MenuPaintOrder() {
  // Bottom first: the reverse of the menu's stacking order, top window first.
  static const MenuLayer order[] = {
      {MenuLayer::kItem, 0},       {MenuLayer::kItem, 6},       {MenuLayer::kItem, 1},
      {MenuLayer::kItem, 2},       {MenuLayer::kItem, 3},       {MenuLayer::kItem, 4},
      {MenuLayer::kItem, 7},       {MenuLayer::kShape, 1},      {MenuLayer::kItem, 5},
      {MenuLayer::kShape, 2},      {MenuLayer::kShape, 3},      {MenuLayer::kShape, 4},
      {MenuLayer::kFixedLabel, 2}, {MenuLayer::kFixedLabel, 3}, {MenuLayer::kFixedLabel, 0},
      {MenuLayer::kFixedLabel, 1},
  };
  return order;
}

}  // namespace quorvel
