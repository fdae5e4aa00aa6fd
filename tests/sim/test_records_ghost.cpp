// Records and the ghost through quorvel-sim's --records and --ghost: a record
// only when beaten, the kept best run playing to its finish, and the ghost
// where the kept run is, tick for tick, whatever the race raced beside it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/ghost.h"
#include "app/race_records.h"
#include "app/recording.h"
#include "platform/headless/headless_platform.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"
#include "support/recording_platform.h"
#include "support/scratch.h"
#include "support/sim_run.h"

namespace quorvel {
namespace {

using testing::ReadFile;

std::string Kept(const std::string& name) {
  return ReadFile(std::filesystem::path(QUORVEL_SOURCE_DIR) / "tests/recordings" / name);
}

// The text after `"key": ` in a state line, up to the next comma or bracket.
std::string Field(const std::string& line, const std::string& key) {
  const auto at = line.find("\"" + key + "\": ");
  if (at == std::string::npos) return "<missing>";
  const std::size_t from = at + key.size() + 4;
  return line.substr(from, line.find_first_of(",}]", from) - from);
}

// The best run quorvel-sim --records keeps of course1-race.rec (course 1,
// beginner car), made once for the tests that race against it.
const std::string& KeptBestRun() {
  static const std::string best = [] {
    const testing::ScratchDir dir("records-kept");
    testing::RunSimOn(Kept("course1-race.rec"), {"--records", dir.path().string()});
    return ReadFile(dir / "best-course1-beginner.rec");
  }();
  return best;
}

std::string LastLine(const std::string& text) {
  const std::size_t end = text.find_last_not_of('\n');
  return text.substr(text.rfind('\n', end) + 1, end - text.rfind('\n', end));
}

TEST(RecordsGhost, ARecordIsSetOnlyWhenBeaten) {
  // course1-race.rec finishes course 1 with the beginner car.
  const std::string race = Kept("course1-race.rec");
  const testing::ScratchDir first("records-first");
  ASSERT_EQ(testing::RunSimOn(race, {"--records", first.path().string()}).status, 0);
  const std::string own = ReadFile(first / "records");
  ASSERT_EQ(own.rfind("# ", 0), 0u);
  const std::string own_line = own.substr(own.find('\n') + 1);  // "1 beginner RACE LAP DATE"
  std::istringstream words(own_line);
  std::string course, car;
  int race_ticks = 0, lap_ticks = 0;
  words >> course >> car >> race_ticks >> lap_ticks;
  ASSERT_EQ(course + " " + car, "1 beginner");
  ASSERT_GT(race_ticks, 3 * lap_ticks - 3);
  EXPECT_TRUE(std::filesystem::exists(first / "best-course1-beginner.rec"));

  struct Case {
    std::string kept;  // the records line before the race
    bool replaced;     // the race is a new record
  };
  const std::string slower_lap = "1 beginner " + std::to_string(race_ticks + 1) + " " +
                                 std::to_string(lap_ticks + 1) + " 2020-01-01\n";
  // (A tie is no record either: the records file's own tests have that.)
  const Case cases[] = {
      {"1 beginner " + std::to_string(race_ticks - 1) + " " + std::to_string(lap_ticks - 1) +
           " 2020-01-01\n",
       false},
      {slower_lap, true},
  };
  for (const Case& c : cases) {
    const testing::ScratchDir dir("records-again");
    const std::string before = "# kept\n" + c.kept;
    std::ofstream(dir / "records") << before;
    ASSERT_EQ(testing::RunSimOn(race, {"--records", dir.path().string()}).status, 0);
    const std::string after = ReadFile(dir / "records");
    EXPECT_EQ(after != before, c.replaced) << c.kept << after;
    EXPECT_EQ(std::filesystem::exists(dir / "best-course1-beginner.rec"), c.replaced) << c.kept;
    if (c.replaced) {
      EXPECT_EQ(after.substr(after.find('\n') + 1, 18), own_line.substr(0, 18));
    }
  }
}

// The game's own wiring, as quorvel_main has it: the times at the finish go
// to the title line, and the next race on that course has its ghost.
TEST(RecordsGhost, TheFinishTellsTheTimesAndTheNextRaceHasItsGhost) {
  const testing::ScratchDir dir("records-title");
  Game g;
  testing::RecordingPlatform platform;
  std::vector<std::string> warnings;
  RaceRecordsSetup setup;
  setup.dir = dir.path().string();
  setup.header = "test";
  setup.today = [] { return std::string("2026-12-08"); };
  setup.warn = [&warnings](const std::string& w) { warnings.push_back(w); };
  RaceRecords records(g, platform, setup);
  Form1_Load(g, platform);
  records.AfterTick();
  EXPECT_EQ(g.s.ghost, nullptr);
  RecordingReader race(Kept("course1-race.rec"));
  for (InputEvent e; g.s.Lap != 4 && race.Next(false, e) == RecordingReader::kEvent;) {
    records.Before(e, false);
    Timer1_Timer(g, platform, e);
    records.AfterTick();
    platform.surface.ops.clear();
  }
  ASSERT_EQ(g.s.Lap, 4);
  const std::string text = platform.status_text;
  EXPECT_EQ(text.rfind("ゴール " + SecondsText(g.s.Ticks) + "秒（新記録） ベストラップ ", 0), 0u)
      << text;
  const std::string new_record = "秒（新記録）";
  EXPECT_EQ(text.substr(text.size() - new_record.size()), new_record) << text;
  EXPECT_TRUE(warnings.empty()) << warnings[0];

  // A new race on course 1 from the menu: the title is plain again and the
  // kept run is its ghost.
  platform.on_show_menu = [](MenuWindow& menu) {
    menu.Form_Load();
    for (const int16_t key : {kVkDown, kVkDown, kVkLeft, kVkReturn}) menu.Form_KeyDown(key);
  };
  InputEvent enter;
  enter.keys = kTickEnter;
  records.Before(enter, false);
  Timer1_Timer(g, platform, enter);
  records.AfterTick();
  EXPECT_EQ(g.s.Ticks, -40);
  EXPECT_EQ(platform.status_text, "");
  EXPECT_NE(g.s.ghost, nullptr);
}

TEST(RecordsGhost, TheKeptBestRunPlaysToItsFinishWithItsChecks) {
  struct Case {
    const char* recording;
    const char* kept;
    const char* start = nullptr;  // the menu visit that starts the race, in place of its own
  };
  // A race from the load, one started from the menu on course 2 with the
  // advanced car, the same started with the pad's button 1 (only that
  // button's latch left pressed), and one driven with the stick.
  const Case cases[] = {
      {"course1-race.rec", "best-course1-beginner.rec"},
      {"course2-race.rec", "best-course2-advanced.rec"},
      {"course2-race.rec", "best-course2-advanced.rec",
       "tick joy 32768 32768 1\nkey right\nkey down\nkey right\nkey down\nkey left\n"
       "poll joy 32768 32768 0\npoll joy 32768 32768 1\n"},
      {"joystick-race.rec", "best-course1-beginner.rec"}};
  for (const Case& c : cases) {
    const testing::ScratchDir dir("records-best");
    std::string race = Kept(c.recording);
    if (c.start != nullptr) {
      const std::size_t from = race.find("tick enter\n");
      race.replace(from, race.find("tick left up\n") - from, c.start);
    }
    const testing::SimOutput live = testing::RunSimOn(race, {"--records", dir.path().string()});
    ASSERT_EQ(live.status, 0) << c.recording << live.err;
    EXPECT_EQ(live.err, "") << c.recording;
    const std::string best = ReadFile(dir / c.kept);
    ASSERT_EQ(best.rfind("version 1\n#", 0), 0u) << c.recording;
    EXPECT_EQ(LastLine(best).rfind("check ", 0), 0u) << c.recording;
    EXPECT_NE(best.find("\ncheck "), best.rfind("\ncheck ")) << c.recording;
    // The menu visit that starts it is the one a fresh start needs, by the
    // pad's button where the race was started so.
    if (c.start != nullptr) {
      EXPECT_NE(best.find(c.start), std::string::npos) << best.substr(0, 300);
    }
    const testing::SimOutput replayed = testing::RunSimOn(best);
    ASSERT_EQ(replayed.status, 0) << c.recording << replayed.err;
    const std::string last = LastLine(replayed.out);
    EXPECT_EQ(Field(last, "Lap"), "4") << c.recording;
    // The replay's finish is the live race's, to the last bit.
    std::string finished;
    std::istringstream lines(live.out);
    for (std::string line; std::getline(lines, line);) {
      if (Field(line, "Lap") == "4") {
        finished = line;
        break;
      }
    }
    for (const char* key : {"Ticks", "Pos", "Heading", "Speed", "LastGate"}) {
      EXPECT_EQ(Field(last, key), Field(finished, key)) << c.recording << " " << key;
    }
  }
}

// Passes the poses on and notes each one the drawing asked for.
class PoseLog final : public GhostCar {
 public:
  explicit PoseLog(GhostCar& ghost) : ghost_(ghost) {}
  std::optional<GhostPose> PoseAt(int32_t ticks) override {
    asked.emplace_back(ticks, ghost_.PoseAt(ticks));
    return asked.back().second;
  }
  std::vector<std::pair<int32_t, std::optional<GhostPose>>> asked;

