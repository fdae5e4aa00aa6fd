#include "app/race_records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "base/text.h"
#include "race/race_constants.h"

namespace quorvel {

namespace {

constexpr int32_t kCourse2 = 1;
constexpr int32_t kAdvancedCar = 4;

InputEvent TickWith(uint8_t keys, std::optional<JoyReading> joy) {
  InputEvent e = InputEvent::Of(InputEvent::kTick);
  e.keys = keys;
  e.joy = joy;
  return e;
}

InputEvent PollWith(uint32_t buttons) {
  InputEvent e = InputEvent::Of(InputEvent::kPoll);
  e.joy = JoyReading{kStickNeutral, kStickNeutral, buttons};
  return e;
}

}  // namespace

std::vector<InputEvent> RaceStartEvents(const RaceState& s) {
  // A start from the menu leaves a latch pressed: Enter's when Enter
  // confirmed it, button 1's when the button did.
  const bool by_button = !s.EnterLatch && s.JoyButtonLatch;
  const JoyReading button1{kStickNeutral, kStickNeutral, kJoyButton1};
  std::vector<InputEvent> events;
  if (by_button) {
    events.push_back(TickWith(0, button1));
  } else {
    events.push_back(
        TickWith(kTickEnter, s.JoyButtonLatch ? std::optional(button1) : std::nullopt));
  }
  // The cursor opens on course 1; moving along a row chooses.
  if (s.CourseChoice == kCourse2) events.push_back(InputEvent::Key(kVkRight));
  events.push_back(InputEvent::Key(kVkDown));
  if (s.CarChoice == kAdvancedCar) events.push_back(InputEvent::Key(kVkRight));
  events.push_back(InputEvent::Key(kVkDown));  // onto "キャンセル"
  events.push_back(InputEvent::Key(kVkLeft));  // onto "ゲームスタート"
  if (by_button) {
    events.push_back(PollWith(0));
    events.push_back(PollWith(kJoyButton1));
  } else {
    events.push_back(InputEvent::Key(kVkReturn));
  }
  return events;
}

std::string FinishText(const RaceTimes& times, const NewRecords& news) {
  constexpr const char* kNew = "（新記録）";
  return "ゴール " + SecondsText(times.race) + "秒" + (news.race ? kNew : "") + " ベストラップ " +
         SecondsText(times.best_lap()) + "秒" + (news.lap ? kNew : "");
}

Form1Notes FinishNotes(const RaceTimes& times, const NewRecords& news) {
  constexpr const char* kNew = "（新記録）";
  Form1Notes notes;
  notes.RaceTime = "タイム " + SecondsText(times.race) + "秒" + (news.race ? kNew : "");
  notes.BestLap = "ベストラップ " + SecondsText(times.best_lap()) + "秒" + (news.lap ? kNew : "");
  return notes;
}

std::string GapText(int32_t ticks) {
  return (ticks < 0 ? "-" : "+") + SecondsText(ticks < 0 ? -ticks : ticks);
}

RaceRecords::RaceRecords(Game& game, Platform& platform, RaceRecordsSetup setup)
    : game_(game), platform_(platform), setup_(std::move(setup)), lines_(game.s, setup_.header) {
  if (!setup_.dir.empty()) {
    std::vector<std::string> warnings;
    records_ = RecordsFile::Open(setup_.dir, warnings);
    for (const std::string& w : warnings) setup_.warn(w);
  }
}

RaceRecords::~RaceRecords() {
  StopGhost();
}

void RaceRecords::Before(const InputEvent& e, bool menu_open) {
  // After the finish the race stands still until the next start, which
  // drops whatever came meanwhile.
  if (!finished_) lines_.Before(e, menu_open);
}

void RaceRecords::AfterTick() {
  const std::optional<RaceTimes> finished = timing_.Observe(game_.s);
  if (timing_.started()) StartRace(!loaded_);
  loaded_ = true;
  if (finished) Finish(*finished);
  ShowSplit();
  ticks_before_ = game_.s.Ticks;
  // A kept run that stops fitting on the way (a check that fails) ends its
  // ghost there, with one warning.
  if (ghost_ != nullptr && !ghost_->error().empty()) {
    setup_.warn(ghost_name_ + " does not replay (" + ghost_->error() + "); its ghost stops there");
    StopGhost();
  }
}

void RaceRecords::StartRace(bool at_load) {
  finished_ = false;
  lines_.Restart();
  if (!at_load) {
    for (const InputEvent& e : RaceStartEvents(game_.s)) {
      lines_.Before(e, e.kind != InputEvent::kTick);
    }
  }
  platform_.SetStatusText("");
  notes_ = {};
  platform_.SetNotes(notes_);
  passed_.clear();
  StopGhost();
  if (setup_.ghost) StartGhost();
}

void RaceRecords::StopGhost() {
  if (game_.s.ghost == ghost_.get()) game_.s.ghost = nullptr;
  ghost_.reset();
  if (ghost_fd_ >= 0) close(ghost_fd_);
  ghost_fd_ = -1;
}

void RaceRecords::StartGhost() {
  const bool kept = setup_.ghost_path.empty();
  std::string path = setup_.ghost_path;
  if (kept) {
    const std::string name = BestRunFileName({game_.s.CourseChoice, game_.s.CarChoice});
    if (setup_.dir.empty() || name.empty()) return;
    path = setup_.dir + "/" + name;
  }
  ghost_name_ = (kept ? "the best run " : "the ghost ") + Quoted(path, kMaxQuotedPathChars);
  // Not blocking: a FIFO in its place never stops the game.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = errno;
    if (fd >= 0) close(fd);
    if (fd < 0 && (error == ENOENT || error == ENOTDIR) && kept) return;  // none kept
    setup_.warn("cannot read " + ghost_name_ + " (" +
                (fd < 0 ? std::strerror(error) : "not a recording (a regular file)") +
                "); racing without its ghost");
    return;
  }
  ghost_fd_ = fd;
  ghost_ = std::make_unique<Ghost>(RecordingReader(fd));
  if (!ghost_->error().empty()) {
    setup_.warn(ghost_name_ + " does not replay (" + ghost_->error() +
                "); racing without its ghost");
    StopGhost();
    return;
  }
  // A kept run is raced against only if it is a race of this course and
  // car: a file copied over it may be any recording.
  if (kept && (ghost_->CourseChoice() != game_.s.CourseChoice ||
               ghost_->CarChoice() != game_.s.CarChoice)) {
    setup_.warn(ghost_name_ + " is not a race of this course and car; racing without its ghost");
    StopGhost();
    return;
  }
  game_.s.ghost = ghost_.get();
}

