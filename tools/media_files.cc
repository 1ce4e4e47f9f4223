// Media files made from a description's sources.
#include "tools/media_files.h"

#include <cerrno>
#include <cstring>

#include "runtime/files/archive_index.h"
#include "runtime/files/file_io.h"
#include "runtime/files/lzo_member.h"
#include "runtime/gfx2d/image_write.h"
#include "tools/description_json.h"
#include "tools/font_sheet.h"
#include "tools/sound_recipe.h"

bool MakeMediaFile(const MediaSource& source, std::string& bytes, std::string& error) {
  bytes.clear();
  try {
    switch (source.From) {
      case MediaSource::Kind::kFile:
        errno = 0;
        if (!ReadWholeFile(source.Path, kMaxMemberSize, bytes)) {
          error = source.Where + ": " + source.Path + " cannot be read" +
                  (errno != 0 ? std::string(" (") + std::strerror(errno) + ")"
                              : std::string(" (larger than 256 MiB)"));
          return false;
        }
        return true;
      case MediaSource::Kind::kSoundRecipe: {
        const SoundRecipe recipe = ReadSoundRecipe(source.Path);
        bytes = WaveFileBytes(RenderSound(recipe), recipe.Rate);
        return true;
      }
      case MediaSource::Kind::kFontArt: {
        const FontImage image = RenderFont(ReadFontStyle(source.Path));
        // Empty pixels are black in both formats: the colour fonts are keyed with.
        const bool made = source.AsPng
                              ? EncodePng(image.Width, image.Height, image.Rgba.data(), false, bytes)
                              : EncodeBmp(image.Width, image.Height, image.Rgba.data(), 0, bytes);
        if (!made) error = source.Where + ": the font image of " + source.Path + " cannot be made";
        return made;
      }
    }
  } catch (const DescriptionError& e) {
    error = e.what();
    return false;
  }
  error = source.Where + ": unknown source";
  return false;
}