 private:
  GhostCar& ghost_;
};

TEST(RecordsGhost, TheGhostIsWhereTheKeptRunIsTickForTickAcrossACrash) {
  const std::string& best = KeptBestRun();
  ASSERT_FALSE(best.empty());
  // The kept run played on its own: its pose after each tick.
  struct Step {
    int32_t ticks;
    GhostPose pose;
  };
  std::vector<Step> alone;
  std::istringstream lines(testing::RunSimOn(best).out);
  for (std::string line; std::getline(lines, line);) {
    if (Field(line, "event") != "\"tick\"") continue;
    const std::size_t at = line.find("\"Pos\": [") + 8;
    const std::string pos = line.substr(at, line.find(']', at) - at);
    alone.push_back({std::stoi(Field(line, "Ticks")),
                     {std::stof(pos), std::stof(pos.substr(pos.find(',') + 1)),
                      static_cast<int16_t>(std::stoi(Field(line, "Steer")))}});
  }
  ASSERT_GT(alone.size(), 100u);

  Ghost ghost{RecordingReader(best)};
  ASSERT_EQ(ghost.error(), "");
  PoseLog log(ghost);
  Game g;
  testing::RecordingPlatform platform;
  Form1_Load(g, platform);
  g.s.ghost = &log;
  // The countdown, then hard left until the car leaves the road, then on.
  bool crashed = false;
  for (int i = 0; i < 400 && !(crashed && g.s.Ticks > 120); ++i) {
    InputEvent tick;
    if (g.s.Ticks >= -2 && !crashed) tick.keys = kTickLeft | kTickUp;
    const int32_t before = g.s.Ticks;
    Timer1_Timer(g, platform, tick);
    crashed = crashed || g.s.Ticks == before + 40;
  }
  ASSERT_TRUE(crashed);
  ASSERT_GT(log.asked.size(), 100u);
  // Between ticks it is part of the way to its next tick's place, and holds
  // where its own race does not step on by one (its crash, its waiting).
  const auto between = std::make_unique<Ghost>(RecordingReader(best));
  for (std::size_t i = 0; i + 1 < alone.size() && alone[i].ticks < 400; ++i) {
    const auto& [from, to] = std::pair(alone[i], alone[i + 1]);
    const GhostPose half = *between->PoseBetween(from.ticks, 0.5);
    const bool steps = to.ticks == from.ticks + 1 && from.ticks >= -39;
    EXPECT_EQ(half.x,
              steps ? static_cast<float>(from.pose.x + 0.5 * (double{to.pose.x} - from.pose.x))
                    : between->PoseAt(from.ticks)->x)
        << from.ticks;
  }
  for (const auto& [ticks, pose] : log.asked) {
    const auto at = std::find_if(alone.begin(), alone.end(),
                                 [t = ticks](const Step& s) { return s.ticks >= t; });
    ASSERT_NE(at, alone.end());
    ASSERT_TRUE(pose.has_value()) << ticks;
    EXPECT_EQ(*pose, at->pose) << "drawn at tick " << ticks << ", the run at " << at->ticks;
  }
}

TEST(RecordsGhost, TheDrawLogShowsTheGhostAndTheStateLinesStayAsTheyWere) {
  const testing::ScratchDir dir("records-draw");
  std::ofstream(dir / "best-course1-beginner.rec") << KeptBestRun();
  std::string idle;
  for (int i = 0; i < 60; ++i) idle += "tick\n";
  const testing::SimOutput plain = testing::RunSimOn(idle, {"--draw-log"});
  const testing::SimOutput raced = testing::RunSimOn(
      idle, {"--draw-log", "--ghost", (dir / "best-course1-beginner.rec").string()});
  ASSERT_EQ(raced.status, 0) << raced.err;
  const auto states = [](const std::string& out) {
    std::string kept;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("{\"frame\"", 0) != 0) kept += line + "\n";
    }
    return kept;
  };
  EXPECT_EQ(states(raced.out), states(plain.out));
  EXPECT_EQ(plain.out.find("\"ring\""), std::string::npos);
  // Both circles of the marker, in every frame after the load's.
  std::size_t rings = 0;
  for (std::size_t at = 0; (at = raced.out.find("[\"ring\"", at)) != std::string::npos; ++at) {
    ++rings;
  }
  EXPECT_EQ(rings, 120u);

