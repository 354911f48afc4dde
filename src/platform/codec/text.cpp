#include "codec/text.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "codec/bmp.h"

namespace codec {

// One rendered character: 8-bit coverage rows, placed relative to the pen on
// the baseline (left: pixels right of the pen; top: rows above the baseline).
struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  int advance = 0;
  std::vector<std::uint8_t> coverage;  // width * rows, rows top to bottom
};

// Every Latin-1 character is rendered once when the font is loaded, so drawing
// and measuring never touch FreeType and always give the same pixels.
struct TextRenderer::Face {
  int ascent = 0;
  int height = 0;
  std::array<Glyph, 256> glyphs;
};

namespace {

constexpr int kMaxPixelSize = 256;

struct LibraryCloser {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryHandle = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using FaceHandle = std::unique_ptr<FT_FaceRec_, FaceCloser>;

Glyph CopyGlyph(const FT_GlyphSlot slot) {
  Glyph glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr)
    return glyph;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.rows);
  for (int r = 0; r < glyph.rows; ++r) {
    const std::uint8_t* src = bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch;
    std::copy(src, src + glyph.width, glyph.coverage.begin() + r * glyph.width);
  }
  return glyph;
}

std::string DescribeLoadFailure(const std::string& fontPath, FT_Error error) {
  if (!std::ifstream(fontPath)) {
    return "font file " + fontPath + " is missing (Debian package fonts-dejavu-core)";
  }
  return "FreeType cannot load the font " + fontPath + " (error " + std::to_string(error) + ")";
}

// Blends `color` over `pixel` by coverage/255, channel by channel, linearly.
std::uint32_t Blend(std::uint32_t pixel, std::uint32_t color, std::uint32_t coverage) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t under = (pixel >> shift) & 0xFF;
    const std::uint32_t over = (color >> shift) & 0xFF;
    out |= ((under * (255 - coverage) + over * coverage + 127) / 255) << shift;
  }
  return out;
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

void DrawGlyph(PixelTarget& target, int originX, int originY, const Glyph& glyph,
               std::uint32_t color, const PixelRect& area) {
  const int top = std::max(originY, area.top);
  const int bottom = std::min(originY + glyph.rows, area.bottom);
  const int left = std::max(originX, area.left);
  const int right = std::min(originX + glyph.width, area.right);
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* coverage =
        &glyph.coverage[static_cast<std::size_t>(y - originY) * glyph.width];
    std::uint32_t* row = target.pixels + static_cast<std::size_t>(y) * target.width;
    for (int x = left; x < right; ++x) {
      const std::uint32_t a = coverage[x - originX];
      if (a != 0)
        row[x] = Blend(row[x], color, a);
    }
  }
}

}  // namespace

PixelTarget TargetOf(Bitmap& bitmap) {
  return {bitmap.pixels.data(), bitmap.width, bitmap.height};
}

TextRenderer::TextRenderer(const std::string& fontPath, int pixelSize) {
  if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
    error_ = "text size " + std::to_string(pixelSize) + " px is outside 1.." +
             std::to_string(kMaxPixelSize);
    return;
  }
  FT_Library rawLibrary = nullptr;
  if (FT_Error error = FT_Init_FreeType(&rawLibrary)) {
    error_ = "FreeType cannot start (error " + std::to_string(error) + ")";
    return;
  }
  LibraryHandle library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (FT_Error error = FT_New_Face(library.get(), fontPath.c_str(), 0, &rawFace)) {
    error_ = DescribeLoadFailure(fontPath, error);
    return;
  }
  FaceHandle face(rawFace);
  if (FT_Error error = FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelSize))) {
    error_ = "the font " + fontPath + " has no size " + std::to_string(pixelSize) + " px (error " +
             std::to_string(error) + ")";
    return;
  }
  auto loaded = std::make_unique<Face>();
  loaded->ascent = static_cast<int>(face->size->metrics.ascender >> 6);
  loaded->height = static_cast<int>(face->size->metrics.height >> 6);
  for (FT_ULong code = 0; code < loaded->glyphs.size(); ++code) {
    // A character the font lacks is drawn as the font's missing-glyph box.
    if (FT_Load_Char(face.get(), code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
      loaded->glyphs[code] = CopyGlyph(face->glyph);
    }
  }
  face_ = std::move(loaded);
}

TextRenderer::~TextRenderer() = default;

bool TextRenderer::Available() const {
  return face_ != nullptr;
}

const std::string& TextRenderer::Error() const {
  return error_;
}

int TextRenderer::Width(std::string_view text) const {
  if (!face_)
    return 0;
  int width = 0;
  for (unsigned char c : text)
    width += face_->glyphs[c].advance;
  return width;
}

int TextRenderer::Height() const {
  return face_ ? face_->height : 0;
}

int TextRenderer::Ascent() const {
  return face_ ? face_->ascent : 0;
}

void TextRenderer::Draw(PixelTarget& target, int x, int y, std::string_view text,
                        std::uint32_t color, const PixelRect& clip) const {
  if (!face_ || target.pixels == nullptr)
    return;
  const PixelRect area = Intersect(clip, {0, 0, target.width, target.height});
  if (area.left >= area.right || area.top >= area.bottom)
    return;
  const int baseline = y + face_->ascent;
  int pen = x;
  for (unsigned char c : text) {
    const Glyph& glyph = face_->glyphs[c];
    DrawGlyph(target, pen + glyph.left, baseline - glyph.top, glyph, color & 0xFFFFFF, area);
    pen += glyph.advance;
  }
}

const TextRenderer& DefaultText() {
  static const TextRenderer renderer(kDefaultFontPath, kDefaultPixelSize);
  return renderer;
}

bool FontAvailable() {
  return DefaultText().Available();
}
const std::string& FontError() {
  return DefaultText().Error();
}
int TextWidth(std::string_view text) {
  return DefaultText().Width(text);
}
int TextHeight() {
  return DefaultText().Height();
}
int TextAscent() {
  return DefaultText().Ascent();
}

void DrawText(PixelTarget& target, int x, int y, std::string_view text, std::uint32_t color,
              const PixelRect& clip) {
  DefaultText().Draw(target, x, y, text, color, clip);
}

}  // namespace codec
