// skylane-icon: draws the application icons from a sprite of a game
// description. The build makes the icons of Skylane and of the player from
// the demo's ship art with it.
//
//   skylane-icon DESCRIPTION SPRITE -o DIR
//
// writes DIR/icon-32.png, icon-64.png, icon-128.png, icon-256.png and icon.svg.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "demo/tools/ship_icon.h"
#include "runtime/files/file_io.h"
#include "runtime/gfx2d/image_write.h"

int main(int argc, char** argv) {
  if (argc != 5 || std::string(argv[3]) != "-o") {
    std::fprintf(stderr, "usage: skylane-icon DESCRIPTION SPRITE -o DIR\n");
    return 2;
  }
  IconArt art;
  std::string error;
  if (!ReadIconArt(argv[1], argv[2], art, error)) {
    std::fprintf(stderr, "skylane-icon: %s\n", error.c_str());
    return 1;
  }
  const std::string folder = argv[4];
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  for (const int32_t size : {32, 64, 128, 256}) {
    const IconArt icon = RenderIcon(art, size);
    const std::string path = folder + "/icon-" + std::to_string(size) + ".png";
    if (!WritePng(path, icon.Width, icon.Height, icon.Rgba.data(), true)) {
      std::fprintf(stderr, "skylane-icon: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const std::string svgPath = folder + "/icon.svg";
  if (!ReplaceFileContents(svgPath, IconSvg(art, 256))) {
    std::fprintf(stderr, "skylane-icon: cannot write %s\n", svgPath.c_str());
    return 1;
  }
  return 0;
}
