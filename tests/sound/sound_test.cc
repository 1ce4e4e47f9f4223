// The sound commands over their slots: loading, the voice rotation, the
// single-voice rule, stopping, slot numbers, a missing device, and playback
// through the real (dummy) audio device. Most tests run the device offline
// and pull its output, so that voices advance only when the test says so.
#include "runtime/sound/sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "tests/sound/wav_bytes.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

using wavtest::WavShape;

namespace {

// A mono 16-bit sound file of `frames` frames; returns its path.
std::string WriteSound(const std::string& name, uint32_t frames, uint32_t rate = 44100) {
  WavShape shape;
  shape.Rate = rate;
  shape.Samples = wavtest::Ramp16(frames);
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  return path;
}

std::vector<int16_t> Pull(int32_t frames) {
  std::vector<int16_t> out(2 * static_cast<size_t>(frames), 0);
  MixSoundOutput(out.data(), frames);
  return out;
}

class OfflineSound : public ::testing::Test {
 protected:
  void SetUp() override { OpenSoundDeviceOffline(44100); }
  void TearDown() override { CloseSoundDevice(); }
};

}  // namespace

TEST_F(OfflineSound, ThreeVoicesRotateAndTheFourthPlayCutsTheFirst) {
  const std::string path = WriteSound("long.wav", 44100);
  ASSERT_EQ(LoadSound(path.c_str(), 5, 3), 1);
  EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 0);
  Pull(1000);
  EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 1);
  Pull(100);
  EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 2);
  Pull(10);
  EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 0);
  for (int v = 0; v < 3; ++v) EXPECT_EQ(SoundPlaying(5 * 256 + v), 1) << v;
  // Each ramp sample tells its position: voice 0 is back at its first frame
  // while voices 1 and 2 play on at frames 110 and 10.
  EXPECT_EQ(Pull(1)[0], 1 + 111 + 11);
}

TEST_F(OfflineSound, AFinishedVoiceIsTakenAgainBeforeTheNext) {
  const std::string path = WriteSound("short.wav", 100);
  ASSERT_EQ(LoadSound(path.c_str(), 0, 2), 1);
  EXPECT_EQ(PlaySound(0, 0, 1), 0);
  Pull(200);
  EXPECT_EQ(SoundPlaying(0), 0);
  EXPECT_EQ(PlaySound(0, 0, 1), 0);
  EXPECT_EQ(Pull(1)[0], 1);  // from the start, not where it ended
}

TEST_F(OfflineSound, APlayingSingleVoiceSoundIsNotRestarted) {
  const std::string path = WriteSound("single.wav", 1000);
  ASSERT_EQ(LoadSound(path.c_str(), 1, 1), 1);
  EXPECT_EQ(PlaySound(1, 0, 1), 256);
  Pull(10);
  EXPECT_EQ(PlaySound(1, 0, 1), -1);
  EXPECT_EQ(SoundPlaying(-1), 0);
  EXPECT_EQ(SoundPlaying(256), 1);
  EXPECT_EQ(Pull(1)[0], 11);  // the first play went on undisturbed
}

TEST_F(OfflineSound, VoiceCountsAreClampedToOneToFour) {
  const std::string path = WriteSound("clamp.wav", 44100);
  ASSERT_EQ(LoadSound(path.c_str(), 2, 9), 1);
  for (int expected : {0, 1, 2, 3, 0}) EXPECT_EQ(PlaySound(2, 0, 1), 2 * 256 + expected);
  EXPECT_EQ(SoundPlaying(2 * 256 + 4), 0);

  ASSERT_EQ(LoadSound(path.c_str(), 3, 0), 1);
  EXPECT_EQ(PlaySound(3, 0, 1), 3 * 256);
  EXPECT_EQ(PlaySound(3, 0, 1), -1);
  EXPECT_EQ(SoundPlaying(3 * 256 + 1), 0);
}

TEST_F(OfflineSound, StopAllSoundsStopsAndRewindsEveryVoice) {
  const std::string path = WriteSound("stop.wav", 5000);
  ASSERT_EQ(LoadSound(path.c_str(), 0, 2), 1);
  ASSERT_EQ(LoadSound(path.c_str(), 127, 1), 1);
  PlaySound(0, 0, 1);
  PlaySound(0, 0, 1);
  PlaySound(127, 0, 1);
  Pull(300);
  StopAllSounds();
  EXPECT_EQ(SoundPlaying(0), 0);
  EXPECT_EQ(SoundPlaying(1), 0);
  EXPECT_EQ(SoundPlaying(127 * 256), 0);
  EXPECT_EQ(Pull(10), std::vector<int16_t>(20, 0));

  // NextVoice stays at 1: that voice starts again, from its first sample.
  EXPECT_EQ(PlaySound(0, 0, 1), 1);
  EXPECT_EQ(PlaySound(127, 0, 1), 127 * 256);
  EXPECT_EQ(Pull(1)[0], 2);
}

TEST_F(OfflineSound, VolumeAndPanReachTheVoice) {
  WavShape shape;
  shape.Rate = 44100;
  shape.Samples = wavtest::Constant16(1000, 1, 20000);
  const std::string path = testenv::TempDir() + "/level.wav";
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  ASSERT_EQ(LoadSound(path.c_str(), 9, 4), 1);

  PlaySound(9, 0, 0.5);  // -50 dB: 20000 * 10^-2.5
  std::vector<int16_t> out = Pull(1);
  EXPECT_EQ(out[0], 63);
  EXPECT_EQ(out[1], 63);
  StopAllSounds();

  PlaySound(9, 5, 2);  // held to fully right at full volume
  out = Pull(1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 20000);
  StopAllSounds();

  PlaySound(9, -1, std::numeric_limits<double>::infinity());
  out = Pull(1);
  EXPECT_EQ(out[0], 20000);
  EXPECT_EQ(out[1], 0);
  StopAllSounds();

  PlaySound(9, std::nan(""), std::nan(""));  // NaN plays silently, centred
  EXPECT_EQ(Pull(1), std::vector<int16_t>(2, 0));
}

