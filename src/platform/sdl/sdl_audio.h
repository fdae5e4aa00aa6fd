// The game's sound on SDL's audio: a SoundSynth rendered in SDL's audio
// callback on the default output device. The game's thread hands it what to
// play through a lock-free queue and never waits on the audio thread: a
// full queue drops the command (the engine's target comes again every
// tick), and the device is never locked. No device, or one that fails or
// goes away, leaves the game silent, with one warning at most.
#pragma once

#include <SDL.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sound/sound_commands.h"
#include "sound/sound_synth.h"

namespace quorvel {

// 48 kHz mono 16-bit in pieces of 512 samples: 10.7 ms. A command waits at
// most one piece for the callback, and a device that holds two pieces
// still plays it within the 30 ms a tick's sound may lag its tick (1,024
// would be 21 ms a piece, 43 ms with two).
constexpr int kAudioPieceSamples = 512;

class SdlAudio final : public SoundCommands {
 public:
  // Nothing is opened until the sound is first switched on. `volume` is
  // 0..100; `warn` takes the one line (no prefix, no newline) should the
  // device not open, fail or go away.
  SdlAudio(int volume, std::function<void(const std::string&)> warn);
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  // On opens the default device the first time; off (the player's mute)
  // fades the sound out in 20 ms and keeps the device.
  void SetOn(bool on);
  bool on() const { return on_; }
  // Paused (the game minimised or in the background): faded out like a
  // mute, and back when the race goes on.
  void SetPaused(bool paused);
  // SDL's events about audio devices: ours removed (unplugged, its server
  // gone) leaves the game silent.
  void OnEvent(const SDL_Event& event);
  // Whether a device is open and playing.
  bool playing() const { return device_ != 0 && !lost_; }

  // SoundCommands, played from the next piece the device asks for.
  void SetEngine(const EngineTarget& target) override;
  void StartCue(Cue cue) override;

 private:
  struct Command {
    std::optional<Cue> cue;  // none: the engine's target
    EngineTarget engine;
  };
  static void Callback(void* self, Uint8* stream, int len);
  void Open();
  void Push(const Command& c);
  void Lost(const std::string& why);
  void UpdateSilence();

  std::function<void(const std::string&)> warn_;
  bool on_ = false;
  bool paused_ = false;
  bool tried_ = false;  // the device has been asked for once: never again
  bool subsystem_ = false;
  void* alsa_ = nullptr;  // ALSA's library, quietened (QuietAlsa)
  SDL_AudioDeviceID device_ = 0;
  bool lost_ = false;  // the device failed or went away: silent from then on

  // Written by the game's thread, read by the audio thread.
  static constexpr uint32_t kQueueSize = 256;  // a tick sends three or four
  std::array<Command, kQueueSize> queue_{};
  std::atomic<uint32_t> written_{0};
  std::atomic<uint32_t> read_{0};
  std::atomic<bool> silenced_{true};

  // The audio thread's alone once the device is open.
  SoundSynth synth_;
};

}  // namespace quorvel
