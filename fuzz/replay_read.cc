// The replay reader on any bytes, and on the same bytes with their CRC-32
// made right (else mutations hardly ever get past it); a file it takes must
// write back to the same bytes, and is then played for up to a few hundred
// frames on a small game built here, without a window: its start state goes back in, its reads
// answer the game's, its checksums are compared. The playback ends the run
// through the program end, as it does in the player; so does the frame
// budget.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <zlib.h>

#include "fuzz/fuzz_support.h"
#include "game/frame_seam.h"
#include "game/game_loop.h"
#include "player/replays/replay_file.h"
#include "player/replays/replay_playback.h"
#include "runtime/core/program_end.h"

namespace {

constexpr int64_t kFrameBudget = 240;

ImageRecord Square(int32_t size, int32_t colour) {
  ImageRecord image;
  image.Pixels.Dimension(size, size);
  for (int32_t& pixel : image.Pixels) pixel = colour;
  return image;
}

// Two players, one level that scrolls over 30 rows, two waves of enemies
// that fire (their misses draw random numbers) and a wall layer.
GameRecord SmallGame() {
  GameRecord game;
  game.Sprites.Dimension(4);
  for (int32_t i = 0; i < 4; ++i) game.Sprites[i] = Square(i == 3 ? 8 : 32, 100 + i);
  game.Tiles.Dimension(2);
  game.Tiles[0] = Square(32, 7);
  game.Tiles[1] = Square(32, 9);
  LevelRecord& level = game.Levels[0];
  level.Layers[0].Dimension(20, 30);
  level.Layers[1].Dimension(20, 30);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      level.Layers[0](x, y) = (x + y) % 3 == 0 ? 0 : -1;
      level.Layers[1](x, y) = x == 0 || x == 19 ? 1 : -1;
    }
  }
  level.ScrollMode = 1;
  level.ScrollSpeed = 6;
  level.TileCollision = 1;
  WaveRecord wave;
  wave.Path.AssignList({{100, 200}, {500, 400}});
  wave.SpawnPositions.AssignList({600, 400});
  ObjectRecord enemy;
  enemy.AnimationBase = 8;
  enemy.FireAim = 31;
  enemy.FireRate = 8;
  wave.Objects.AssignList({enemy, enemy});
  wave.Objects[1].OffsetX = 40;
  level.Waves.AssignList({wave, wave});
  level.Waves[1].SpawnPositions.AssignList({300});
  game.Players[1].Hits = 2;
  game.TitleText = "FUZZ";
  return game;
}

// Ends the run after kFrameBudget frames, or after a few polls of a held
// Escape (each one waits a millisecond).
void Budget(const GameFrame& frame) {
  static int64_t start = 0;
  static int32_t held = 0;
  if (frame.Kind == GameFrameKind::kLoading) {
    start = frame.Number;
    held = 0;
  } else if (frame.Number - start >= kFrameBudget ||
             (frame.Kind == GameFrameKind::kEscapeHeld && ++held > 8)) {
    EndProgramNormally();
  }
}

// The bytes with their last 4 replaced by the CRC-32 of the rest.
std::string Resealed(std::string_view bytes) {
  std::string sealed(bytes);
  if (sealed.size() < 4) return sealed;
  const size_t body = sealed.size() - 4;
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(sealed.data()),
                          static_cast<uInt>(body));
  for (int i = 0; i < 4; ++i) sealed[body + i] = static_cast<char>(crc >> (8 * i));
  return sealed;
}

void ReadAndPlay(std::string_view bytes) {
  ReplayFile replay;
  std::string error;
  if (!DecodeReplay(bytes, replay, error)) {
    fuzz::Require(!error.empty(), "a refused replay says why");
    return;
  }
  fuzz::Require(EncodeReplay(replay) == bytes, "a replay read back writes the same bytes");

  ReplayPlaybackOptions options;
  options.Unpaced = true;
  fuzz::RunGuarded([&] {
    GameRecord game = SmallGame();
    GameSession session(game);
    StartGame(session);
    StartReplayPlayback(replay, options);
    AddGameFrameObserver(Budget);
    ObserveGameFrame(GameFrameKind::kLoading, 0, game, nullptr);
    PlayGame(session);
  });
  RemoveGameFrameObserver(Budget);
  StopReplayPlayback();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ReadAndPlay(bytes);
  const std::string sealed = Resealed(bytes);
  if (sealed != bytes) ReadAndPlay(sealed);
  return 0;
}
