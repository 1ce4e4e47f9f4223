// BMP decoding of any bytes, with and without a colour key.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "runtime/gfx2d/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int32_t key : {kNoColourKey, 0x8000FF}) {
    ImageBuffer image;
    if (!DecodeBmp(data, size, key, image)) continue;
    fuzz::Require(image.Width > 0 && image.Height > 0, "decoded image has a size");
    fuzz::Require(image.Width <= kMaxImageSide && image.Height <= kMaxImageSide, "side limit");
    fuzz::Require(image.Pixels.size() == size_t(image.Width) * size_t(image.Height) * 4,
                  "pixel bytes match the size");
  }
  return 0;
}
