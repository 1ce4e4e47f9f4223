// What happens when things touch: bullets against ships, background and
// enemies, enemies against ships, ships against the background; losing a
// life, killing an enemy, scoring, and the status line.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "runtime/values/rt_string.h"

// Moves one bullet and resolves its hits: 1 when the bullet is gone.
int32_t UpdateBullet(GameSession& session, Bullet& bullet);

// A ship loses a life and starts its hurt period.
void LoseLife(GameSession& session, ObjectRecord& player);

// An enemy dies and starts its Die animation.
void KillEnemy(GameSession& session, ObjectRecord& enemy);

// Step 9 of the enemy step: the enemy against every ship.
void TouchShips(GameSession& session, LiveEnemy& enemy);

// Step 5.7 of the player step: the ship (moved from oldX, oldY) against the
// solid background of the level's second layer.
void ShipAgainstBackground(GameSession& session, ObjectRecord& ship, int32_t oldX, int32_t oldY);

// Frame step 13: the black bar with each player's lives and score.
void DrawStatusLine(GameSession& session);

// The status line's texts for player index: "P1 *JOIN NOW*" for a player not
// in the game, else "P1 " + character 1 of the font + "x" + lives; and the
// score, "$" followed by the points right-aligned in eight characters.
RtString StatusLivesText(const ObjectRecord& player, int32_t index);
RtString StatusScoreText(const ObjectRecord& player);