TEST_F(OfflineSound, AnElevenKilohertzEightBitSoundLastsItsTrueDuration) {
  WavShape shape;
  shape.Bits = 8;
  shape.Rate = 11025;
  shape.Samples = std::string(1103, '\xC8');
  const std::string path = testenv::TempDir() + "/slow.wav";
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  ASSERT_EQ(LoadSound(path.c_str(), 4, 1), 1);
  ASSERT_EQ(PlaySound(4, 0, 1), 4 * 256);
  const std::vector<int16_t> out = Pull(6000);
  size_t sounding = 0;
  while (sounding < 6000 && out[2 * sounding] == 18432) ++sounding;
  EXPECT_EQ(sounding, 4412u);  // 1103 frames * 44100 / 11025
  EXPECT_EQ(out[2 * 4412], 0);
  EXPECT_EQ(SoundPlaying(4 * 256), 0);
}

TEST_F(OfflineSound, FailedLoadsLeaveTheSlotEmpty) {
  const std::string good = WriteSound("good.wav", 1000);
  const std::string bad = testenv::TempDir() + "/bad.wav";
  testenv::WriteFile(bad, "RIFF\x04\x00\x00\x00WAVEfmt ");
  for (const std::string& path : {bad, testenv::TempDir() + "/missing.wav", std::string()}) {
    ASSERT_EQ(LoadSound(good.c_str(), 6, 2), 1);
    EXPECT_EQ(PlaySound(6, 0, 1), 6 * 256);
    EXPECT_EQ(LoadSound(path.c_str(), 6, 2), 0) << path;
    EXPECT_EQ(SoundPlaying(6 * 256), 0) << path;  // the old sound was stopped
    EXPECT_EQ(PlaySound(6, 0, 1), -1) << path;
    EXPECT_EQ(Pull(4), std::vector<int16_t>(8, 0));
  }
}

TEST_F(OfflineSound, SlotNumbersAbove127UseSlot127) {
  const std::string path = WriteSound("high.wav", 1000);
  ASSERT_EQ(LoadSound(path.c_str(), 100000, 1), 1);
  EXPECT_EQ(PlaySound(127, 0, 1), 127 * 256);
  StopAllSounds();
  EXPECT_EQ(PlaySound(500, 0, 1), 127 * 256);
  EXPECT_EQ(SoundPlaying(128 * 256), 0);
  EXPECT_EQ(PlaySound(126, 0, 1), -1);
}

TEST_F(OfflineSound, ReloadingReplacesTheSound) {
  const std::string first = WriteSound("first.wav", 1000);
  WavShape shape;
  shape.Rate = 44100;
  shape.Samples = wavtest::Constant16(10, 1, -7);
  const std::string second = testenv::TempDir() + "/second.wav";
  testenv::WriteFile(second, wavtest::MakeWav(shape));
  ASSERT_EQ(LoadSound(first.c_str(), 8, 1), 1);
  PlaySound(8, 0, 1);
  ASSERT_EQ(LoadSound(second.c_str(), 8, 1), 1);
  EXPECT_EQ(SoundPlaying(8 * 256), 0);
  PlaySound(8, 0, 1);
  EXPECT_EQ(Pull(1)[0], -7);
}

TEST(SoundSlots, NegativeSlotNumbersAreRuntimeError7) {
  OpenSoundDeviceOffline(44100);
  EXPECT_PROGRAM_END(LoadSound("x.wav", -1, 1));
  EXPECT_NE(testenv::ReadErrorLog().find("Runtime error 7"), std::string::npos);
  EXPECT_PROGRAM_END(PlaySound(-2, 0, 1));
}

TEST(SoundDevice, WithoutADeviceEveryCommandDoesNothing) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  CreateSoundDevice();
  OpenSoundDevice();
  EXPECT_EQ(SoundDeviceRate(), 0);
  EXPECT_FALSE(SoundMixerOpen());
  const std::string path = WriteSound("quiet.wav", 1000);
  EXPECT_EQ(LoadSound(path.c_str(), 0, 4), 0);
  EXPECT_EQ(PlaySound(0, 0, 1), -1);
  EXPECT_EQ(SoundPlaying(0), 0);
  StopAllSounds();
  std::vector<int16_t> out = {3, 3};
  MixSoundOutput(out.data(), 1);
  EXPECT_EQ(out, (std::vector<int16_t>{3, 3}));
  EXPECT_PROGRAM_END(EndProgram());
}

TEST(SoundDevice, TheAudioDevicePlaysVoicesToTheirEnd) {
  CreateSoundDevice();
  OpenSoundDevice();
  ASSERT_EQ(SoundDeviceRate(), 44100);
  ASSERT_TRUE(SoundMixerOpen());
  const std::string path = WriteSound("device.wav", 4410);  // 0.1 s
  ASSERT_EQ(LoadSound(path.c_str(), 10, 2), 1);
  ASSERT_EQ(PlaySound(10, 0, 1), 10 * 256);
  EXPECT_EQ(SoundPlaying(10 * 256), 1);
  const double start = NowMs();
  while (SoundPlaying(10 * 256) == 1 && NowMs() - start < 5000) SleepWholeMs(10);
  EXPECT_EQ(SoundPlaying(10 * 256), 0);
  EXPECT_GE(NowMs() - start, 50);  // played in real time, not skipped
  // Ending the program with the device open releases it and exits cleanly.
  PlaySound(10, 0, 1);
  EXPECT_PROGRAM_END(EndProgram());
}
