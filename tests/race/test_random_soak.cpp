// A seeded random soak of the whole game: start-up, then at least 200,000
// timer ticks with random keyboard and joystick input in phases that make
// the rare things happen (crashes, laps, the finish, reversing over the start
// line, menu visits that start either course with either car), and a check
// of the race state after every tick. The run is reproducible from its seed;
// QUORVEL_SOAK_SEED picks another one and QUORVEL_SOAK_TICKS another length.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/plane_tests.h"
#include "menu/menu_state.h"
#include "menu/menu_window.h"
#include "platform/draw_op.h"
#include "platform/platform.h"
#include "race/car_motion.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"
#include "ui/layout.h"

namespace quorvel {
namespace {

constexpr uint32_t kDefaultSeed = 20240917;
constexpr long kDefaultTicks = 200000;
constexpr int kPictureSize = kPicture1Width / kTwipsPerPixel;  // pixels
constexpr int32_t kPolygonBound = 10000;                       // pixels, either way
constexpr int kMenuEventCap = 200;
constexpr long kCrashSleepMs = 19 * 80 + 1600;
constexpr int32_t kFinishedLap = 4;

// Keys the keyboard can hold in the game window, as bits.
enum KeyBit : unsigned { kL = 1, kR = 2, kU = 4, kD = 8, kEnter = 16 };

// Reads a whole decimal number from the environment; empty when unset.
std::optional<unsigned long long> EnvNumber(const char* name, bool& valid) {
  valid = true;
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  valid = end != text && *end == '\0';
  return v;
}

// What a tick may or may not have changed.
struct Snapshot {
  std::array<float, 4> Pos{};
  float Heading = 0, Speed = 0;
  int16_t Steer = 0, CameraLag = 0, CarType = 0, RoadTriCount = 0;
  int32_t Ticks = 0, Lap = 0, LastGate = 0, CourseChoice = 0, CarChoice = 0;
  bool PastStartLine = false;
  std::size_t GateCount = 0;
  Form1Labels labels;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Snap(const Game& g) {
  const RaceState& s = g.s;
  return {s.Pos,          s.Heading,      s.Speed,         s.Steer,        s.CameraLag,
          s.CarType,      s.RoadTriCount, s.Ticks,         s.Lap,          s.LastGate,
          s.CourseChoice, s.CarChoice,    s.PastStartLine, s.Gates.size(), g.form1.labels};
}

void PrintTo(const Snapshot& v, std::ostream* os) {
  *os << "{Pos " << v.Pos[0] << "," << v.Pos[1] << "," << v.Pos[2] << "," << v.Pos[3] << " Heading "
      << v.Heading << " Speed " << v.Speed << " Steer " << v.Steer << " CameraLag " << v.CameraLag
      << " CarType " << v.CarType << " RoadTriCount " << v.RoadTriCount << " Ticks " << v.Ticks
      << " Lap " << v.Lap << " LastGate " << v.LastGate << " PastStartLine " << v.PastStartLine
      << " CourseChoice " << v.CourseChoice << " CarChoice " << v.CarChoice << " gates "
      << v.GateCount << " labels [" << v.labels.Label1 << "|" << v.labels.Label2 << "|"
      << v.labels.Label3 << "|" << v.labels.Label4 << "|" << v.labels.Label3Visible << "]}";
}

enum class Plan { kRandom, kStart, kQuit };
enum class Outcome { kOpen, kCancel, kStart, kQuit };

const char* Name(Outcome o) {
  switch (o) {
    case Outcome::kOpen:
      return "still open";
    case Outcome::kCancel:
      return "cancel";
    case Outcome::kStart:
      return "start";
    case Outcome::kQuit:
      return "quit";
  }
  return "?";
}

struct VisitPlan {
  Plan kind = Plan::kRandom;
  int32_t course = 0;  // menu course item, 0 or 1
  int32_t car = 3;     // menu car item, 3 or 4
  bool by_stick = false;
};

struct VisitResult {
  Outcome outcome = Outcome::kOpen;
  int32_t course = -1;
  int32_t car = -1;
};

struct Stats {
  long ticks = 0;
  long race_steps = 0;
  long countdown_ticks = 0;
  long frozen_ticks = 0;
  long crashes = 0;
  long lap_gains = 0;
  long lap_losses = 0;  // the start line crossed backwards
  long finishes = 0;
  long visits = 0;
  long random_visits = 0;
  long capped_visits = 0;
  long menu_events = 0;
  long cancels = 0;
  long quits = 0;
  long starts[2][2] = {};  // [course item][car item - 3]
};

class Soak {
 public:
  Soak(uint32_t seed, long target_ticks) : seed_(seed), target_(target_ticks), rng_(seed) {
    p_.surface.width = p_.surface.height = kPictureSize;
    p_.on_show_menu = [this](MenuWindow& menu) {
      if (p_.timer_enabled && fault_.empty()) fault_ = "the menu was shown with the game timer on";
      DriveMenu(menu);
    };
  }

  const Stats& stats() const { return stats_; }
  long polygons() const { return polygons_; }

