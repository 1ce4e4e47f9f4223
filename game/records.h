// The game's data: one GameRecord holding the images, animations, levels with
// their attack waves and the two player definitions that "game.ZORAX" stores.
// All records are plain values: arrays and texts are owned by value, copying
// a record copies them deeply, and records refer to each other by index only.
#pragma once

#include <cstdint>

#include "runtime/values/rt_array.h"
#include "runtime/values/rt_string.h"

// The transparent colour of stored images (hexadecimal 8000FF).
inline constexpr int32_t kTransparentColour = 8388863;

struct ImageRecord {
  RtArray<int32_t> Pixels;  // [x][y]: size 1 is the width, size 2 the height
  int32_t SpriteId = 0;     // sprite slot: i for Sprites[i], 1024 + i for Tiles[i]
};

// Animations come in groups of four per actor, in this order.
enum AnimationAction : int32_t {
  kActionMove = 0,
  kActionShoot = 1,
  kActionDie = 2,
  kActionBullet = 3
};

struct AnimationRecord {
  AnimationRecord();
  RtString Name;            // set after loading ("Player 1, Move" and so on)
  RtArray<int32_t> Frames;  // indexes into Sprites; 2 frames of 0 by default
  int32_t Mode = 2;         // how the frame is chosen (-1, 0 or positive)
  int32_t Speed = 0;        // frame number grows with (Speed + 1) x ms / 500
  int32_t Sound = 0;        // sound slot played for the action; 0 for none
};

struct PathPoint {
  int32_t X = 0;
  int32_t Y = 0;
};

// 24 integers: fields 0 to 13, 18 and 19 are a definition from the game file,
// the rest running state kept by the game loop.
struct ObjectRecord {
  int32_t AnimationBase = 0;   // 0: index in Animations of the actor's Move entry
  int32_t Hits = 3;            // 1: player lives left (-1 not joined); enemy hit points
  int32_t PathSpeed = 2;       // 2: enemy path step per frame is PathSpeed + 1 quarter pixels
  int32_t FireAim = 0;         // 3: player 0 shoots up; enemy mask of directions
  int32_t Points = 100;        // 4: enemy points; player score
  int32_t FireRate = 2;        // 5
  int32_t BulletSpeed = 2;     // 6: pixels per frame
  int32_t BulletLife = 2000;   // 7: game-clock milliseconds
  int32_t BlocksLevelEnd = 0;  // 8
  int32_t LoopPath = 0;        // 9
  int32_t Shootable = 1;       // 10
  int32_t Solid = 1;           // 11
  int32_t HarmsOnContact = 1;  // 12
  int32_t DiesOnContact = 1;   // 13
  int32_t SpriteSlot = 0;      // 14: sprite slot of the current frame
  int32_t Heading = 2;         // 15: last direction 0 to 8 (2 is up)
  int32_t X = 0;               // 16
  int32_t Y = 0;               // 17
  int32_t OffsetX = 0;         // 18: formation offset added to the path position
  int32_t OffsetY = 0;         // 19
  int32_t NextFireTick = 0;    // 20
  int32_t HurtTimer = 0;       // 21: frames of the hit or dying period left
  int32_t ActionStart = 0;     // 22: game clock when the current action began
  int32_t Action = 0;          // 23: 0 Move, 1 Shoot, 2 Die
};

inline constexpr int32_t kObjectFieldCount = 24;

struct WaveRecord {
  WaveRecord();
  RtArray<int32_t> SpawnPositions;  // scroll positions that launch every object
  RtArray<PathPoint> Path;
  RtArray<ObjectRecord> Objects;  // launched together; 1 default object
  double PathLength = 0.0;        // 4 x the path's length in pixels, set at level start
};

struct LevelRecord {
  LevelRecord();
  RtArray<RtArray<int32_t>> Layers;  // 2 layers of [x][y] tile indexes; negative is empty
  int32_t TileCollision = 2;         // 0 nothing, 1 wall, 2 deadly
  int32_t ScrollMode = 1;            // 0 still, 1 constant speed, 2 pushed by players
  int32_t ScrollSpeed = 3;
  int32_t Duration = 30;  // seconds, kept but unused
  RtArray<WaveRecord> Waves;
};

struct GameRecord {
  GameRecord();
  RtString ProjectPath;          // start of the sound file names
  RtArray<ImageRecord> Tiles;    // 2 default images
  RtArray<ImageRecord> Sprites;  // 20 default images
  RtArray<AnimationRecord> Animations;
  RtArray<LevelRecord> Levels;    // 1 default level
  RtArray<ObjectRecord> Players;  // 2 default players
  RtString TitleText;
};

// Field number 0..23 of an object, in the order of the table above (the
// order the game file stores them in); error 9 for any other number.
int32_t& ObjectField(ObjectRecord& object, int32_t field);
int32_t ObjectField(const ObjectRecord& object, int32_t field);
