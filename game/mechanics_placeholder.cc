// Placeholder bodies of the ship, enemy, collision and sound-cue steps, so
// that the game loop builds and runs before the mechanics land. The
// mechanics replace this file.
#include "game/collisions.h"
#include "game/enemies.h"
#include "game/ships.h"
#include "game/sound_cues.h"

int32_t ChooseFrame(AnimationRecord&, int32_t&, int32_t&, int32_t, int32_t, int32_t) { return 0; }
void StepPlayers(GameSession&) {}
void PlayerFire(GameSession&, ObjectRecord&, int32_t) {}
void AddBullet(GameSession&, const Bullet&) {}
void StepBullets(GameSession&) {}
void MeasurePath(WaveRecord& wave) { wave.PathLength = 0.0; }
void PathPosition(const WaveRecord&, double, int32_t&, int32_t&, int32_t&, int32_t&) {}
void LaunchWaves(GameSession&) {}
void StepEnemies(GameSession& session) { session.LevelClear = 1; }
int32_t EnemyFire(GameSession&, LiveEnemy&) { return 0; }
int32_t CompareByY(const LiveEnemy& a, const LiveEnemy& b) {
  return a.Object.Y < b.Object.Y ? -1 : (a.Object.Y == b.Object.Y ? 0 : 1);
}
void SortEnemies(GameSession&) {}
int32_t UpdateBullet(GameSession&, Bullet&) { return 0; }
void LoseLife(GameSession&, ObjectRecord&) {}
void KillEnemy(GameSession&, ObjectRecord&) {}
void TouchShips(GameSession&, LiveEnemy&) {}
void ShipAgainstBackground(GameSession&, ObjectRecord&, int32_t, int32_t) {}
void DrawStatusLine(GameSession&) {}
void LoadGameSounds(const GameRecord&) {}
void PlayAnimationSound(const GameRecord&, int32_t) {}