  void Run() {
    phase_ = "start-up";
    p_.joy_probe_result = Coin(0.5);
    Form1_Load(g_, p_);
    TakeDrawing();
    ASSERT_TRUE(draw_fault_.empty()) << draw_fault_ << "; " << At();
    ASSERT_NO_FATAL_FAILURE(CheckInvariants());
    for (int round = 0; stats_.ticks < target_; ++round) {
      std::vector<int> phases = {0, 1, 2, 3, 4, 5};
      // Scripted laps are slow; a handful covers both courses and both cars.
      if (round < 4) phases.push_back(6);

      std::shuffle(phases.begin(), phases.end(), rng_);
      for (const int phase : phases) {
        bool ok = true;
        switch (phase) {
          case 0:
            ok = RandomKeysPhase(Uniform(200, 3000));
            break;
          case 1:
            ok = FlatOutPhase(Uniform(200, 1500));
            break;
          case 2:
            ok = StickPhase(Uniform(200, 2000));
            break;
          case 3:
            ok = ReversePhase();
            break;
          case 4:
            ok = MenuBurstPhase(Uniform(50, 400));
            break;
          case 5:
            ok = CoastAndBrakePhase(Uniform(100, 1000));
            break;
          default:
            ok = AutopilotPhase(round % 2, 3 + round / 2);
            break;
        }
        if (!ok) return;
      }
    }
    // Confirming "ゲームの終了" is the one way out; done once, at the end.
    phase_ = "quit";
    const long quits = stats_.quits;
    next_plan_ = VisitPlan{Plan::kQuit, 0, 3, Coin(0.5)};
    if (!RequestMenu()) return;
    ASSERT_EQ(stats_.quits, quits + 1) << At();
  }

  std::string At() const {
    std::ostringstream out;
    out << "seed " << seed_ << ", tick " << stats_.ticks << " (" << phase_ << ")";
    return out.str();
  }

 private:
  // ---- random numbers -------------------------------------------------
  long Uniform(long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(rng_); }
  bool Coin(double p) { return std::bernoulli_distribution(p)(rng_); }

  uint32_t RandomAxis() {
    switch (Uniform(0, 11)) {
      case 0:
        return 0;
      case 1:
        return 32767;
      case 2:
      case 3:
        return 32768;
      case 4:
        return 65535;
      case 5:
        return 32769;
      case 6:
        return 1;
      case 7:
        return Coin(0.2) ? 0xFFFFFFFFu : 65534u;  // a misbehaving driver
      default:
        return static_cast<uint32_t>(Uniform(0, 65535));
    }
  }
  JoyReading RandomReading(double button_rate) {
    JoyReading r{RandomAxis(), RandomAxis(), 0};
    if (Coin(button_rate)) r.dwButtons = static_cast<uint32_t>(Uniform(1, 3));
    if (Coin(0.01)) r.dwButtons |= static_cast<uint32_t>(Uniform(0, 255)) << 2;
    return r;
  }
  static JoyReading Neutral(uint32_t buttons = 0) { return {32768, 32768, buttons}; }
  unsigned RandomSteer() {
    const long r = Uniform(0, 3);
    return r == 0 ? kL : r == 1 ? kR : r == 2 ? (kL | kR) : 0u;
  }

  // ---- one tick --------------------------------------------------------
  bool Tick(unsigned keys, const std::optional<JoyReading>& joy) {
    DoTick(keys, joy);
    return !::testing::Test::HasFatalFailure();
  }

  // Counts the drawing calls the game made since the last look and keeps the
  // first one out of range, and any sleep but the crash's; then forgets
  // them, so that hundreds of thousands of frames cost no memory.
  void TakeDrawing() {
    for (const DrawOp& op : p_.surface.ops) {
      ++ops_;
      if (op.kind == DrawOp::kPoly) ++polygons_;
      const bool finite =
          std::all_of(op.args.begin(), op.args.end(), [](float v) { return std::isfinite(v); });
      const bool bounded = std::all_of(op.points.begin(), op.points.end(), [](const PolyPoint& p) {
        return p.x >= -kPolygonBound && p.x <= kPolygonBound && p.y >= -kPolygonBound &&
               p.y <= kPolygonBound;
      });
      if ((!finite || !bounded) && draw_fault_.empty()) draw_fault_ = DrawLogText(op);
    }
    for (const int ms : p_.sleeps) {
      if (ms != 80 && ms != 1600 && fault_.empty()) fault_ = "Sleep(" + std::to_string(ms) + ")";
    }
    p_.surface.ops.clear();
    p_.sleeps.clear();
    p_.label_calls.clear();
    p_.label_call_ops.clear();
  }

  static InputEvent TickOf(unsigned keys, const std::optional<JoyReading>& joy) {
    InputEvent e;
    e.keys = static_cast<uint8_t>(keys);  // the KeyBit values are the tick's key bits
    e.joy = joy;
    return e;
  }

