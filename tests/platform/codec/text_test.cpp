#include "codec/text.h"

#include <gtest/gtest.h>

#include "codec/bmp.h"

namespace codec {
namespace {

constexpr std::uint32_t kFace = 0xF0F0F0;
constexpr std::uint32_t kBlack = 0x000000;

Bitmap Canvas(int width, int height, std::uint32_t colour) {
  return Bitmap{width, height,
                std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

Bitmap Drawn(const std::string& text, int x, int y, std::uint32_t colour, const PixelRect& clip,
             std::uint32_t background = kFace) {
  Bitmap canvas = Canvas(120, 30, background);
  PixelTarget target = TargetOf(canvas);
  DrawText(target, x, y, text, colour, clip);
  return canvas;
}

constexpr PixelRect kEverywhere{-1000, -1000, 1000, 1000};

// The bounding box of the pixels that differ from `background`; right and
// bottom exclusive, all zero when nothing changed.
PixelRect Changed(const Bitmap& b, std::uint32_t background) {
  PixelRect box{b.width, b.height, 0, 0};
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (b.pixels[y * b.width + x] == background)
        continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  return box.right == 0 ? PixelRect{} : box;
}

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(FontAvailable()) << FontError(); }
};

TEST_F(TextTest, MetricsFitADialogFont) {
  EXPECT_TRUE(FontError().empty());
  EXPECT_GE(TextHeight(), 12);
  EXPECT_LE(TextHeight(), 14);
  EXPECT_GE(TextAscent(), 9);
  EXPECT_LT(TextAscent(), TextHeight());
  const int buttonText = TextWidth("Install Parts and Exit");
  EXPECT_GT(buttonText, 90);
  EXPECT_LT(buttonText, 150);
}

TEST_F(TextTest, WidthGrowsWithTheText) {
  EXPECT_EQ(TextWidth(""), 0);
  EXPECT_GT(TextWidth("i"), 0);
  EXPECT_LT(TextWidth("i"), TextWidth("W"));
  EXPECT_EQ(TextWidth("ON OFF"), TextWidth("ON") + TextWidth(" ") + TextWidth("OFF"));
  // A byte above 0x7F is one Latin-1 character: "\xE9" is e with acute.
  EXPECT_EQ(TextWidth("\xE9"), TextWidth("e"));
}

TEST_F(TextTest, DrawsAntiAliasedTextInsideItsLineBox) {
  const std::string text = "Lights OFF";
  const Bitmap canvas = Drawn(text, 10, 5, kBlack, kEverywhere);
  const PixelRect box = Changed(canvas, kFace);
  // Glyphs may reach a pixel past their advance, never beyond the line.
  EXPECT_GE(box.left, 10 - 1);
  EXPECT_LE(box.right, 10 + TextWidth(text) + 1);
  EXPECT_GE(box.top, 5);
  EXPECT_LE(box.bottom, 5 + TextHeight());
  EXPECT_GT(box.right - box.left, TextWidth(text) * 3 / 4);

  bool solid = false, partial = false;
  for (std::uint32_t p : canvas.pixels) {
    solid = solid || p == kBlack;
    partial = partial || (p != kBlack && p != kFace);
  }
  EXPECT_TRUE(solid) << "no pixel of the text is fully covered";
  EXPECT_TRUE(partial) << "the text has no anti-aliased edge";
}

TEST_F(TextTest, BlendsLinearlyOntoThePixelsBelow) {
  // Red over blue: each pixel is a mix of the two, so red + blue stays 255
  // (within rounding) and green stays 0.
  const Bitmap canvas = Drawn("Mudflap", 2, 2, 0xFF0000, kEverywhere, 0x0000FF);
  int mixed = 0;
  for (std::uint32_t p : canvas.pixels) {
    const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
    EXPECT_EQ(g, 0);
    EXPECT_NEAR(r + b, 255, 1);
    mixed += r != 0 && b != 0;
  }
  EXPECT_GT(mixed, 0);
  // Text in the background's own colour changes nothing.
  EXPECT_EQ(Drawn("Mudflap", 2, 2, kFace, kEverywhere).pixels, Canvas(120, 30, kFace).pixels);
}

TEST_F(TextTest, ClipKeepsPixelsOutsideAndMatchesInside) {
  const Bitmap whole = Drawn("Dashboard", 4, 4, kBlack, kEverywhere);
  const PixelRect clip{20, 8, 50, 13};
  const Bitmap clipped = Drawn("Dashboard", 4, 4, kBlack, clip);
  bool changedInside = false;
  for (int y = 0; y < whole.height; ++y) {
    for (int x = 0; x < whole.width; ++x) {
      const std::size_t i = y * whole.width + x;
      const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
      EXPECT_EQ(clipped.pixels[i], inside ? whole.pixels[i] : kFace) << x << "," << y;
      changedInside = changedInside || (inside && clipped.pixels[i] != kFace);
    }
  }
  EXPECT_TRUE(changedInside);
}

TEST_F(TextTest, TextPastTheTargetEdgesIsCut) {
  // Partly off every edge, and wholly off: only in-range pixels change (an
  // out-of-range write would be caught under AddressSanitizer).
  const struct {
    int x, y;
    bool anyVisible;
  } cases[] = {{-15, 5, true}, {100, 5, true},  {10, -6, true},
               {10, 22, true}, {200, 5, false}, {10, -40, false}};
  for (const auto& c : cases) {
    const Bitmap canvas = Drawn("Top Wing", c.x, c.y, kBlack, kEverywhere);
    EXPECT_EQ(Changed(canvas, kFace).right != 0, c.anyVisible) << c.x << "," << c.y;
  }
  Bitmap empty;
  PixelTarget none = TargetOf(empty);
  DrawText(none, 0, 0, "x", kBlack, kEverywhere);
}

TEST_F(TextTest, SameTextGivesSamePixels) {
  const PixelRect clip{0, 0, 120, 30};
  EXPECT_EQ(Drawn("Mirror, CB Anten", 3, 7, kBlack, clip).pixels,
            Drawn("Mirror, CB Anten", 3, 7, kBlack, clip).pixels);
  // Shifting the text shifts its pixels unchanged.
  const Bitmap a = Drawn("Back", 3, 7, kBlack, clip);
  const Bitmap b = Drawn("Back", 13, 9, kBlack, clip);
  for (int y = 0; y + 2 < 30; ++y) {
    for (int x = 0; x + 10 < 120; ++x) {
      ASSERT_EQ(a.pixels[y * 120 + x], b.pixels[(y + 2) * 120 + x + 10]) << x << "," << y;
    }
  }
}

TEST(TextWithoutFont, SaysWhyAndDrawsNothing) {
  const struct {
    const char* path;
    int pixelSize;
    const char* errorMentions;
  } cases[] = {
      {"/nonexistent/folder/NoSuchFont.ttf", kDefaultPixelSize,
       "/nonexistent/folder/NoSuchFont.ttf"},
      {"/proc/self/cmdline", kDefaultPixelSize, "/proc/self/cmdline"},  // not a font
      {kDefaultFontPath, 0, "0 px"},
  };
  for (const auto& c : cases) {
    const TextRenderer renderer(c.path, c.pixelSize);
    EXPECT_FALSE(renderer.Available()) << c.path;
    EXPECT_NE(renderer.Error().find(c.errorMentions), std::string::npos) << renderer.Error();
    EXPECT_EQ(renderer.Width("text"), 0);
    EXPECT_EQ(renderer.Height(), 0);
    Bitmap canvas = Canvas(20, 20, kFace);
    PixelTarget target = TargetOf(canvas);
    renderer.Draw(target, 0, 0, "text", kBlack, kEverywhere);
    EXPECT_EQ(canvas.pixels, Canvas(20, 20, kFace).pixels);
  }
}

}  // namespace
}  // namespace codec