  // A ghost that does not replay is a bad file: one line, status 2.
  std::ofstream(dir / "newer.rec") << "version 2\ntick\n";
  const testing::SimOutput bad = testing::RunSimOn(idle, {"--ghost", (dir / "newer.rec").string()});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
}

// A kept run is checked as it is raced: one that does not start to replay
// is no ghost, one whose check fails ends its ghost there, and either costs
// one warning; one cut off races up to its end. The race goes on.
TEST(RecordsGhost, AKeptRunIsCheckedAsItIsRaced) {
  const std::string& best = KeptBestRun();
  const std::size_t check = best.find("\ncheck ") + 7;
  const struct {
    std::string run;
    int warnings;
    std::size_t rings;  // marker circles drawn, two a frame
  } cases[] = {
      {best.substr(0, best.size() / 2), 0, 400},           // cut off: still in the race
      {best.substr(0, best.size() - 2), 0, 400},           // cut inside its last number
      {"version 2" + best.substr(best.find('\n')), 1, 0},  // a newer format
      {best.substr(0, check) + "0" + best.substr(best.find(' ', check)), 1, 250},  // a check fails
  };
  std::string idle;
  for (int i = 0; i < 200; ++i) idle += "tick\n";
  for (const auto& c : cases) {
    const testing::ScratchDir dir("records-damaged");
    std::ofstream(dir / "best-course1-beginner.rec") << c.run;
    const testing::SimOutput out =
        testing::RunSimOn(idle, {"--draw-log", "--records", dir.path().string()});
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(std::count(out.err.begin(), out.err.end(), '\n'), c.warnings) << out.err;
    std::size_t rings = 0;
    for (std::size_t at = 0; (at = out.out.find("[\"ring\"", at)) != std::string::npos; ++at) {
      ++rings;
    }
    EXPECT_EQ(rings, c.rings) << c.run.substr(0, 40) << out.err;
  }
}