  void DoTick(unsigned keys, const std::optional<JoyReading>& joy) {
    const Snapshot before = Snap(g_);
    // The latches as the game should keep them: a press acts once, until it
    // is found released.
    const bool enter_press = (keys & kEnter) != 0 && !model_enter_;
    const bool button_press = joy && (joy->dwButtons & 1) != 0 && !model_button_;
    model_enter_ = (keys & kEnter) != 0;
    if (joy) model_button_ = (joy->dwButtons & 1) != 0;
    const long slept0 = p_.slept_ms;
    const long ops0 = ops_;
    const int shows0 = p_.menu_shows;
    result_ = VisitResult{};

    ++stats_.ticks;  // failures name the tick in progress
    Timer1_Timer(g_, p_, TickOf(keys, joy));
    TakeDrawing();

    ASSERT_NO_FATAL_FAILURE(CheckTick(before, enter_press || button_press, p_.slept_ms - slept0,
                                      ops_ - ops0, p_.menu_shows != shows0));
    if (!::testing::Test::HasFatalFailure() && g_.form1.Unloaded) {
      ASSERT_NO_FATAL_FAILURE(AfterQuit());
    }
  }

  void CheckInvariants() {
    const RaceState& s = g_.s;
    ASSERT_GE(s.Steer, -10) << At();
    ASSERT_LE(s.Steer, 10) << At();
    ASSERT_GE(s.CameraLag, -15) << At();
    ASSERT_LE(s.CameraLag, 15) << At();
    ASSERT_TRUE(std::isfinite(s.Speed)) << s.Speed << "; " << At();
    ASSERT_GE(s.Speed, 0.0f) << At();
    ASSERT_TRUE(std::isfinite(s.Heading)) << s.Heading << "; " << At();
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(std::isfinite(s.Pos[i])) << "Pos " << i << "; " << At();
    ASSERT_FALSE(s.Gates.empty()) << At();
    ASSERT_GE(s.LastGate, 0) << At();
    ASSERT_LT(s.LastGate, static_cast<int32_t>(s.Gates.size())) << At();
    ASSERT_GE(s.RoadTriCount, 0) << At();
    ASSERT_LE(s.RoadTriCount, kRoadTriCapacity) << At();
    ASSERT_LE(s.Lap, kFinishedLap) << At();
    ASSERT_GE(s.Ticks, -40) << At();
    ASSERT_EQ(g_.form1.labels.Label3Visible, s.Lap == kFinishedLap)
        << "the goal banner shows exactly while the race is finished; " << At();
    ASSERT_TRUE(s.CourseChoice == 0 || s.CourseChoice == 1) << s.CourseChoice << "; " << At();
    ASSERT_TRUE(s.CarChoice == 3 || s.CarChoice == 4) << s.CarChoice << "; " << At();
    ASSERT_EQ(s.CarType, s.CarChoice == 4 ? 1 : 0) << At();
  }

  void CheckTick(const Snapshot& before, bool menu_expected, long slept, long ops, bool visited) {
    // A failure inside the menu driver already ended the run.
    if (::testing::Test::HasFatalFailure()) return;
    const RaceState& s = g_.s;
    ASSERT_TRUE(draw_fault_.empty())
        << "drawing call out of range: " << draw_fault_ << "; " << At();
    ASSERT_TRUE(fault_.empty()) << fault_ << "; " << At();
    ASSERT_EQ(visited, menu_expected)
        << "a new press of Enter or button 1 opens the menu, nothing else; " << At();
    ASSERT_FALSE(g_.form2.has_value()) << "menu window still loaded after the tick; " << At();
    ASSERT_EQ(s.EnterLatch, model_enter_) << "Enter latch after the tick; " << At();
    ASSERT_EQ(s.JoyButtonLatch, model_button_) << "button-1 latch after the tick; " << At();
    ASSERT_NO_FATAL_FAILURE(CheckInvariants());

    if (visited) {
      ++stats_.visits;
      ASSERT_EQ(slept, 0) << At();
      ASSERT_EQ(ops, 0) << "a menu visit draws nothing; " << At();
      ASSERT_TRUE(g_.form1.Timer1Enabled) << At();
      ASSERT_TRUE(p_.timer_enabled) << At();
      if (plan_.kind == Plan::kStart) {
        ASSERT_EQ(Name(result_.outcome), std::string("start")) << At();
        ASSERT_EQ(result_.course, plan_.course) << At();
        ASSERT_EQ(result_.car, plan_.car) << At();
      } else if (plan_.kind == Plan::kQuit) {
        ASSERT_EQ(Name(result_.outcome), std::string("quit")) << At();
      }
      switch (result_.outcome) {
        case Outcome::kStart:
          ASSERT_NO_FATAL_FAILURE(CheckStarted(result_.course, result_.car));
          ++stats_.starts[result_.course][result_.car - 3];
          break;
        case Outcome::kQuit:
          ASSERT_TRUE(s.QuitRequested) << At();
          ASSERT_TRUE(g_.form1.Unloaded) << At();
          ASSERT_TRUE(p_.unloaded) << At();
          ASSERT_EQ(Snap(g_), before) << "quitting changes no race state; " << At();
          break;
        case Outcome::kCancel:
          ++stats_.cancels;
          ASSERT_FALSE(g_.form1.Unloaded) << At();
          ASSERT_EQ(Snap(g_), before) << "a cancelled visit changes nothing; " << At();
          break;
        case Outcome::kOpen:
          FAIL() << "the menu visit ended with the menu open; " << At();
      }
      return;
    }

    ASSERT_FALSE(g_.form1.Unloaded) << At();
    ASSERT_FALSE(s.QuitRequested) << At();
    if (before.Lap == kFinishedLap) {
      ++stats_.frozen_ticks;
      ASSERT_EQ(ops, 0) << "a finished race draws nothing; " << At();
      ASSERT_EQ(slept, 0) << At();
      ASSERT_EQ(Snap(g_), before) << "a finished race stands still; " << At();
      return;
    }

    const bool crashed = slept != 0;
    if (crashed) {
      ASSERT_EQ(slept, kCrashSleepMs) << At();
    }
    ASSERT_EQ(s.Ticks - before.Ticks, crashed ? 40 : 1)
        << "the clock moves 1 per tick and 39 more per crash; " << At();
    ASSERT_GT(ops, 0) << "countdown ticks and race steps draw; " << At();

    if (before.Ticks + 1 < -1) {
      ++stats_.countdown_ticks;
      ASSERT_FALSE(crashed) << At();
      Snapshot expected = before;
      expected.Ticks += 1;
      Snapshot actual = Snap(g_);
      // The eye point and the texts are the drawing's own business.
      actual.Pos[2] = expected.Pos[2];
      actual.Pos[3] = expected.Pos[3];
      actual.labels = expected.labels;
      ASSERT_EQ(actual, expected) << "the car stands still in the countdown; " << At();
      return;
    }

    ++stats_.race_steps;
    ASSERT_LE(std::abs(s.Lap - before.Lap), 1) << At();
    if (s.Lap < before.Lap) ++stats_.lap_losses;
    if (s.Lap > before.Lap) ++stats_.lap_gains;
    if (s.Lap == kFinishedLap) {
      ++stats_.finishes;
      ASSERT_EQ(g_.form1.labels.Label3, "ゴール") << At();
    }
    if (crashed) {
      ++stats_.crashes;
      const GateRec& gate = s.Gates[static_cast<std::size_t>(s.LastGate)];
      ASSERT_EQ(s.Speed, 0.0f) << At();
      ASSERT_EQ(s.Steer, 0) << At();
      ASSERT_EQ(s.CameraLag, 0) << At();
      ASSERT_EQ(s.Pos[0], static_cast<float>(gate.RespawnX)) << At();
      ASSERT_EQ(s.Pos[1], static_cast<float>(gate.RespawnY)) << At();
      ASSERT_EQ(s.Heading, static_cast<float>(static_cast<double>(gate.RespawnHeading) + 0.02))
          << At();
    }
  }

