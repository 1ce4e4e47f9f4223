// The game's sounds: loaded once from the animations' sound numbers, and
// played when ships and enemies fire and die.
#pragma once

#include <cstdint>

#include "game/records.h"

// Loads every distinct Sound of the animations once, from ProjectPath + n + ".wav".
void LoadGameSounds(const GameRecord& game);

// Plays the sound of Animations[animationIndex], centred at full volume,
// unless it is 0.
void PlayAnimationSound(const GameRecord& game, int32_t animationIndex);
