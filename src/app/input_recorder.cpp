#include "app/input_recorder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "app/input_script.h"

namespace quorvel {

InputRecorder::InputRecorder(int fd, const std::string& header,
                             std::function<void(const std::string& error)> failed)
    : fd_(fd), failed_(std::move(failed)) {
  WriteLine("# " + header);
}

void InputRecorder::WriteLine(const std::string& line) {
  if (closed_ || !error_.empty()) return;
  const std::string text = line + '\n';
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // The game goes on unrecorded.
      error_ = std::strerror(errno);
      if (failed_) failed_(error_);
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

std::optional<InputEvent> InputRecorder::Take(const InputEvent& live, bool menu_open) {
  const std::optional<InputEvent> e = LiveInput(live, menu_open);
  menu_open_ = menu_open;
  if (e && !(e->kind == InputEvent::kClose && menu_open)) WriteLine(FormatScriptLine(*e));
  if (e && e->kind == InputEvent::kClose) closed_ = true;
  return e;
}

bool InputRecorder::Finish(bool unloaded) {
  if (!unloaded && !menu_open_) WriteLine("close");
  closed_ = true;
  return error_.empty();
}

}  // namespace quorvel