  void CheckStarted(int32_t course, int32_t car) {
    const RaceState& s = g_.s;
    ASSERT_EQ(s.CourseChoice, course) << At();
    ASSERT_EQ(s.CarChoice, car) << At();
    ASSERT_EQ(s.CarType, car == 4 ? 1 : 0) << At();
    ASSERT_EQ(s.RoadTriCount, course == 1 ? 112 : 102) << At();
    ASSERT_EQ(s.Gates.size(), course == 1 ? 29u : 16u) << At();
    ASSERT_TRUE(s.Gates[0] == s.StartGate) << At();
    ASSERT_EQ(s.Pos[0], static_cast<float>(s.StartGate.RespawnX)) << At();
    ASSERT_EQ(s.Pos[1], static_cast<float>(s.StartGate.RespawnY)) << At();
    ASSERT_EQ(s.Heading, s.StartGate.RespawnHeading) << At();
    ASSERT_EQ(s.Ticks, -40) << At();
    ASSERT_EQ(s.Lap, 1) << At();
    ASSERT_EQ(s.LastGate, 0) << At();
    ASSERT_TRUE(s.PastStartLine) << At();
    ASSERT_EQ(s.Speed, 0.0f) << At();
    ASSERT_EQ(s.Steer, 0) << At();
    ASSERT_EQ(s.CameraLag, 0) << At();
    ASSERT_FALSE(s.QuitRequested) << At();
    ASSERT_FALSE(g_.form1.labels.Label3Visible) << At();
    ASSERT_EQ(g_.form1.labels.Label3, "") << At();
  }

  // The game window is gone: a late timer event must find nothing to do.
  // Then the soak goes on with a new game.
  void AfterQuit() {
    ++stats_.quits;
    const Snapshot before = Snap(g_);
    const long ops0 = ops_;
    const int shows0 = p_.menu_shows;
    Timer1_Timer(g_, p_, TickOf(kEnter, Neutral(1)));
    TakeDrawing();
    ASSERT_EQ(ops_, ops0) << At();
    ASSERT_EQ(p_.menu_shows, shows0) << At();
    ASSERT_EQ(Snap(g_), before) << At();

    g_ = Game{};
    p_.unloaded = false;
    p_.timer_enabled = true;
    model_enter_ = false;
    model_button_ = false;
    Form1_Load(g_, p_);
    TakeDrawing();
    ASSERT_TRUE(draw_fault_.empty()) << draw_fault_ << "; " << At();
    ASSERT_NO_FATAL_FAILURE(CheckInvariants());
  }

  // ---- the menu ---------------------------------------------------------
  // Opens the menu by a new press of Enter or, when Enter's press is still
  // latched, of button 1; releases both first when both are latched.
  bool RequestMenu() {
    if (model_enter_ && model_button_ && !Tick(0, Neutral())) return false;
    if (!model_enter_) return Tick(kEnter, std::nullopt);
    return Tick(0, Neutral(1));
  }

