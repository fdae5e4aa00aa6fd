// WAV files written, read back and failing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sound/wav_file.h"
#include "support/wav_reader.h"

namespace quorvel {
namespace {

const std::vector<int16_t> kSamples = {0, 1, -1, 32767, -32768, 258};

void Written(FILE* file) {
  WavWriter wav;
  EXPECT_TRUE(wav.Start(file) && wav.Write(kSamples.data(), kSamples.size()) && wav.Finish())
      << wav.error();
}

TEST(WavFile, ReadsBackWithTheLengthsInTheHeader) {
  FILE* file = std::tmpfile();
  Written(file);
  std::string bytes(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
  ASSERT_EQ(bytes.size(), 44 + 2 * kSamples.size());
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x30\0\0\0", 4)) << "RIFF length: 36 + data";
  EXPECT_EQ(bytes.substr(40, 4), std::string("\x0c\0\0\0", 4)) << "data length";
  EXPECT_EQ(bytes.substr(54, 2), std::string("\x02\x01", 2)) << "little-endian";
  WavSound sound;
  std::string error;
  ASSERT_TRUE(ReadWav(bytes, sound, error)) << error;
  EXPECT_EQ(sound.sample_rate, 48000);
  EXPECT_EQ(sound.channels, 1);
  EXPECT_EQ(sound.samples, kSamples);
}

TEST(WavFile, APipeKeepsTheStreamingLengths) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  FILE* in = fdopen(fds[1], "w");
  Written(in);  // fits in the pipe's buffer
  std::fclose(in);
  std::string bytes(1024, '\0');
  bytes.resize(static_cast<std::size_t>(read(fds[0], bytes.data(), bytes.size())));
  close(fds[0]);
  WavSound sound;
  std::string error;
  ASSERT_TRUE(ReadWav(bytes, sound, error)) << error;
  EXPECT_EQ(sound.samples, kSamples);
}

TEST(WavFile, AFailedWriteIsReported) {
  FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  WavWriter wav;
  const std::vector<int16_t> second(48000);
  const bool written = wav.Start(full) && wav.Write(second.data(), second.size()) && wav.Finish();
  std::fclose(full);
  EXPECT_FALSE(written);
  EXPECT_NE(wav.error().find("No space left"), std::string::npos) << wav.error();
}

}  // namespace
}  // namespace quorvel
