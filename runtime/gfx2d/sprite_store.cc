// The sprite store and the upload of decoded images into textures. Images sit
// in the corner of power-of-two textures with their rows stored bottom-up, so
// that a texture coordinate of 0 is the image's lower edge.
#include "runtime/gfx2d/sprite_store.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/core/gl_api.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/files/archive.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/image_decode.h"

namespace {

int32_t g_maxTextureSize = 0;

uint8_t* PixelAt(std::vector<uint8_t>& buffer, int32_t width, int32_t x, int32_t y) {
  return buffer.data() + (static_cast<size_t>(y) * width + x) * 4;
}

// Gives every fully transparent texel the average colour of its opaque
// neighbours, so that linear filtering at a sprite's edge blends towards the
// sprite's own colours instead of black. Only texels next to the image can
// have opaque neighbours, so the scan stops one texel past it.
void FillTransparentEdges(std::vector<uint8_t>& texels, int32_t texW, int32_t texH,
                          int32_t imageW, int32_t imageH) {
  const int32_t lastX = std::min(texW - 1, imageW);
  const int32_t lastY = std::min(texH - 1, imageH);
  for (int32_t y = 0; y <= lastY; ++y) {
    for (int32_t x = 0; x <= lastX; ++x) {
      uint8_t* texel = PixelAt(texels, texW, x, y);
      if (texel[3] != 0) continue;
      int sum[3] = {0, 0, 0};
      int count = 0;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          if (dx == 0 && dy == 0) continue;
          const int32_t nx = x + dx, ny = y + dy;
          if (nx < 1 || ny < 1 || nx > texW - 2 || ny > texH - 2) continue;
          const uint8_t* n = PixelAt(texels, texW, nx, ny);
          if (n[3] == 0) continue;
          sum[0] += n[0];
          sum[1] += n[1];
          sum[2] += n[2];
          ++count;
        }
      }
      for (int c = 0; c < 3; ++c) texel[c] = count > 0 ? static_cast<uint8_t>(sum[c] / count) : 0;
    }
  }
}

// A normal map from the slopes of the third channel, wrapping at the edges.
void MakeNormalMap(std::vector<uint8_t>& texels, int32_t texW, int32_t texH) {
  std::vector<uint8_t> heights(static_cast<size_t>(texW) * texH);
  for (size_t i = 0; i < heights.size(); ++i) heights[i] = texels[i * 4 + 2];
  auto h = [&](int32_t x, int32_t y) {
    return static_cast<double>(heights[static_cast<size_t>((y + texH) % texH) * texW +
                                       static_cast<size_t>((x + texW) % texW)]);
  };
  for (int32_t y = 0; y < texH; ++y) {
    for (int32_t x = 0; x < texW; ++x) {
      const double dx = h(x + 1, y) - h(x - 1, y);
      const double dy = h(x, y + 1) - h(x, y - 1);
      const double nz = 2.0 * 255.0;
      const double length = std::sqrt(dx * dx + dy * dy + nz * nz);
      uint8_t* texel = PixelAt(texels, texW, x, y);
      texel[0] = static_cast<uint8_t>((-dx / length * 0.5 + 0.5) * 255.0);
      texel[1] = static_cast<uint8_t>((-dy / length * 0.5 + 0.5) * 255.0);
      texel[2] = static_cast<uint8_t>((nz / length * 0.5 + 0.5) * 255.0);
    }
  }
}

