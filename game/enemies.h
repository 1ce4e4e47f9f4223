// Enemies and attack waves: path measures and positions, the launch of waves
// as the camera passes their spawn positions, the enemy step of every level
// frame, aimed fire and the drawing order.
#pragma once

#include <cstdint>

#include "game/game_state.h"

// Sets wave.PathLength: 4 x the path's length in pixels.
void MeasurePath(WaveRecord& wave);

// Position at distance pos (quarter pixels) along the wave's path; on a
// segment also the segment's direction (each -1, 0 or 1). Outside the path
// the end point is given and the direction is left as it was.
void PathPosition(const WaveRecord& wave, double pos, int32_t& x, int32_t& y, int32_t& dirX,
                  int32_t& dirY);

// Frame step 5: launches every wave whose spawn position the scroll passed
// (between ScrollY and PrevScrollY). The caller sets PrevScrollY afterwards.
void LaunchWaves(GameSession& session);

// Frame step 7: moves, animates, draws and fires every enemy, resolves its
// contact with the ships and recomputes LevelClear.
void StepEnemies(GameSession& session);

// One fire attempt of an enemy at the ships: 0 no shot, 1 fire handled.
int32_t EnemyFire(GameSession& session, LiveEnemy& enemy);

// -1, 0 or 1 by Y: the drawing order of enemies.
int32_t CompareByY(const LiveEnemy& a, const LiveEnemy& b);

// Frame step 8: sorts Enemies by Y.
void SortEnemies(GameSession& session);
