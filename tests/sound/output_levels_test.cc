// The listener's volume levels on top of the game's: effects scaled in the
// mix (also while they play), music scaled as its volume is sent, mute and 0
// silent, and the defaults leaving the output exactly as it was.
#include "runtime/sound/output_levels.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "tests/sound/wav_bytes.h"
#include "tests/support/test_env.h"

namespace {

constexpr int16_t kLoud = 20000;

std::string WriteConstant(const std::string& name, uint32_t frames) {
  wavtest::WavShape shape;
  shape.Rate = 44100;
  shape.Samples = wavtest::Constant16(frames, 1, kLoud);
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  return path;
}

// The left sample of the first frame of the next pull.
int16_t NextSample() {
  std::vector<int16_t> out(2 * 64, 0);
  MixSoundOutput(out.data(), 64);
  return out[0];
}

OutputLevels Levels(int32_t volume, int32_t effects, int32_t music, bool mute) {
  OutputLevels levels;
  levels.Volume = volume;
  levels.Effects = effects;
  levels.Music = music;
  levels.Mute = mute;
  return levels;
}

TEST(OutputLevels, EffectsFollowTheLevelsWhilePlaying) {
  OpenSoundDeviceOffline(44100);
  ASSERT_EQ(LoadSound(WriteConstant("tone.wav", 44100).c_str(), 0, 1), 1);
  ASSERT_GE(PlaySound(0, 0, 1), 0);
  EXPECT_EQ(NextSample(), kLoud);  // the defaults change nothing

  struct Case {
    OutputLevels Levels;
    int16_t Expected;
  };
  const Case cases[] = {
      {Levels(50, 100, 100, false), kLoud / 2},
      {Levels(50, 50, 100, false), kLoud / 4},
      {Levels(100, 10, 0, false), kLoud / 10},  // the music's level is not the effects'
      {Levels(100, 100, 100, true), 0},
      {Levels(0, 100, 100, false), 0},
      {Levels(100, 0, 100, false), 0},
      {Levels(-3, 400, 100, false), 0},  // clamped to 0 .. 100
      {Levels(100, 100, 100, false), kLoud},
  };
  for (const Case& c : cases) {
    SetOutputLevels(c.Levels);
    EXPECT_NEAR(NextSample(), c.Expected, 1)
        << c.Levels.Volume << " " << c.Levels.Effects << " " << c.Levels.Mute;
  }
  const OutputLevels clamped =
      (SetOutputLevels(Levels(-3, 400, 100, false)), CurrentOutputLevels());
  EXPECT_EQ(clamped.Volume, 0);
  EXPECT_EQ(clamped.Effects, 100);
  SetOutputLevels(OutputLevels{});
  CloseSoundDevice();
}

TEST(OutputLevels, MusicIsSentScaledAndAgainWhenTheLevelsChange) {
  CreateSoundDevice();
  OpenSoundDevice();
  ASSERT_TRUE(SoundMixerOpen());
  PlayMusic(WriteConstant("piece.wav", 44100).c_str(), 1);
  ASSERT_TRUE(CurrentMusic().Loaded);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);

  SetOutputLevels(Levels(100, 100, 50, false));
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME / 2);
  SetMusicVolume(0.5);  // the game's own volume, scaled as well
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME / 4);
  SetOutputLevels(Levels(100, 0, 100, true));
  EXPECT_EQ(Mix_VolumeMusic(-1), 0);
  SetOutputLevels(Levels(100, 0, 100, false));
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME / 2);
  // A new piece starts at the game's full volume, still under the levels.
  SetOutputLevels(Levels(50, 100, 100, false));
  PlayMusic(WriteConstant("next.wav", 44100).c_str(), 0);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME / 2);
  SetOutputLevels(OutputLevels{});
  CloseSoundDevice();
}

}  // namespace
