#include "app/input_recorder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace quorvel {

namespace {

// The keys a tick line can name, in the order it names them.
struct TickKey {
  int vk;
  const char* name;
};
constexpr TickKey kTickKeys[] = {
    {kVkLeft, "left"}, {kVkRight, "right"}, {kVkUp, "up"}, {kVkDown, "down"}, {kVkReturn, "enter"}};

std::string JoyWords(const std::optional<JoyReading>& joy) {
  if (!joy) return "";
  return " joy " + std::to_string(joy->dwXpos) + " " + std::to_string(joy->dwYpos) + " " +
         std::to_string(joy->dwButtons);
}

}  // namespace

// The menu window as the real platform drives it, with each key-down and
// each timer poll written down before the menu acts on it.
class InputRecorder::RecordingMenu final : public MenuWindow {
 public:
  RecordingMenu(MenuWindow& inner, InputRecorder& recorder) : inner_(inner), rec_(recorder) {}
  void Form_Load() override { inner_.Form_Load(); }
  void Form_KeyDown(int16_t keycode) override {
    rec_.WriteKey(keycode);
    inner_.Form_KeyDown(keycode);
  }
  void Timer1_Timer() override {
    rec_.in_poll_ = true;
    rec_.joy_.reset();
    inner_.Timer1_Timer();
    rec_.in_poll_ = false;
    rec_.WritePoll();
  }
  bool Closed() const override { return inner_.Closed(); }
  MenuFrames Frames() const override { return inner_.Frames(); }

 private:
  MenuWindow& inner_;
  InputRecorder& rec_;
};

InputRecorder::InputRecorder(Platform& inner, int fd, const std::string& header,
                             std::function<void(const std::string& error)> failed)
    : ForwardingPlatform(inner), fd_(fd), failed_(std::move(failed)) {
  WriteLine("# " + header);
}

void InputRecorder::WriteLine(const std::string& line) {
  if (cut_ || !error_.empty()) return;
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

void InputRecorder::TickStarted() {
  in_tick_ = true;
  held_ = 0;
  joy_.reset();
}

void InputRecorder::TickEnded() {
  EndTickLine();
}

void InputRecorder::EndTickLine() {
  if (!in_tick_) return;
  in_tick_ = false;
  std::string line = "tick";
  for (std::size_t i = 0; i < std::size(kTickKeys); ++i) {
    if ((held_ & (1u << i)) != 0) line += std::string(" ") + kTickKeys[i].name;
  }
  WriteLine(line + JoyWords(joy_));
}

bool InputRecorder::KeyHeld(int vk) {
  const bool held = inner_.KeyHeld(vk);
  if (in_tick_ && held) {
    for (std::size_t i = 0; i < std::size(kTickKeys); ++i) {
      if (kTickKeys[i].vk == vk) held_ |= 1u << i;
    }
  }
  return held;
}

bool InputRecorder::JoyGetPos(JoyReading& out) {
  const bool ok = inner_.JoyGetPos(out);
  if (in_tick_ || in_poll_) {
    if (ok) {
      joy_ = out;
    } else {
      joy_.reset();
    }
  }
  return ok;
}

void InputRecorder::WriteKey(int16_t keycode) {
  const char* name = nullptr;
  switch (keycode) {
    case kVkEscape:
      name = "escape";
      break;
    case kVkLeft:
      name = "left";
      break;
    case kVkUp:
      name = "up";
      break;
    case kVkRight:
      name = "right";
      break;
    case kVkDown:
      name = "down";
      break;
    case kVkReturn:
      name = "enter";
      break;
    default:
      break;
  }
  // A script names codes 0 to 32767; the menu ignores every other code, so
  // leaving one out changes nothing.
  if (name == nullptr && keycode < 0) return;
  WriteLine(std::string("key ") + (name != nullptr ? name : std::to_string(keycode)));
}

void InputRecorder::WritePoll() {
  WriteLine("poll" + JoyWords(joy_));
}

void InputRecorder::ShowMenuModal(MenuWindow& menu) {
  EndTickLine();
  RecordingMenu recording(menu, *this);
  inner_.ShowMenuModal(recording);
  if (!menu.Closed()) cut_ = true;
}

void InputRecorder::UnloadGameWindow() {
  unloaded_ = true;
  inner_.UnloadGameWindow();
}

void InputRecorder::Sleep(int ms) {
  EndTickLine();
  inner_.Sleep(ms);
}

bool InputRecorder::Finish() {
  EndTickLine();
  if (!unloaded_) WriteLine("close");
  return error_.empty();
}

}  // namespace quorvel