  // Starts a race on menu course item `course` with car item `car`.
  bool StartRace(int32_t course, int32_t car) {
    next_plan_ = VisitPlan{Plan::kStart, course, car, Coin(0.5)};
    return RequestMenu();
  }

  void DriveMenu(MenuWindow& menu) {
    if (next_plan_) {
      plan_ = *next_plan_;
      next_plan_.reset();
    } else if (Coin(0.25)) {
      plan_ = VisitPlan{Plan::kStart, static_cast<int32_t>(Uniform(0, 1)),
                        static_cast<int32_t>(3 + Uniform(0, 1)), Coin(0.5)};
    } else {
      plan_ = VisitPlan{};
    }
    ASSERT_FALSE(g_.form1.Timer1Enabled) << "the game timer runs during the menu; " << At();
    menu.Form_Load();
    ASSERT_TRUE(g_.form2.has_value()) << At();
    ASSERT_FALSE(menu.Closed()) << At();
    ASSERT_NO_FATAL_FAILURE(CheckMenuState());
    switch (plan_.kind) {
      case Plan::kRandom:
        ++stats_.random_visits;
        ASSERT_NO_FATAL_FAILURE(RandomEvents(menu));
        break;
      case Plan::kStart:
        ASSERT_NO_FATAL_FAILURE(ScriptedStart(menu));
        break;
      case Plan::kQuit:
        ASSERT_NO_FATAL_FAILURE(ScriptedQuit(menu));
        break;
    }
    ASSERT_TRUE(menu.Closed()) << "the visit's events did not close the menu; " << At();
  }

  void CheckMenuState() {
    ASSERT_TRUE(g_.form2.has_value()) << At();
    const MenuState& m = *g_.form2;
    ASSERT_GE(m.CurrentItem, 0) << At();
    ASSERT_LE(m.CurrentItem, 7) << At();
    ASSERT_NE(m.CurrentItem, kItemCourse3) << At();
    ASSERT_TRUE(m.PendingCourse == 0 || m.PendingCourse == 1) << m.PendingCourse << "; " << At();
    ASSERT_TRUE(m.PendingCar == 3 || m.PendingCar == 4) << m.PendingCar << "; " << At();
    ASSERT_EQ(g_.s.EnterLatch, model_enter_) << "Enter latch in the menu; " << At();
    ASSERT_EQ(g_.s.JoyButtonLatch, model_button_) << "button-1 latch in the menu; " << At();
  }

  static Outcome OutcomeOfConfirm(int32_t item) {
    switch (item) {
      case kItemStart:
        return Outcome::kStart;
      case kItemCancel:
        return Outcome::kCancel;
      case kItemQuit:
        return Outcome::kQuit;
      default:
        return Outcome::kOpen;
    }
  }

  void Closing(Outcome expected, bool closed, const std::string& event) {
    ASSERT_EQ(closed ? "closed" : "open",
              std::string(expected == Outcome::kOpen ? "open" : "closed"))
        << "expected outcome " << Name(expected) << " after " << event << " on item "
        << g_.form2->CurrentItem << "; " << At();
    if (!closed) return;
    result_.outcome = expected;
    result_.course = g_.form2->PendingCourse;
    result_.car = g_.form2->PendingCar;
  }

  void SendKey(MenuWindow& menu, int16_t vk) {
    ++stats_.menu_events;
    const int32_t item = g_.form2->CurrentItem;
    if (vk == kVkReturn) model_enter_ = true;
    menu.Form_KeyDown(vk);
    ASSERT_NO_FATAL_FAILURE(CheckMenuState());
    Outcome expected = Outcome::kOpen;
    if (vk == kVkEscape) expected = Outcome::kCancel;
    if (vk == kVkReturn) expected = OutcomeOfConfirm(item);
    ASSERT_NO_FATAL_FAILURE(Closing(expected, menu.Closed(), "key " + std::to_string(vk)));
  }

  void SendPoll(MenuWindow& menu, const std::optional<JoyReading>& r) {
    ++stats_.menu_events;
    const bool confirm = r && (r->dwButtons & 1) != 0 && !model_button_;
    if (r) model_button_ = (r->dwButtons & 1) != 0;
    menu.Timer1_Timer(r);
    ASSERT_NO_FATAL_FAILURE(CheckMenuState());
    // The stick moves the cursor before the button confirms.
    Outcome expected = confirm ? OutcomeOfConfirm(g_.form2->CurrentItem) : Outcome::kOpen;
    if (expected == Outcome::kOpen && r && (r->dwButtons & 2) != 0) expected = Outcome::kCancel;
    std::ostringstream event;
    if (r) {
      event << "poll " << r->dwXpos << "," << r->dwYpos << " buttons " << r->dwButtons;
    } else {
      event << "failed poll";
    }
    ASSERT_NO_FATAL_FAILURE(Closing(expected, menu.Closed(), event.str()));
  }

  int16_t RandomMenuKey() {
    static constexpr int16_t kOthers[] = {0,  8,  9,  16,  17,  18, 32,    36,
                                          41, 65, 90, 112, 255, -1, 32767, -32768};
    const long r = Uniform(0, 99);
    if (r < 5) return kVkEscape;
    if (r < 20) return kVkReturn;
    if (r < 80) return static_cast<int16_t>(kVkLeft + Uniform(0, 3));
    return kOthers[Uniform(0, static_cast<long>(std::size(kOthers)) - 1)];
  }

