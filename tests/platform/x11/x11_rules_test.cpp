#include "x11_rules.h"

#include <gtest/gtest.h>

namespace w32::x11 {
namespace {

TEST(VirtualKeyForKeysym, PassesOnlyTheKeysThatAnswerAMessageBox) {
  struct Case {
    unsigned long keysym;
    std::optional<int> vk;
  };
  const Case cases[] = {
      {0xFF0D, 0x0D},          // Return
      {0xFF8D, 0x0D},          // KP_Enter
      {0x0020, 0x20},          // space
      {0xFF1B, 0x1B},          // Escape
      {0xFF09, std::nullopt},  // Tab
      {0x0061, std::nullopt},  // a
      {0xFF0A, std::nullopt},  // Linefeed, next to Return
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VirtualKeyForKeysym(c.keysym), c.vk) << std::hex << c.keysym;
  }
}

TEST(CentreOver, CentresOnTheOwnerAndStaysOnTheScreen) {
  struct Case {
    const char* what;
    ScreenRect owner;
    int width, height;
    int x, y;
  };
  const Case cases[] = {
      {"the main window's place", {50, 20, 687, 673}, 200, 100, 293, 306},
      {"odd leftover rounds down", {0, 0, 101, 101}, 50, 50, 25, 25},
      {"owner off the left and top edges", {-300, -200, 400, 300}, 200, 100, 0, 0},
      {"owner off the right and bottom edges", {900, 700, 400, 300}, 200, 100, 824, 668},
      {"box larger than the screen", {0, 0, 100, 100}, 2000, 1000, 0, 0},
  };
  for (const Case& c : cases) {
    const ScreenRect box = CentreOver(c.owner, c.width, c.height, 1024, 768);
    EXPECT_EQ(box.x, c.x) << c.what;
    EXPECT_EQ(box.y, c.y) << c.what;
    EXPECT_EQ(box.width, c.width) << c.what;
    EXPECT_EQ(box.height, c.height) << c.what;
  }
}

TEST(PixelPacking, MovesEachChannelToItsMask) {
  struct Case {
    const char* what;
    PixelPacking packing;
    std::uint32_t rgb, packed;
  };
  const Case cases[] = {
      {"RGB as the surface keeps it", {0xFF0000, 0x00FF00, 0x0000FF}, 0x00F0A010, 0x00F0A010},
      {"BGR", {0x0000FF, 0x00FF00, 0xFF0000}, 0x00F0A010, 0x0010A0F0},
      {"10 bits a channel", {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x00FF0080, 0x3FC00200},
      {"5-6-5", {0xF800, 0x07E0, 0x001F}, 0x00FFFFFF, 0xFFFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.packing.Pack(c.rgb), c.packed) << c.what;
  }
  EXPECT_TRUE(cases[0].packing.IsIdentity());
  EXPECT_FALSE(cases[1].packing.IsIdentity());
}

TEST(PackArea, CopiesOnlyTheAreaAndConvertsIt) {
  Surface surface{3, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112}};
  const std::uint32_t untouched = 0xDEADBEEF;
  std::vector<std::uint32_t> image(6, untouched);

  PackArea(surface, {1, 0, 3, 2}, PixelPacking{}, image.data());
  EXPECT_EQ(image, (std::vector<std::uint32_t>{untouched, 0x040506, 0x070809, untouched, 0x0D0E0F,
                                               0x101112}));

  std::vector<std::uint32_t> bgr(6, untouched);
  PackArea(surface, {0, 1, 1, 2}, PixelPacking{0x0000FF, 0x00FF00, 0xFF0000}, bgr.data());
  EXPECT_EQ(bgr, (std::vector<std::uint32_t>{untouched, untouched, untouched, 0x0C0B0A, untouched,
                                             untouched}));
}

TEST(Rects, UniteAndClip) {
  const PixelRect empty{};
  const PixelRect a{10, 20, 30, 40};
  const PixelRect b{25, 5, 50, 35};
  const auto same = [](const PixelRect& x, const PixelRect& y) {
    return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
  };
  EXPECT_TRUE(same(UniteRects(a, b), {10, 5, 50, 40}));
  EXPECT_TRUE(same(UniteRects(empty, a), a));
  EXPECT_TRUE(same(UniteRects(a, {60, 60, 60, 90}), a));  // zero width adds nothing
  EXPECT_TRUE(same(ClipRect({-5, -5, 700, 20}, 687, 673), {0, 0, 687, 20}));
  EXPECT_TRUE(same(ClipRect({700, 0, 800, 20}, 687, 673), empty));
  EXPECT_TRUE(IsEmpty(ClipRect({700, 0, 800, 20}, 687, 673)));
}

TEST(Latin1ToUtf8, KeepsAsciiAndEncodesTheUpperHalf) {
  EXPECT_EQ(Latin1ToUtf8("Karvo Zelt Omra Lights and Parts Changer"),
            "Karvo Zelt Omra Lights and Parts Changer");
  EXPECT_EQ(Latin1ToUtf8(""), "");
  EXPECT_EQ(Latin1ToUtf8("Gr\xFC\xDF \xA9"), "Gr\xC3\xBC\xC3\x9F \xC2\xA9");
}

}  // namespace
}  // namespace w32::x11
