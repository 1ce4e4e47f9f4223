// The game file loader on any bytes: the blocks are read through channel 1
// into a record, then built as far as that works without a window (the
// image shape checks and the animation names).
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "game/game_file.h"
#include "runtime/core/program_end.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string path = fuzz::WriteScratch("game.ZORAX", data, size);
  fuzz::RunGuarded([&] {
    GameRecord game;
    if (ReadGameFile(game, RtString(std::string_view(path))) == 0) return;
    for (int32_t i = 0; i < game.Sprites.DimSize(0); ++i) {
      const ImageRecord& image = game.Sprites[i];
      if (image.Pixels.DimSize(0) > 0 && ImageRows(image) < image.Pixels.DimSize(0)) {
        RaiseRuntimeError(kErrorIndex);
      }
    }
    for (int32_t i = 0; i < game.Tiles.DimSize(0); ++i) {
      const ImageRecord& image = game.Tiles[i];
      if (image.Pixels.DimSize(0) > 0 && ImageRows(image) < image.Pixels.DimSize(0)) {
        RaiseRuntimeError(kErrorIndex);
      }
    }
    NameAnimations(game.Animations, game.Animations.DimSize(0));
    fuzz::Require(game.Animations.DimSize(0) % 4 == 0, "animation groups are whole");
  });
  return 0;
}