  // Random key-downs and polls until the menu closes; Esc after the cap.
  // Confirming "ゲームの終了" would end the game, so those confirms are
  // turned into harmless events. A long visit confirms nothing and never
  // cancels, so that it wanders until the cap.
  void RandomEvents(MenuWindow& menu) {
    const bool long_visit = Coin(0.05);
    for (int n = 0; n < kMenuEventCap && !menu.Closed(); ++n) {
      const int32_t item = g_.form2->CurrentItem;
      const bool action_row = item == kItemStart || item == kItemCancel;
      if (Coin(0.5)) {
        int16_t vk = RandomMenuKey();
        if (vk == kVkReturn && item == kItemQuit) vk = kVkDown;
        if (long_visit && (vk == kVkEscape || (vk == kVkReturn && action_row))) vk = kVkUp;
        ASSERT_NO_FATAL_FAILURE(SendKey(menu, vk));
      } else {
        std::optional<JoyReading> r;
        if (!Coin(0.2)) {
          r = RandomReading(0.3);
          const bool up = r->dwYpos < 32768;
          const bool down = r->dwYpos > 32768;
          const bool to_quit = item == kItemQuit ||
                               ((item == kItemCourse1 || item == kItemCourse2) && up) ||
                               (action_row && down);
          if ((to_quit || long_visit) && !model_button_) r->dwButtons &= ~1u;
          if (long_visit) r->dwButtons &= ~2u;
        }
        ASSERT_NO_FATAL_FAILURE(SendPoll(menu, r));
      }
    }
    if (!menu.Closed()) {
      ++stats_.capped_visits;
      ASSERT_NO_FATAL_FAILURE(SendKey(menu, kVkEscape));
    }
  }

  // Something that must not change the menu's course: a failed poll, a
  // released stick or a key the menu ignores.
  void Noise(MenuWindow& menu) {
    if (!Coin(0.3)) return;
    switch (Uniform(0, 2)) {
      case 0:
        ASSERT_NO_FATAL_FAILURE(SendPoll(menu, std::nullopt));
        break;
      case 1:
        ASSERT_NO_FATAL_FAILURE(SendPoll(menu, Neutral()));
        break;
      default:
        ASSERT_NO_FATAL_FAILURE(SendKey(menu, 65));
        break;
    }
  }

  enum class Move { kLeft, kRight, kUp, kDown };

  void SendMove(MenuWindow& menu, Move move) {
    ASSERT_NO_FATAL_FAILURE(Noise(menu));
    if (!plan_.by_stick) {
      static constexpr int16_t kKeys[] = {kVkLeft, kVkRight, kVkUp, kVkDown};
      ASSERT_NO_FATAL_FAILURE(SendKey(menu, kKeys[static_cast<int>(move)]));
      return;
    }
    JoyReading r = Neutral();
    const auto low = static_cast<uint32_t>(Coin(0.5) ? 0 : Uniform(0, 32767));
    const auto high = static_cast<uint32_t>(Coin(0.5) ? 65535 : Uniform(32769, 65535));
    switch (move) {
      case Move::kLeft:
        r.dwXpos = low;
        break;
      case Move::kRight:
        r.dwXpos = high;
        break;
      case Move::kUp:
        r.dwYpos = low;
        break;
      case Move::kDown:
        r.dwYpos = high;
        break;
    }
    ASSERT_NO_FATAL_FAILURE(SendPoll(menu, r));
    ASSERT_NO_FATAL_FAILURE(SendPoll(menu, Neutral()));  // the stick acts once per push
  }

  void SendConfirm(MenuWindow& menu) {
    ASSERT_NO_FATAL_FAILURE(Noise(menu));
    if (plan_.by_stick) {
      ASSERT_NO_FATAL_FAILURE(SendPoll(menu, Neutral(1)));
    } else {
      ASSERT_NO_FATAL_FAILURE(SendKey(menu, kVkReturn));
    }
  }

  // Course row, car row, then "ゲームスタート" (left of "キャンセル").
  void ScriptedStart(MenuWindow& menu) {
    // Releases the stick and button 1 so that the script's pushes all act.
    if (plan_.by_stick) {
      ASSERT_NO_FATAL_FAILURE(SendPoll(menu, Neutral()));
    }
    if (g_.form2->PendingCourse != plan_.course) {
      ASSERT_NO_FATAL_FAILURE(SendMove(menu, Coin(0.5) ? Move::kRight : Move::kLeft));
    }
    ASSERT_NO_FATAL_FAILURE(SendMove(menu, Move::kDown));
    if (g_.form2->PendingCar != plan_.car) {
      ASSERT_NO_FATAL_FAILURE(SendMove(menu, Coin(0.5) ? Move::kRight : Move::kLeft));
    }
    ASSERT_NO_FATAL_FAILURE(SendMove(menu, Move::kDown));
    ASSERT_NO_FATAL_FAILURE(SendMove(menu, Coin(0.5) ? Move::kRight : Move::kLeft));
    ASSERT_NO_FATAL_FAILURE(SendConfirm(menu));
  }

