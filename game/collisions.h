// What happens when things touch: bullets against ships, background and
// enemies, enemies against ships, ships against the background; losing a
// life, killing an enemy, scoring, and the status line.
#pragma once

#include <cstdint>

#include "game/game_state.h"

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