// A records folder that keeps nothing, or a file there the player cannot
// write: the race goes on, one line says why, the status is 1, and the
// player's file is left as it was.
TEST(RecordsGhost, RecordsThatCannotBeKeptAreOneLineAndStatus1) {
  const testing::ScratchDir scratch("records-lost");
  const std::string mine = "echo '# mine' >D/mine && chmod 444 D/mine && ";
  const struct {
    std::string setup, dir, says;
    const char* mine = "";  // the player's file, left as it was
  } cases[] = {
      {"touch D/plain", "D/plain", "the records' folder 'D/plain' is not a folder"},
      {"touch D/plain", "D/plain/sub", "is not a folder"},
      {mine + "mv D/mine D/records", "D", "the records are not kept: 'D/records' is read-only",
       "D/records"},
      {mine + "ln -s mine D/records", "D", "the records are not kept: 'D/mine' is read-only",
       "D/mine"},
      {mine + "ln -s mine D/best-course1-beginner.rec", "D", "the best run is not kept: 'D/mine'",
       "D/mine"},
      {"trap '' XFSZ; ulimit -f 8", "D", "the best run is not kept: cannot write"},  // a full disk
  };
  for (const auto& c : cases) {
    scratch.Clear();
    const testing::CommandResult r = testing::RunCommand(
        "cd '" + scratch.path().string() + "' && mkdir D && " + c.setup + " && exec " +
        QUORVEL_SIM_PATH + " --records " + c.dir + " <'" + QUORVEL_SOURCE_DIR +
        "/tests/recordings/course1-race.rec' 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 1) << c.setup;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    if (c.mine[0] != '\0') {
      EXPECT_EQ(ReadFile(scratch / c.mine), "# mine\n") << c.setup;
    }
  }
}