  // Up from the course row is "ゲームの終了".
  void ScriptedQuit(MenuWindow& menu) {
    if (plan_.by_stick) {
      ASSERT_NO_FATAL_FAILURE(SendPoll(menu, Neutral()));
    }
    ASSERT_NO_FATAL_FAILURE(SendMove(menu, Move::kUp));
    ASSERT_NO_FATAL_FAILURE(SendConfirm(menu));
  }

  // ---- phases ------------------------------------------------------------
  // Random held keys that change now and then, rare Enter presses, and a
  // stick that is absent, centred, jittering or resting somewhere.
  bool RandomKeysPhase(long length) {
    phase_ = "random keys";
    const double flip = 0.02 + 0.28 * Uniform(0, 100) / 100.0;
    const double enter_rate = Uniform(0, 20) / 1000.0;
    const long stick_mode = Uniform(0, 3);
    unsigned keys = 0;
    std::optional<JoyReading> joy;
    if (stick_mode == 1) joy = Neutral();
    for (long i = 0; i < length; ++i) {
      for (const unsigned k : {kL, kR, kU, kD}) {
        if (Coin(flip)) keys ^= k;
      }
      if ((keys & kEnter) != 0) {
        if (Coin(0.5)) keys &= ~unsigned{kEnter};
      } else if (Coin(enter_rate)) {
        keys |= kEnter;
      }
      if (stick_mode == 2) {
        joy.reset();
        if (!Coin(0.1)) joy = RandomReading(0.01);
      } else if (stick_mode == 3 && Coin(0.05)) {
        joy.reset();
        if (!Coin(0.2)) joy = RandomReading(0.05);
      }
      if (!Tick(keys, joy)) return false;
    }
    return true;
  }

  // Full throttle with long stretches of steering: the car leaves the road.
  bool FlatOutPhase(long length) {
    phase_ = "flat out";
    const std::optional<JoyReading> joy =
        Coin(0.5) ? std::nullopt : std::optional<JoyReading>(Neutral());
    unsigned steer = 0;
    long left_in_stretch = 0;
    for (long i = 0; i < length; ++i) {
      if (left_in_stretch-- <= 0) {
        steer = Coin(0.4) ? 0u : RandomSteer();
        left_in_stretch = Uniform(5, 80);
      }
      const unsigned keys = kU | steer | (Coin(0.01) ? unsigned{kD} : 0u);
      if (!Tick(keys, joy)) return false;
    }
    return true;
  }

  // Driving by the stick alone, readings held for a while, with polls that
  // fail and a rare button 1.
  bool StickPhase(long length) {
    phase_ = "stick";
    JoyReading reading = Neutral();
    bool present = true;
    for (long i = 0; i < length; ++i) {
      if (Coin(0.1)) {
        reading = RandomReading(0.0);
        present = !Coin(0.1);
      }
      JoyReading now = reading;
      if (Coin(0.003)) now.dwButtons |= 1;
      if (Coin(0.01)) now.dwButtons |= 2;  // means nothing to the game window
      if (!Tick(Coin(0.05) ? RandomSteer() : 0u,
                present ? std::optional<JoyReading>(now) : std::nullopt)) {
        return false;
      }
    }
    return true;
  }

  // A fresh start, a countdown with keys held, a turn on the spot, then
  // throttle back over the start line.
  bool ReversePhase() {
    if (!StartRace(static_cast<int32_t>(Uniform(0, 1)), static_cast<int32_t>(3 + Uniform(0, 1)))) {
      return false;
    }
    phase_ = "reversing over the start line";
    for (int i = 0; i < 38; ++i) {
      if (!Tick(RandomSteer() | (Coin(0.5) ? unsigned{kU} : unsigned{kD}), std::nullopt)) {
        return false;
      }
    }
    const float start_heading = g_.s.Heading;
    const unsigned turn = Coin(0.5) ? kL : kR;
    for (int i = 0; i < 200 && std::fabs(g_.s.Heading - start_heading) < 3.05f; ++i) {
      if (!Tick(turn, std::nullopt)) return false;
    }
    const long length = Uniform(30, 400);
    for (long i = 0; i < length; ++i) {
      if (!Tick(kU | (Coin(0.05) ? RandomSteer() : 0u), std::nullopt)) return false;
    }
    return true;
  }

  // Enter pressed and released at random, the stick's buttons too: many
  // visits in quick succession, during the countdown, races and finishes.
  bool MenuBurstPhase(long length) {
    phase_ = "menu burst";
    unsigned keys = 0;
    for (long i = 0; i < length; ++i) {
      if (Coin(0.4)) keys ^= kEnter;
      keys = (keys & kEnter) | (Coin(0.5) ? RandomSteer() : 0u) | (Coin(0.5) ? unsigned{kU} : 0u);
      std::optional<JoyReading> joy;
      if (!Coin(0.3)) joy = RandomReading(0.3);
      if (!Tick(keys, joy)) return false;
    }
    return true;
  }

