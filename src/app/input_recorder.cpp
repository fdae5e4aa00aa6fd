#include "app/input_recorder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "app/input_script.h"

namespace quorvel {

InputRecorder::InputRecorder(int fd, const RaceState& race, const std::string& header,
                             std::function<void(const std::string& error)> failed)
    : fd_(fd), race_(race), failed_(std::move(failed)) {
  struct stat st {};
  if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
    regular_ = true;
    whole_ = lseek(fd_, 0, SEEK_CUR);
  }
  WriteLine("version " + std::to_string(kRecordingFormat));
  WriteLine("# " + header);
}

void InputRecorder::WriteLine(const std::string& line) {
  if (closed_ || !error_.empty()) return;
  const std::string text = line + '\n';
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The game goes on unrecorded. A part of the line that did get
      // written (a full disk) is taken back, so the recording still ends
      // with a whole line and replays up to it.
      error_ = std::strerror(n < 0 ? errno : ENOSPC);
      if (done > 0 && regular_ && ftruncate(fd_, whole_) == 0) lseek(fd_, whole_, SEEK_SET);
      if (failed_) failed_(error_);
      return;
    }
    done += static_cast<std::size_t>(n);
  }
  whole_ += static_cast<off_t>(text.size());
}

void InputRecorder::WriteCheckIfDue(bool at_end) {
  if (ticks_unchecked_ == 0) return;
  if (!at_end && ticks_unchecked_ < kTicksPerCheck) return;
  WriteLine(FormatCheckLine(RaceCheck::Of(race_)));
  ticks_unchecked_ = 0;
}

std::optional<InputEvent> InputRecorder::Take(const InputEvent& live, bool menu_open) {
  const std::optional<InputEvent> e = LiveInput(live, menu_open);
  menu_open_ = menu_open;
  if (!e) return e;
  if (e->kind == InputEvent::kClose && menu_open) {
    closed_ = true;
    return e;
  }
  // The recorder sees each event before the game takes it: the check of the
  // state after the last tick (and the menu visit it may have started) goes
  // before the next line that is read with the menu closed.
  if (!menu_open) WriteCheckIfDue(e->kind == InputEvent::kClose);
  WriteLine(FormatScriptLine(*e));
  if (e->kind == InputEvent::kTick) ++ticks_unchecked_;
  if (e->kind == InputEvent::kClose) closed_ = true;
  return e;
}

bool InputRecorder::Finish(bool unloaded) {
  if (!unloaded && !menu_open_) {
    WriteCheckIfDue(true);
    WriteLine("close");
  }
  closed_ = true;
  return error_.empty();
}

}  // namespace quorvel
