#include "platform/sdl/sdl_audio.h"

#include <dlfcn.h>

#include <cstring>
#include <utility>

namespace quorvel {

namespace {

void SayNothing(const char*, int, const char*, int, const char*, ...) {}

// ALSA's library prints its own lines on standard error when it finds no
// card; the game says why it is silent in one line of its own. Loaded here
// before SDL loads it, the library is the same one SDL then uses, and stays
// loaded until the audio closes. Nullptr where ALSA is not installed.
void* QuietAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (alsa == nullptr) return nullptr;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  void* set = dlsym(alsa, "snd_lib_error_set_handler");
  if (set != nullptr) {
    int (*set_handler)(Handler) = nullptr;
    std::memcpy(&set_handler, &set, sizeof set_handler);  // dlsym's object pointer as a function's
    set_handler(SayNothing);
  }
  return alsa;
}

}  // namespace

SdlAudio::SdlAudio(int volume, std::function<void(const std::string&)> warn)
    : warn_(std::move(warn)) {
  synth_.SetVolume(volume);
  synth_.SetSilenced(true);
}

SdlAudio::~SdlAudio() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (alsa_ != nullptr) dlclose(alsa_);
}

void SdlAudio::SetOn(bool on) {
  on_ = on;
  if (on && !tried_) Open();
  UpdateSilence();
}

void SdlAudio::SetPaused(bool paused) {
  paused_ = paused;
  UpdateSilence();
}

void SdlAudio::UpdateSilence() {
  silenced_.store(!on_ || paused_, std::memory_order_relaxed);
}

// Asked once: a device that cannot be had now is not asked for again at
// every unmute, nor said again.
void SdlAudio::Open() {
  tried_ = true;
  alsa_ = QuietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Lost(std::string("cannot start the audio (") + SDL_GetError() + "); playing without sound");
    return;
  }
  subsystem_ = true;
  SDL_AudioSpec want{};
  want.freq = kSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = kAudioPieceSamples;
  want.callback = Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the device takes.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    Lost(std::string("cannot open the audio device (") + SDL_GetError() +
         "); playing without sound");
    return;
  }
  SDL_PauseAudioDevice(device_, 0);
}

void SdlAudio::OnEvent(const SDL_Event& event) {
  if (event.type == SDL_AUDIODEVICEREMOVED && event.adevice.iscapture == 0 && device_ != 0 &&
      event.adevice.which == device_) {
    Lost("the audio device went away; playing on without sound");
  }
}

// The device stays open until the end: closing it waits for SDL's audio
// thread, and the game never waits on audio.
void SdlAudio::Lost(const std::string& why) {
  if (lost_) return;
  lost_ = true;
  if (warn_) warn_(why);
}

void SdlAudio::SetEngine(const EngineTarget& target) {
  Push(Command{std::nullopt, target});
}

void SdlAudio::StartCue(Cue cue) {
  Push(Command{cue, {}});
}

void SdlAudio::Push(const Command& c) {
  if (device_ == 0 || lost_) return;
  const uint32_t at = written_.load(std::memory_order_relaxed);
  if (at - read_.load(std::memory_order_acquire) >= kQueueSize) return;  // full: dropped
  queue_[at % kQueueSize] = c;
  written_.store(at + 1, std::memory_order_release);
}

// SDL's audio thread: what the game asked for since the last piece starts
// at this piece's first sample.
void SdlAudio::Callback(void* self, Uint8* stream, int len) {
  SdlAudio& a = *static_cast<SdlAudio*>(self);
  const uint32_t end = a.written_.load(std::memory_order_acquire);
  uint32_t at = a.read_.load(std::memory_order_relaxed);
  for (; at != end; ++at) {
    const Command& c = a.queue_[at % kQueueSize];
    if (c.cue) {
      a.synth_.StartCue(*c.cue);
    } else {
      a.synth_.SetEngine(c.engine);
    }
  }
  a.read_.store(at, std::memory_order_release);
  a.synth_.SetSilenced(a.silenced_.load(std::memory_order_relaxed));
  // SDL's buffer is allocated for samples of the format asked for.
  a.synth_.Render(reinterpret_cast<int16_t*>(stream), static_cast<std::size_t>(len) / 2);
}

}  // namespace quorvel
