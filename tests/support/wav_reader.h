// Reading back the WAV files the sound writes, for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// A WAV file's PCM samples, as read back.
struct WavSound {
  int sample_rate = 0;  // samples per second
  int channels = 0;
  int bits = 0;                  // per sample
  std::vector<int16_t> samples;  // interleaved when channels > 1
};

// Reads the RIFF/WAVE bytes of 16-bit PCM (a data length of 0xFFFFFFFF
// runs to the end). False, with `error` saying why, for anything else.
bool ReadWav(const std::string& bytes, WavSound& sound, std::string& error);

}  // namespace quorvel