// The mipmapped copy: level 0 is made square by averaging pairs along the
// longer side; each further level weights the texel at (2x, 2y) most.
uint32_t MakeMipTexture(std::vector<uint8_t> level, int32_t w, int32_t h) {
  while (w != h) {
    const bool halveWidth = w > h;
    const int32_t nw = halveWidth ? w / 2 : w;
    const int32_t nh = halveWidth ? h : h / 2;
    std::vector<uint8_t> next(static_cast<size_t>(nw) * nh * 4);
    for (int32_t y = 0; y < nh; ++y) {
      for (int32_t x = 0; x < nw; ++x) {
        const uint8_t* a = PixelAt(level, w, halveWidth ? 2 * x : x, halveWidth ? y : 2 * y);
        const uint8_t* b =
            PixelAt(level, w, halveWidth ? 2 * x + 1 : x, halveWidth ? y : 2 * y + 1);
        uint8_t* out = PixelAt(next, nw, x, y);
        for (int c = 0; c < 4; ++c) out[c] = static_cast<uint8_t>((a[c] + b[c]) / 2);
      }
    }
    level.swap(next);
    w = nw;
    h = nh;
  }

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  for (GLint index = 0;; ++index) {
    glTexImage2D(GL_TEXTURE_2D, index, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
    if (w == 1 && h == 1) break;
    const int32_t nw = std::max(1, w / 2);
    const int32_t nh = std::max(1, h / 2);
    std::vector<uint8_t> next(static_cast<size_t>(nw) * nh * 4);
    for (int32_t y = 0; y < nh; ++y) {
      for (int32_t x = 0; x < nw; ++x) {
        const bool right = 2 * x + 1 < w;
        const bool below = 2 * y + 1 < h;
        const uint8_t* a = PixelAt(level, w, 2 * x, 2 * y);
        uint8_t* out = PixelAt(next, nw, x, y);
        for (int c = 0; c < 4; ++c) {
          int value = a[c];
          if (right && below) {
            value = (4 * a[c] + 2 * PixelAt(level, w, 2 * x + 1, 2 * y)[c] +
                     2 * PixelAt(level, w, 2 * x, 2 * y + 1)[c] +
                     PixelAt(level, w, 2 * x + 1, 2 * y + 1)[c]) / 9;
          } else if (right) {
            value = (2 * a[c] + PixelAt(level, w, 2 * x + 1, 2 * y)[c]) / 3;
          } else if (below) {
            value = (2 * a[c] + PixelAt(level, w, 2 * x, 2 * y + 1)[c]) / 3;
          }
          out[c] = static_cast<uint8_t>(value);
        }
      }
    }
    level.swap(next);
    w = nw;
    h = nh;
  }
  return texture;
}

void DeleteTexture(uint32_t& name) {
  if (name != 0 && GraphicsReady()) {
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
  }
  name = 0;
}

RtString ResolveImagePath(const RtString& path, bool& found) {
  RtString resolved = path;
  found = ResolveMediaPath(MediaArchive(), path, resolved) != 0 || !resolved.Empty();
  return resolved;
}

}  // namespace

SpriteStore& Sprites() {
  static SpriteStore store;
  if (store.Slots.empty()) store.Slots.resize(kSpriteSlotCount);
  return store;
}

SpriteEntry& SpriteSlot(int32_t id) {
  if (id < 0 || id >= kSpriteSlotCount) RaiseRuntimeError(kErrorOutOfRange);
  return Sprites().Slots[static_cast<size_t>(id)];
}

void StartSpriteStore() {
  SpriteStore& store = Sprites();
  store.Slots.assign(kSpriteSlotCount, SpriteEntry{});
  store.TransparentColour = kSpriteColourKey;
  store.FontTransparentColour = 0;
  store.Smoothing = 1;
  ForgetAllCollisionMasks();
  SetTeardownHook(TeardownStep::kSprites, ReleaseSpriteTextures);
}

void ReleaseSpriteTextures() {
  SpriteStore& store = Sprites();
  FlushPendingDrawing();
  if (GraphicsReady()) {
    std::vector<GLuint> names;
    for (const SpriteEntry& entry : store.Slots) {
      if (entry.Texture != 0) names.push_back(entry.Texture);
      if (entry.MipTexture != 0) names.push_back(entry.MipTexture);
    }
    if (!names.empty()) glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
  }
  for (SpriteEntry& entry : store.Slots) entry.Texture = entry.MipTexture = 0;
  ForgetAllCollisionMasks();
}

void EmptySlot(int32_t id) {
  SpriteEntry& entry = SpriteSlot(id);
  FlushPendingDrawing();
  DeleteTexture(entry.Texture);
  DeleteTexture(entry.MipTexture);
  entry.TextureWidth = entry.TextureHeight = -1;
  entry.Width = entry.Height = 0;
  entry.FrameWidth = entry.FrameHeight = 0;  // a refilled slot is no strip until told so
  ForgetCollisionMask(id);
}

int32_t PowerOfTwoAtLeast(int32_t n, int32_t from) {
  int32_t side = from;
  while (side < n && side < (1 << 30)) side *= 2;
  return side;
}