  // Short bursts of throttle, coasting and braking to a stop, mostly
  // without steering: slow driving that stays on the road for a while.
  bool CoastAndBrakePhase(long length) {
    phase_ = "coast and brake";
    for (long i = 0; i < length; ++i) {
      const long r = Uniform(0, 9);
      unsigned keys = r < 4 ? unsigned{kU} : r < 6 ? unsigned{kD} : r == 6 ? (kU | kD) : 0u;
      if (Coin(0.1)) keys |= RandomSteer();
      if (!Tick(keys, Coin(0.5) ? std::optional<JoyReading>(Neutral()) : std::nullopt)) {
        return false;
      }
    }
    return true;
  }

  // A start, then driven laps until the finish, then a while in the
  // finished race.
  bool AutopilotPhase(int32_t course, int32_t car) {
    if (!StartRace(course, car)) return false;
    phase_ = "driven laps";
    testing::Autopilot pilot(course == 0 ? 2.0f : 1.0f);
    const long cap = course == 0 ? 9000 : 16000;
    for (long i = 0; i < cap && g_.s.Lap < kFinishedLap; ++i) {
      if (!Tick(pilot.Keys(g_.s), std::nullopt)) return false;
    }
    if (g_.s.Lap != kFinishedLap) return true;
    phase_ = "finished race";
    for (long i = Uniform(20, 200); i > 0; --i) {
      std::optional<JoyReading> joy;
      if (Coin(0.5)) joy = RandomReading(0.0);
      if (!Tick(RandomSteer() | (Coin(0.5) ? unsigned{kU} : 0u), joy)) return false;
    }
    return true;
  }

  uint32_t seed_;
  long target_;
  std::mt19937 rng_;
  Game g_;
  testing::RecordingPlatform p_;
  long ops_ = 0;       // drawing calls so far
  long polygons_ = 0;  // of them polygons
  std::string draw_fault_, fault_;
  Stats stats_;
  const char* phase_ = "";
  bool model_enter_ = false;   // what EnterLatch should be
  bool model_button_ = false;  // what JoyButtonLatch should be
  std::optional<VisitPlan> next_plan_;
  VisitPlan plan_;
  VisitResult result_;
};

TEST(RandomSoak, TheWholeGameKeepsItsInvariantsUnderRandomInput) {
  bool valid = true;
  const auto seed_env = EnvNumber("QUORVEL_SOAK_SEED", valid);
  ASSERT_TRUE(valid) << "QUORVEL_SOAK_SEED must be a whole decimal number";
  const auto ticks_env = EnvNumber("QUORVEL_SOAK_TICKS", valid);
  ASSERT_TRUE(valid) << "QUORVEL_SOAK_TICKS must be a whole decimal number";
  const auto seed = static_cast<uint32_t>(seed_env.value_or(kDefaultSeed));
  const long target = ticks_env ? static_cast<long>(*ticks_env) : kDefaultTicks;
  std::cout << "[ soak     ] seed " << seed << " (QUORVEL_SOAK_SEED), " << target
            << " ticks (QUORVEL_SOAK_TICKS)" << std::endl;
  SCOPED_TRACE("seed " + std::to_string(seed));

  const auto started = std::chrono::steady_clock::now();
  Soak soak(seed, target);
  soak.Run();
  const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
  const Stats& st = soak.stats();
  std::cout << "[ soak     ] " << st.ticks << " ticks in " << elapsed.count()
            << " s: " << st.race_steps << " race steps, " << st.countdown_ticks << " countdown, "
            << st.frozen_ticks << " finished; " << st.crashes << " crashes, " << st.lap_gains
            << " laps gained, " << st.lap_losses << " lost, " << st.finishes << " finishes; "
            << st.visits << " menu visits (" << st.random_visits << " random, " << st.capped_visits
            << " capped, " << st.menu_events << " events), " << st.cancels
            << " cancels, starts c1/beginner " << st.starts[0][0] << " c1/advanced "
            << st.starts[0][1] << " c2/beginner " << st.starts[1][0] << " c2/advanced "
            << st.starts[1][1] << ", " << st.quits << " quits; " << soak.polygons() << " polygons"
            << std::endl;
  if (::testing::Test::HasFatalFailure()) return;
  // A shorter run is for chasing a failure and need not reach every path.
  if (target < kDefaultTicks) return;

  // The run is only worth its time if the rare paths were taken.
  EXPECT_GE(st.ticks, target) << soak.At();
  EXPECT_GE(st.crashes, 100) << soak.At();
  EXPECT_GE(st.finishes, 1) << soak.At();
  EXPECT_GE(st.lap_gains, 3) << soak.At();
  EXPECT_GE(st.lap_losses, 1) << "the start line was never crossed backwards; " << soak.At();
  EXPECT_GE(st.frozen_ticks, 1) << soak.At();
  EXPECT_GT(soak.polygons(), 0) << soak.At();
  EXPECT_GE(st.visits, 200) << soak.At();
  EXPECT_GE(st.random_visits, 100) << soak.At();
  EXPECT_GE(st.cancels, 50) << soak.At();
  EXPECT_GE(st.capped_visits, 1) << soak.At();
  EXPECT_GE(st.quits, 1) << soak.At();
  for (int course = 0; course < 2; ++course) {
    for (int car = 0; car < 2; ++car) {
      EXPECT_GE(st.starts[course][car], 1)
          << "course item " << course << ", car item " << car + 3 << "; " << soak.At();
    }
  }
}

}  // namespace
}  // namespace quorvel