// Killed at any moment around the finish, the game leaves no record without
// its best run: the run is kept first.
TEST(RecordsGhost, AKillAroundTheFinishLeavesNoRecordWithoutItsRun) {
  // The race's script up to its finishing tick line, that line, and the
  // line shown last before it.
  const std::string race = Kept("course1-race.rec");
  std::string finish, last_shown;
  std::istringstream out(testing::RunSimOn(race).out);
  for (std::string line; finish.empty() && std::getline(out, line);) {
    (Field(line, "Lap") == "4" ? finish : last_shown) = Field(line, "line");
  }
  std::size_t cut = 0;
  for (int n = 1; n < std::stoi(finish); ++n) cut = race.find('\n', cut) + 1;
  const std::string before_finish = race.substr(0, cut),
                    finish_line = race.substr(cut, race.find('\n', cut) + 1 - cut);
  for (const int delay_us : {0, 500, 1000, 2000, 4000, 8000}) {
    const testing::ScratchDir dir("records-kill");
    int in[2], shown[2];
    ASSERT_EQ(pipe(in) | pipe(shown), 0);
    const pid_t sim = fork();
    if (sim == 0) {
      dup2(in[0], 0);
      dup2(shown[1], 1);
      execl(QUORVEL_SIM_PATH, "quorvel-sim", "--records", dir.path().c_str(), nullptr);
      _exit(127);
    }
    close(in[0]);
    close(shown[1]);
    ASSERT_EQ(write(in[1], before_finish.data(), before_finish.size()),
              ssize_t(before_finish.size()));
    std::string seen;
    char buf[4096];
    for (ssize_t n; seen.find("\"line\": " + last_shown + ",") == std::string::npos &&
                    (n = read(shown[0], buf, sizeof buf)) > 0;) {
      seen.append(buf, static_cast<std::size_t>(n));
    }
    ASSERT_GT(write(in[1], finish_line.data(), finish_line.size()), 0);
    usleep(delay_us);
    kill(sim, SIGKILL);
    waitpid(sim, nullptr, 0);
    close(in[1]);
    close(shown[0]);
    if (ReadFile(dir / "records").find("\n1 beginner ") == std::string::npos) continue;
    EXPECT_EQ(LastLine(ReadFile(dir / "best-course1-beginner.rec")).rfind("check ", 0), 0u)
        << delay_us;
  }
}

}  // namespace
}  // namespace quorvel
