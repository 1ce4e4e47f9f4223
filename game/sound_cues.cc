// The game's sounds belong to its animations: each entry names a sound slot,
// and the same number names the file. They are loaded once when the game
// starts and played, centred at full volume, when an action happens.
#include "game/sound_cues.h"

#include <unordered_set>

#include "runtime/sound/sound.h"

void LoadGameSounds(const GameRecord& game) {
  // A set rather than a flag list indexed by the number: a stray large
  // number in a game file then costs one entry, not a list of that length.
  std::unordered_set<int32_t> loaded;
  for (const AnimationRecord& animation : game.Animations) {
    const int32_t sound = animation.Sound;
    // Negative numbers name no slot; the sound device would refuse them as a
    // runtime error, so they are skipped here and never played either.
    if (sound < 0) continue;
    if (!loaded.insert(sound).second) continue;
    // Failures are not reported: a missing sound just stays silent.
    LoadSound(game.ProjectPath + sound + ".wav", sound, 4);
  }
}

void PlayAnimationSound(const GameRecord& game, int32_t animationIndex) {
  const int32_t sound = game.Animations[animationIndex].Sound;
  if (sound > 0) PlaySound(sound, 0.0, 1.0);
}