int32_t MaxTextureSize() {
  if (g_maxTextureSize == 0 && GraphicsReady()) {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    g_maxTextureSize = std::clamp<int32_t>(size, 64, kMaxImageSide);
  }
  return g_maxTextureSize > 0 ? g_maxTextureSize : 2048;
}

uint32_t MakeTexture(uint32_t existing, int32_t width, int32_t height, const uint8_t* pixels,
                     bool nearest) {
  static std::vector<uint8_t> zeros;
  if (pixels == nullptr) {
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    if (zeros.size() < bytes) zeros.resize(bytes, 0);
    pixels = zeros.data();
  }
  GLuint texture = existing;
  if (texture == 0) glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  return texture;
}

void PutImageInSlot(int32_t id, ImageBuffer& image, bool normalMap) {
  SpriteEntry& entry = SpriteSlot(id);
  const bool font = id >= kFirstFontSlot;
  const int32_t width = std::min(image.Width, MaxTextureSize());
  const int32_t height = std::min(image.Height, MaxTextureSize());
  const int32_t texW = PowerOfTwoAtLeast(width, 2);
  const int32_t texH = PowerOfTwoAtLeast(height, 2);

  std::vector<uint8_t> texels(static_cast<size_t>(texW) * texH * 4, 0);
  for (int32_t row = 0; row < height; ++row) {
    std::memcpy(PixelAt(texels, texW, 0, height - 1 - row),
                image.Pixels.data() + static_cast<size_t>(row) * image.Width * 4,
                static_cast<size_t>(width) * 4);
  }
  if (!font) FillTransparentEdges(texels, texW, texH, width, height);
  if (normalMap) MakeNormalMap(texels, texW, texH);

  FlushPendingDrawing();
  DeleteTexture(entry.Texture);
  DeleteTexture(entry.MipTexture);
  entry.Texture = MakeTexture(0, texW, texH, texels.data(), font);
  if (!font) entry.MipTexture = MakeMipTexture(std::move(texels), texW, texH);
  glBindTexture(GL_TEXTURE_2D, 0);
  entry.TextureWidth = static_cast<int16_t>(texW);
  entry.TextureHeight = static_cast<int16_t>(texH);
  entry.Width = static_cast<int16_t>(width);
  entry.Height = static_cast<int16_t>(height);
  ForgetCollisionMask(id);
}

int32_t LoadImageToSlot(int32_t id, const std::string& hostPath, int32_t key, bool normalMap) {
  SpriteSlot(id);
  EmptySlot(id);
  if (!GraphicsReady()) return 0;
  ImageBuffer image;
  if (!DecodeImageFile(hostPath, key, image)) return 0;
  if (image.Width <= 0 || image.Height <= 0) return 0;
  PutImageInSlot(id, image, normalMap);
  return 1;
}

int32_t LoadSprite(const RtString& path, int32_t id) {
  SpriteSlot(id);
  EmptySlot(id);
  bool found = false;
  const RtString resolved = ResolveImagePath(path, found);
  if (!found) return 0;
  return LoadImageToSlot(id, ToHostPath(resolved.View()), Sprites().TransparentColour, false);
}

int32_t LoadAnimation(const RtString& path, int32_t id, int32_t frameWidth, int32_t frameHeight) {
  const int32_t loaded = LoadSprite(path, id);
  SpriteEntry& entry = SpriteSlot(id);
  if (entry.Width > 0 && frameWidth > 0 && frameHeight > 0) {
    entry.FrameWidth = static_cast<uint16_t>(std::min(frameWidth, 65535));
    entry.FrameHeight = static_cast<uint16_t>(std::min(frameHeight, 65535));
  }
  return loaded;
}

int32_t LoadNormalMap(const RtString& path, int32_t id) {
  SpriteSlot(id);
  EmptySlot(id);
  bool found = false;
  const RtString resolved = ResolveImagePath(path, found);
  if (!found) return 0;
  return LoadImageToSlot(id, ToHostPath(resolved.View()), kSpriteColourKey, true);
}

void DeleteSprite(int32_t id) {
  SpriteSlot(id);
  EmptySlot(id);
}

void SetTransparentColour(int32_t colour) {
  FlushPendingDrawing();
  Sprites().TransparentColour = colour;
  Sprites().FontTransparentColour = colour;
}

void SetSmoothing(int32_t flag) { Sprites().Smoothing = flag != 0 ? 1 : 0; }
