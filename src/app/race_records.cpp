#include "app/race_records.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "app/atomic_file.h"
#include "app/quoted_text.h"

namespace quorvel {

std::string TodayUtc() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char day[16];
  std::strftime(day, sizeof day, "%Y-%m-%d", &utc);
  return day;
}

namespace {
constexpr std::size_t kMaxRunBytes = 16 * 1024 * 1024;  // a race is some 30 to 100 KB
}  // namespace

ReadResult ReadBestRun(const std::string& path, std::string& text, std::string& why) {
  return ReadOwnFile(path, kMaxRunBytes, "not a recording (a regular file of at most 16 MB)", text,
                     why);
}

std::string FinishText(const RaceTimes& times, const NewRecords& news) {
  constexpr const char* kNew = "（新記録）";
  return "ゴール " + SecondsText(times.race) + "秒" + (news.race ? kNew : "") + " ベストラップ " +
         SecondsText(times.best_lap()) + "秒" + (news.lap ? kNew : "");
}

RaceRecords::RaceRecords(Game& game, Platform& platform, RaceRecordsSetup setup)
    : game_(game), platform_(platform), setup_(std::move(setup)), lines_(game.s) {
  if (!setup_.dir.empty()) {
    std::vector<std::string> warnings;
    records_ = RecordsFile::Open(setup_.dir, warnings);
    for (const std::string& w : warnings) setup_.warn(w);
  }
}

RaceRecords::~RaceRecords() {
  if (game_.s.ghost == ghost_.get()) game_.s.ghost = nullptr;
}

void RaceRecords::Take(const InputEvent& e, bool menu_open) {
  // After the finish the race stands still until the next start, which
  // drops whatever came meanwhile.
  if (!finished_) lines_.Take(e, menu_open);
}

void RaceRecords::AfterEvent() {
  const std::optional<RaceTimes> finished = timing_.Observe(game_.s);
  if (timing_.started()) StartRace(!loaded_);
  loaded_ = true;
  if (finished) Finish(*finished);
}

void RaceRecords::StartRace(bool at_load) {
  finished_ = false;
  lines_.StartRace(at_load);
  platform_.SetStatusText("");
  game_.s.ghost = nullptr;
  ghost_.reset();
  if (!setup_.ghost) return;
  std::string text, where;
  if (setup_.ghost_text) {
    text = *setup_.ghost_text;
  } else {
    const std::string name = BestRunFileName({game_.s.CourseChoice, game_.s.CarChoice});
    if (setup_.dir.empty() || name.empty()) return;
    const std::string path = setup_.dir + "/" + name;
    where = Quoted(path, kMaxQuotedPathChars);
    std::string why;
    switch (ReadBestRun(path, text, why)) {
      case ReadResult::kMissing:
        return;
      case ReadResult::kUnusable:
        setup_.warn("cannot read the best run " + where + " (" + why +
                    "); racing without its ghost");
        return;
      case ReadResult::kRead:
        break;
    }
  }
  std::string error;
  ghost_ = GhostRun::Load(text, error);
  if (ghost_ == nullptr) {
    setup_.warn("the best run " + where + " does not replay (" + error +
                "); racing without its ghost");
    return;
  }
  // A kept run (not one given as --ghost) is raced against only if it is a
  // whole race of this course and car: a file copied over it may be any
  // recording.
  const GhostRun::Ending& end = ghost_->ending();
  if (!setup_.ghost_text && (!end.finished || end.CourseChoice != game_.s.CourseChoice ||
                             end.CarChoice != game_.s.CarChoice)) {
    setup_.warn("the best run " + where +
                " is not a finished race of this course and car; racing without its ghost");
    ghost_.reset();
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
    std::string error;
    const bool saved =
        records_->Update(key, times.race, times.best_lap(), setup_.today(), news, warnings, error);
    for (const std::string& w : warnings) setup_.warn(w);
    if (!saved) {
      setup_.warn("the records are not kept: " + error);
      news = {};  // nothing new was kept
    }
    if (saved && news.race) KeepBestRun(key);
  }
  platform_.SetStatusText(FinishText(times, news));
}

void RaceRecords::KeepBestRun(const RecordKey& key) {
  const std::string path = setup_.dir + "/" + BestRunFileName(key);
  const std::string text = lines_.RecordingText(setup_.header);
  // Kept only if it plays to this very finish from a fresh start.
  std::string error;
  if (text.empty()) {
    error = "it is too long to keep";
  } else if (GhostRun::Load(text, error) == nullptr) {
    error = "it does not replay (" + error + ")";
  } else {
    FileTarget place;
    if (PrepareFileTarget(path, place, error) && ReplaceFileAtomically(place, text, error)) return;
  }
  setup_.warn("the best run is not kept: " + error);
  // The run kept before is no longer the record's: no ghost slower than the
  // record it stands for.
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    setup_.warn("the earlier best run " + Quoted(path, kMaxQuotedPathChars) +
                " cannot be removed (" + std::strerror(errno) + ")");
  }
}

}  // namespace quorvel
