// The effects mixer run offline: levels in hundredths of a decibel, pan,
// resampling to the device rate, adding onto the music already in the
// buffer, and voices stopping and rewinding at their end.
#include "runtime/sound/mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

SoundSamples Constant(uint32_t frames, uint16_t channels, uint32_t rate, int16_t value) {
  SoundSamples s;
  s.Frames = frames;
  s.Channels = channels;
  s.Rate = rate;
  s.Data.assign(size_t{frames} * channels, value);
  return s;
}

Voice PlayingVoice(const SoundSamples& samples, int32_t volume = 0, int32_t pan = 0) {
  Voice v;
  v.Samples = &samples;
  SetVoiceLevels(v, volume, pan);
  v.Playing = true;
  return v;
}

// Frames at the start of the buffer until the first silent one.
size_t SoundingFrames(const std::vector<int16_t>& stereo) {
  size_t n = 0;
  while (2 * n < stereo.size() && (stereo[2 * n] != 0 || stereo[2 * n + 1] != 0)) ++n;
  return n;
}

}  // namespace

TEST(Mixer, FullVolumeCopiesAndHalfVolumeIsMinusFiftyDecibels) {
  const SoundSamples s = Constant(1000, 1, 44100, 30000);
  // Volume 1 and 0.5 as the commands send them: 0 and -5000.
  Voice full = PlayingVoice(s, 0);
  std::vector<int16_t> out(2 * 100, 0);
  MixVoices(&full, 1, out.data(), 100, 44100);
  for (int16_t v : out) ASSERT_EQ(v, 30000);

  Voice half = PlayingVoice(s, -5000);
  std::fill(out.begin(), out.end(), 0);
  MixVoices(&half, 1, out.data(), 100, 44100);
  const int expected = static_cast<int>(std::lround(30000 * std::pow(10.0, -2.5)));  // 95
  for (int16_t v : out) ASSERT_EQ(v, expected);
}

TEST(Mixer, PanAttenuatesOnlyTheFarChannel) {
  const SoundSamples s = Constant(1000, 1, 44100, 30000);
  Voice right = PlayingVoice(s, 0, kPanRight);
  EXPECT_FLOAT_EQ(right.GainRight, 1.0f);
  EXPECT_NEAR(right.GainLeft, 1e-5, 1e-9);  // -100 dB
  std::vector<int16_t> out(2 * 64, 0);
  MixVoices(&right, 1, out.data(), 64, 44100);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 30000);

  Voice left = PlayingVoice(s, -600, -2000);  // -6 dB overall, right a further -20 dB
  EXPECT_NEAR(left.GainLeft, LevelToGain(-600), 1e-6);
  EXPECT_NEAR(left.GainRight, LevelToGain(-2600), 1e-7);

  // Out-of-range levels are held to the ends of the scale.
  Voice wild = PlayingVoice(s, 5000, -99999);
  EXPECT_FLOAT_EQ(wild.GainLeft, 1.0f);
  EXPECT_NEAR(wild.GainRight, 1e-5, 1e-9);
}

TEST(Mixer, StereoVoicesKeepTheirChannels) {
  SoundSamples s = Constant(10, 2, 22050, 0);
  for (uint32_t i = 0; i < 10; ++i) {
    s.Data[2 * i] = 1000;
    s.Data[2 * i + 1] = -3000;
  }
  Voice v = PlayingVoice(s);
  std::vector<int16_t> out(2 * 10, 0);
  MixVoices(&v, 1, out.data(), 10, 22050);
  EXPECT_EQ(out[0], 1000);
  EXPECT_EQ(out[1], -3000);
  EXPECT_EQ(out[18], 1000);
  EXPECT_EQ(out[19], -3000);
  EXPECT_FALSE(v.Playing);
}

TEST(Mixer, EachVoiceLastsItsTrueDurationAtAnyDeviceRate) {
  // 1,103 frames at 11,025 per second: 0.1 s whatever the device rate.
  const SoundSamples s = Constant(1103, 1, 11025, 18432);
  struct Expect {
    uint32_t rate;
    size_t frames;
  };
  for (Expect e : {Expect{44100, 4412}, Expect{22050, 2206}, Expect{48000, 4803},
                   Expect{11025, 1103}, Expect{8000, 801}}) {
    Voice v = PlayingVoice(s);
    std::vector<int16_t> out(2 * 6000, 0);
    // In uneven pieces, as a device hands out its buffers.
    size_t done = 0;
    for (size_t piece : {1u, 255u, 256u, 257u, 1000u, 4231u}) {
      MixVoices(&v, 1, out.data() + 2 * done, piece, e.rate);
      done += piece;
    }
    EXPECT_EQ(SoundingFrames(out), e.frames) << e.rate;
    EXPECT_FALSE(v.Playing) << e.rate;
    EXPECT_EQ(v.Position, 0u) << e.rate;  // rewound for the next start
  }
}

TEST(Mixer, ResamplingInterpolatesBetweenSamples) {
  SoundSamples s = Constant(3, 1, 11025, 0);
  s.Data = {0, 4000, 8000};
  Voice v = PlayingVoice(s);
  std::vector<int16_t> out(2 * 16, 0);
  MixVoices(&v, 1, out.data(), 16, 44100);
  const int16_t left[] = {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 8000, 8000, 8000, 0};
  for (size_t i = 0; i < std::size(left); ++i) EXPECT_EQ(out[2 * i], left[i]) << i;
}

TEST(Mixer, VoicesAddOntoTheBufferAndClip) {
  const SoundSamples loud = Constant(100, 1, 44100, 20000);
  const SoundSamples quiet = Constant(100, 1, 44100, -500);
  Voice voices[3] = {PlayingVoice(loud), PlayingVoice(loud), PlayingVoice(quiet)};
  voices[1].Playing = false;  // stopped voices add nothing
  std::vector<int16_t> out(2 * 4, 0);
  out[0] = 1000;  // music already in the buffer
  out[2] = 20000;
  out[3] = -32000;
  MixVoices(voices, 3, out.data(), 4, 44100);
  EXPECT_EQ(out[0], 20500);
  EXPECT_EQ(out[1], 19500);
  EXPECT_EQ(out[2], 32767);  // 20000 + 19500 clips
  EXPECT_EQ(out[3], -12500);

  voices[0].Playing = voices[2].Playing = false;
  std::vector<int16_t> untouched = {7, -7, 7, -7};
  MixVoices(voices, 3, untouched.data(), 2, 44100);
  EXPECT_EQ(untouched, (std::vector<int16_t>{7, -7, 7, -7}));
}
