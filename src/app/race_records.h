// What a live race keeps and shows beyond the race view: the times at the
// finish (in the window's title), the records file, the kept best run of
// each course and car, and that run raced against as a ghost. A tap: it
// watches the game's input before each event and the game after each tick;
// the race itself runs exactly as without it. A replay has none of this.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/ghost.h"
#include "app/recording.h"
#include "app/records_file.h"
#include "base/own_files.h"
#include "platform/platform.h"
#include "race/game.h"
#include "race/race_timing.h"

namespace quorvel {

struct RaceRecordsSetup {
  std::string dir;  // the records' folder; empty: none are read or kept
  bool ghost = true;
  // While racing a ghost, the gap to it at each gate the race passes, shown
  // for some two seconds.
  bool splits = true;
  // A recording to race against in place of the kept best runs (quorvel-sim
  // --ghost); empty: the kept ones.
  std::string ghost_path;
  std::string header;  // comment line of a kept run
  std::function<std::string()> today = [] { return UtcStamp("%Y-%m-%d"); };
  std::function<void(const std::string&)> warn;  // one line, no prefix
  // Told right after the tick that finished a race with a new record (its
  // race time or best lap) that was kept; nothing: no one listens.
  std::function<void()> new_record;
};

class RaceRecords final : public InputTap {
 public:
  // Reads the records in `setup.dir` (warnings through setup.warn).
  RaceRecords(Game& game, Platform& platform, RaceRecordsSetup setup);
  ~RaceRecords() override;
  RaceRecords(const RaceRecords&) = delete;
  RaceRecords& operator=(const RaceRecords&) = delete;

  void Before(const InputEvent& e, bool menu_open) override;
  // A race started, or finished.
  void AfterTick() override;

  // Whether a record or best run could not be kept (or no records could be
  // read at all): said in one warning as it happened.
  bool lost() const { return lost_ || (records_ && !records_->usable()); }

 private:
  void StartRace(bool at_load);
  void StartGhost();
  void StopGhost();
  void Finish(const RaceTimes& times);
  void ShowSplit();
  // Keeps the race just finished as the best run of `key`: "" when kept,
  // else why not (and the earlier run is removed, as no longer the
  // record's).
  std::string KeepBestRun(const RecordKey& key);

  Game& game_;
  Platform& platform_;
  RaceRecordsSetup setup_;
  std::optional<RecordsFile> records_;
  RaceTiming timing_;
  // The race's input from its start, as a recording that plays from a fresh
  // start of the game to the finish.
  RecordingWriter lines_;
  int ghost_fd_ = -1;
  std::string ghost_name_;  // quoted, for warnings
  std::unique_ptr<Ghost> ghost_;
  Form1Notes notes_;  // shown over the race
  // The laps and gates the race has passed, and the clock before this tick.
  std::set<std::pair<int32_t, int32_t>> passed_;
  int32_t ticks_before_ = 0;
  int32_t gap_until_ = 0;  // the race's clock at which the gap shown goes
  bool loaded_ = false;    // the load's race has been seen
  bool finished_ = false;  // the race has reached the finish
  bool lost_ = false;      // a record or best run was not kept
};

// The events that take a freshly loaded game (course 1, beginner car, menu
// cursor on course 1) through the menu to the start of a race of `s`'s
// course and car, leaving the two press latches as `s` has them, so that the
// race's own input plays on as it did.
std::vector<InputEvent> RaceStartEvents(const RaceState& s);

// The line shown at the finish: "ゴール 52.16秒（新記録） ベストラップ
// 17.04秒", with "（新記録）" after each time that is a new record.
std::string FinishText(const RaceTimes& times, const NewRecords& news);

// The result shown over the race at the finish: "タイム 52.16秒（新記録）"
// and "ベストラップ 17.04秒".
Form1Notes FinishNotes(const RaceTimes& times, const NewRecords& news);

// The gap of a race `ticks` behind another (ahead when negative), in
// seconds to the hundredth with its sign: "+0.56", "-1.24".
std::string GapText(int32_t ticks);

}  // namespace quorvel
