// Player ships and bullets: animation frames, the player step of every
// level frame, firing, and the bullet list's upkeep and drawing.
#pragma once

#include <cstdint>

#include "game/game_state.h"

// Index into Sprites of the frame to show for an animation, given the actor's
// heading and action (both may change) and when its action started; a
// movement (dx, dy) picks the direction in direction modes. An animation
// with too few Frames grows (new frames show Sprites[0]).
int32_t ChooseFrame(AnimationRecord& anim, int32_t& heading, int32_t& action, int32_t start,
                    int32_t dx, int32_t dy);

// Frame step 10: controls, joining, firing, animation, drawing, movement,
// background collision and clamping of every player.
void StepPlayers(GameSession& session);

// Fires one shot of player n.
void PlayerFire(GameSession& session, ObjectRecord& player, int32_t n);

// Stores a bullet in the first expired slot of Bullets, or appends it.
void AddBullet(GameSession& session, const Bullet& bullet);

// Frame step 11: moves every bullet, resolves its hits, removes spent ones,
// then draws the remaining bullets.
void StepBullets(GameSession& session);