void RaceRecords::Finish(const RaceTimes& times) {
  finished_ = true;
  const RecordKey key{game_.s.CourseChoice, game_.s.CarChoice};
  NewRecords news;
  if (records_ && IsRecordKey(key)) {
    std::vector<std::string> warnings;
    std::string error, run_error;
    const auto keep_run = [&](const NewRecords& merged) {
      if (merged.race) run_error = KeepBestRun(key);
    };
    // Nothing is kept where the records could not be read at the start:
    // that was said then.
    const bool saved =
        records_->usable() && records_->Update(key, times.race, times.best_lap(), setup_.today(),
                                               keep_run, news, warnings, error);
    for (const std::string& w : warnings) setup_.warn(w);
    if (!saved) {
      if (records_->usable()) {
        setup_.warn(std::string(run_error.empty() ? "the records are"
                                                  : "the records and the best run are") +
                    " not kept: " + error);
      }
      lost_ = true;
      news = {};  // nothing new was kept
    } else if (!run_error.empty()) {
      setup_.warn("the best run is not kept: " + run_error);
      lost_ = true;
    }
  }
  platform_.SetStatusText(FinishText(times, news));
  notes_ = FinishNotes(times, news);
  platform_.SetNotes(notes_);
  if ((news.race || news.lap) && setup_.new_record) setup_.new_record();
}

// At a gate the race passes for the first time in a lap, the gap to the
// ghost there, for 25 ticks (2 s).
void RaceRecords::ShowSplit() {
  constexpr int32_t kShownTicks = 25;
  // How far the ghost's race may be run on ahead of this one for a gate's
  // time: a gap longer than this is not shown (a minute of its race).
  constexpr int32_t kLongestLead = 750;
  const RaceState& s = game_.s;
  if (!notes_.Gap.empty() && s.Ticks >= gap_until_) {
    notes_.Gap.clear();
    platform_.SetNotes(notes_);
  }
  if (!setup_.splits || ghost_ == nullptr || s.Ticks < -1 || s.Lap == kFinishedLap ||
      !passed_.emplace(s.Lap, s.LastGate).second) {
    return;
  }
  // The race stands at a gate it had not reached in this lap: the clock of
  // the step that took it there, as the ghost's is taken.
  const int32_t step_tick = ticks_before_ + 1;
  const std::optional<int32_t> ghost = ghost_->TicksAt(s.Lap, s.LastGate, step_tick + kLongestLead);
  if (!ghost || passed_.size() == 1) return;  // the start's own gate is no split
  notes_.Gap = GapText(step_tick - *ghost);
  gap_until_ = s.Ticks + kShownTicks;
  platform_.SetNotes(notes_);
}

std::string RaceRecords::KeepBestRun(const RecordKey& key) {
  const std::string path = setup_.dir + "/" + BestRunFileName(key);
  // The race just played, from a fresh start of the game to this finish.
  const std::string text = lines_.text();
  std::string error;
  FileTarget place;
  if (text.empty()) {
    error = lines_.error();
  } else if (PrepareFileTarget(path, place, error) && !MayReplace(place, error)) {
    return error;  // the player's own file (or link's target): left as it is
  } else if (error.empty() && ReplaceFileAtomically(place, text, error)) {
    return {};
  }
  // The run kept before is no longer the record's: no ghost slower than the
  // record it stands for.
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    error += "; nor can the earlier one " + Quoted(path, kMaxQuotedPathChars) + " be removed (" +
             std::strerror(errno) + ")";
  }
  return error;
}

}  // namespace quorvel
