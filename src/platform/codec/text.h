#pragma once
// Text drawn into pixel buffers the way a dialog's controls show it: DejaVu
// Sans at an 11 px em (about 8 pt at 96 dpi, a 13 px line), anti-aliased by
// linear blending onto the pixels already there. Bytes are Latin-1: each byte
// is one character, 0x80..0xFF being U+0080..U+00FF. Output depends only on
// the font file and the arguments.
//
// If the font cannot be loaded, measuring gives 0, drawing does nothing and
// FontError() says why; the program runs on without text.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace codec {

struct Bitmap;

// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A view of someone else's pixels: 0x00RRGGBB, rows top to bottom, width *
// height entries at `pixels`. The view does not own them.
struct PixelTarget {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

// The view of a bitmap's pixels; valid while the bitmap is neither resized
// nor destroyed.
PixelTarget TargetOf(Bitmap& bitmap);

inline constexpr const char* kDefaultFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr int kDefaultPixelSize = 11;

// One font face at one pixel size. The free functions below use one shared
// instance of the default font; a renderer of its own is for other fonts and
// for tests.
class TextRenderer {
 public:
  TextRenderer(const std::string& fontPath, int pixelSize);
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  bool Available() const;
  // Empty when the font is loaded; otherwise what went wrong, with the path.
  const std::string& Error() const;

  // The advance width of the text in pixels (0 for "" or without a font).
  int Width(std::string_view text) const;
  // The height of one line in pixels, and the distance from a line's top to
  // its baseline.
  int Height() const;
  int Ascent() const;

  // Draws text with its line's top-left corner at (x, y). Only pixels inside
  // both `clip` and the target change.
  void Draw(PixelTarget& target, int x, int y, std::string_view text, std::uint32_t color,
            const PixelRect& clip) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
  std::string error_;
};

// The shared default font (kDefaultFontPath at kDefaultPixelSize), loaded on
// first use.
const TextRenderer& DefaultText();

bool FontAvailable();
// Empty when the default font is loaded; otherwise why it is not.
const std::string& FontError();
int TextWidth(std::string_view text);
int TextHeight();
int TextAscent();
void DrawText(PixelTarget& target, int x, int y, std::string_view text, std::uint32_t color,
              const PixelRect& clip);

}  // namespace codec
