// skylane-sfx: renders one sound recipe into a WAV file. The demo's build
// runs it once per recipe; see demo/sounds/.
//
//   skylane-sfx RECIPE -o OUTPUT.wav
#include <cstdio>
#include <string>

#include "tools/sound_recipe.h"
#include "runtime/files/file_io.h"
#include "tools/description_json.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::string(argv[2]) != "-o") {
    std::fprintf(stderr, "usage: skylane-sfx RECIPE -o OUTPUT.wav\n");
    return 2;
  }
  try {
    const SoundRecipe recipe = ReadSoundRecipe(argv[1]);
    const std::vector<int16_t> samples = RenderSound(recipe);
    if (!ReplaceFileContents(argv[3], WaveFileBytes(samples, recipe.Rate))) {
      std::fprintf(stderr, "skylane-sfx: cannot write %s\n", argv[3]);
      return 1;
    }
  } catch (const DescriptionError& e) {
    std::fprintf(stderr, "skylane-sfx: %s\n", e.what());
    return 1;
  }
  return 0;
}
