#include "support/wav_reader.h"

#include <cstddef>

namespace quorvel {

namespace {

constexpr uint32_t kStreaming = 0xFFFFFFFF;  // length unknown: to the end of the stream
constexpr uint16_t kPcm = 1;

uint32_t Get32(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

uint16_t Get16(const std::string& b, std::size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}

}  // namespace

bool ReadWav(const std::string& b, WavSound& sound, std::string& error) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
    error = "not a RIFF/WAVE file";
    return false;
  }
  bool have_format = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const uint64_t size = Get32(b, at + 4);
    const std::size_t body = at + 8;
    if (id == "fmt ") {
      if (size < 16 || body + 16 > b.size()) break;
      if (Get16(b, body) != kPcm || Get16(b, body + 14) != 16) {
        error = "not 16-bit PCM";
        return false;
      }
      sound.channels = Get16(b, body + 2);
      sound.sample_rate = static_cast<int>(Get32(b, body + 4));
      sound.bits = 16;
      have_format = true;
    } else if (id == "data") {
      if (!have_format) break;
      const uint64_t bytes = size == kStreaming ? b.size() - body : size;
      if (body + bytes > b.size() || bytes % 2 != 0) {
        error = "the data chunk runs past the end";
        return false;
      }
      sound.samples.resize(bytes / 2);
      for (std::size_t i = 0; i < sound.samples.size(); ++i) {
        sound.samples[i] = static_cast<int16_t>(Get16(b, body + 2 * i));
      }
      return true;
    }
    // Chunks are padded to an even length.
    at = body + size + (size % 2);
  }
  error = "no fmt chunk before a data chunk";
  return false;
}

}  // namespace quorvel
