// A sound device lost during play, on the (dummy) audio device: SDL's removal
// event, delivered through the window's message pump, closes the device; the
// game goes on silently; tries to open it again come once a second; and on
// its return the loaded effects and the music go on. One log line each way.
#include "runtime/sound/device_loss.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "tests/sound/wav_bytes.h"
#include "tests/support/test_env.h"

namespace {

std::string WriteSound(const std::string& name, uint32_t frames, uint32_t rate) {
  wavtest::WavShape shape;
  shape.Rate = rate;
  shape.Samples = wavtest::Constant16(frames, 1, 3000);
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  return path;
}

void PushRemoved(uint32_t which, uint8_t capture = 0) {
  SDL_Event event{};
  event.type = SDL_AUDIODEVICEREMOVED;
  event.adevice.which = which;
  event.adevice.iscapture = capture;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  PumpWindowMessages();
}

int g_tries = 0;
int g_failures = 0;  // tries that fail before the device is found again

bool CountingOpener() {
  ++g_tries;
  return g_tries > g_failures && ReopenSoundDevice();
}

bool WaitUntil(bool (*done)(), double ms) {
  const double start = NowMs();
  while (!done()) {
    if (NowMs() - start > ms) return false;
    SleepWholeMs(10);
  }
  return true;
}

class DeviceLoss : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateSoundDevice();
    OpenSoundDevice();
    ASSERT_TRUE(SoundMixerOpen());
    DeleteErrorLog();
    g_tries = 0;
    g_failures = 0;
  }
  void TearDown() override {
    SetSoundDeviceOpener(nullptr);
    CloseSoundDevice();
  }
};

TEST_F(DeviceLoss, SilentWhileAwayRetriedOnceASecondAndBackWithItsSounds) {
  const std::string blip = WriteSound("blip.wav", 1100, 22050);  // 50 ms
  ASSERT_EQ(LoadSound(RtString(blip.c_str()), 3, 1), 1);
  ASSERT_EQ(PlaySound(3, 0, 1), 3 * 256);

  // Removals of devices nobody opened, and of microphones, are not ours.
  PushRemoved(0);
  PushRemoved(7, 1);
  EXPECT_FALSE(SoundDeviceAway());
  EXPECT_EQ(testenv::ReadErrorLog(), "");

  PushRemoved(2);
  const double lostAt = NowMs();
  EXPECT_TRUE(SoundDeviceAway());
  EXPECT_FALSE(SoundMixerOpen());
  // The game goes on: nothing plays, loading still works, the rate stays.
  EXPECT_EQ(SoundPlaying(3 * 256), 0);
  EXPECT_EQ(PlaySound(3, 0, 1), -1);
  ASSERT_EQ(LoadSound(RtString(blip.c_str()), 4, 2), 1);
  EXPECT_EQ(SoundDeviceRate(), 44100);
  PushRemoved(2);  // a second report of the same loss

  SetSoundDeviceOpener(CountingOpener);
  g_failures = 3;
  SoundDeviceTickAt(lostAt + 500);
  EXPECT_EQ(g_tries, 0) << "a try before a second has passed";
  // One try a little over each second, none in between.
  const double step = kSoundRetryMs + 10;
  for (int second = 1; second <= 3; ++second) {
    SoundDeviceTickAt(lostAt + second * step);
    SoundDeviceTickAt(lostAt + second * step + 500);
    EXPECT_EQ(g_tries, second);
    EXPECT_TRUE(SoundDeviceAway());
  }
  EXPECT_EQ(testenv::ReadErrorLog(), "Sound device lost\r\n");

  SoundDeviceTickAt(lostAt + 4 * step);
  EXPECT_EQ(g_tries, 4);
  EXPECT_FALSE(SoundDeviceAway());
  EXPECT_TRUE(SoundMixerOpen());
  EXPECT_EQ(testenv::ReadErrorLog(), "Sound device lost\r\nSound device back\r\n");
  SoundDeviceTickAt(lostAt + 9 * step);
  EXPECT_EQ(g_tries, 4);

  // Both sounds play on the new device, and it mixes them: they run out.
  EXPECT_EQ(PlaySound(3, 0, 1), 3 * 256);
  EXPECT_EQ(PlaySound(4, 0, 1), 4 * 256);
  EXPECT_TRUE(
      WaitUntil([] { return SoundPlaying(3 * 256) == 0 && SoundPlaying(4 * 256) == 0; }, 3000));
}

TEST_F(DeviceLoss, TheMusicGoesOnWhereItWasAndAPieceAskedForMeanwhileStarts) {
  const std::string loop = WriteSound("loop.wav", 22050 * 4, 22050);  // 4 s
  PlayMusic(RtString(loop.c_str()), 1);
  ASSERT_EQ(Mix_PlayingMusic(), 1);
  SleepWholeMs(200);

  PushRemoved(2);
  EXPECT_TRUE(SoundDeviceAway());
  EXPECT_EQ(MusicPlaying(), 1) << "a looping piece counts as playing while held";
  SoundDeviceTickAt(NowMs() + kSoundRetryMs);
  ASSERT_FALSE(SoundDeviceAway());
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_EQ(MusicPlaying(), 1);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);
  // It went on from where it was, not from its start: the rest of its 4 s.
  const double left = CurrentMusic().MusicLoopEnd - NowMs();
  EXPECT_GT(left, 2000);
  EXPECT_LT(left, 3950);

  PushRemoved(2);
  const std::string once = WriteSound("once.wav", 22050, 22050);
  PlayMusic(RtString(once.c_str()), 0);
  EXPECT_EQ(MusicPlaying(), 1);
  SoundDeviceTickAt(NowMs() + kSoundRetryMs);
  ASSERT_FALSE(SoundDeviceAway());
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_EQ(CurrentMusic().MusicPath.Std(), once);
  EXPECT_EQ(CurrentMusic().MusicLoopEnd, 0);

  StopMusic();
  EXPECT_EQ(MusicPlaying(), 0);
  EXPECT_EQ(testenv::ReadErrorLog(),
            "Sound device lost\r\nSound device back\r\nSound device lost\r\nSound device back\r\n");
}

}  // namespace
