// Bitmaps from files, device contexts and copies between them.

#include <fstream>
#include <functional>

#include "codec/bmp.h"
#include "core_fixture.h"

namespace coretest {
namespace {

constexpr std::uint32_t kFace = 0xF0F0F0;

// A 4 by 3 picture whose every pixel differs: 0x0000yx + 0x100000.
codec::Bitmap Picture() {
  codec::Bitmap bitmap;
  bitmap.width = 4;
  bitmap.height = 3;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x)
      bitmap.pixels.push_back(0x100000u + static_cast<std::uint32_t>(y * 16 + x));
  }
  return bitmap;
}

std::uint32_t PictureAt(int x, int y) {
  return 0x100000u + static_cast<std::uint32_t>(y * 16 + x);
}

std::uint32_t GradientAt(int x, int y) {
  return 0x200000u + static_cast<std::uint32_t>(y * 256 + x);
}

class GdiTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    picturePath_ = (folder_.path() / "picture.bmp").string();
    ASSERT_TRUE(codec::WriteBmpFile(picturePath_, Picture()));
  }
  HBITMAP LoadPicture(const std::string& path) {
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  }
  // Every WM_PAINT of the test window runs `draw` on its paint DC.
  static void PaintWith(std::function<void(HDC)> draw) {
    TestHandler() = [draw](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg != WM_PAINT)
        return std::nullopt;
      PAINTSTRUCT ps;
      draw(BeginPaint(hwnd, &ps));
      EndPaint(hwnd, &ps);
      return 0;
    };
  }
  TempFolder folder_;
  std::string picturePath_;
};

struct BlitCase {
  const char* name;
  int x, y, cx, cy, srcX, srcY;
  RECT invalid;  // the paint area
  bool withPicture;
};

const BlitCase kBlitCases[] = {
    {"WholePicture", 10, 10, 4, 3, 0, 0, {0, 0, 212, 133}, true},
    {"LargerRequestCopiesOnlyThePicture", 10, 10, 160, 300, 0, 0, {0, 0, 212, 133}, true},
    {"SourceOffsetCutsThePicture", 10, 10, 4, 3, 2, 1, {0, 0, 212, 133}, true},
    {"NegativeSourceOffsetLeavesAGap", 10, 10, 4, 3, -1, -1, {0, 0, 212, 133}, true},
    {"ClippedToThePaintArea", 10, 10, 4, 3, 0, 0, {11, 11, 13, 12}, true},
    {"PartlyOutsideTheClient", 210, 131, 4, 3, 0, 0, {0, 0, 212, 133}, true},
    {"NoPictureCopiesTheOnePixelDefaultBitmap", 10, 10, 160, 300, 0, 0, {0, 0, 212, 133}, false},
};

class BlitTest : public GdiTest, public ::testing::WithParamInterface<BlitCase> {};

TEST_P(BlitTest, CopyIsClippedToTheSourceAndThePaintArea) {
  const BlitCase& c = GetParam();
  HWND main = MakeWindow();
  Pump();
  HBITMAP picture = LoadPicture(picturePath_);
  ASSERT_NE(picture, nullptr);
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT)
      return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = c.withPicture ? SelectObject(memory, picture) : nullptr;
    EXPECT_TRUE(BitBlt(dc, c.x, c.y, c.cx, c.cy, memory, c.srcX, c.srcY, SRCCOPY));
    if (old)
      SelectObject(memory, old);
    DeleteDC(memory);
    EndPaint(hwnd, &ps);
    return 0;
  };
  InvalidateRect(main, &c.invalid, FALSE);
  Pump();

  const w32::Surface* surface = w32::SurfaceOf(reinterpret_cast<w32::WindowId>(main));
  for (int y = 0; y < surface->height; ++y) {
    for (int x = 0; x < surface->width; ++x) {
      const int sx = x - c.x + c.srcX, sy = y - c.y + c.srcY;
      const bool inRequest = x >= c.x && y >= c.y && x < c.x + c.cx && y < c.y + c.cy;
      const bool inPaint =
          x >= c.invalid.left && y >= c.invalid.top && x < c.invalid.right && y < c.invalid.bottom;
      const int width = c.withPicture ? 4 : 1, height = c.withPicture ? 3 : 1;
      const bool inSource = sx >= 0 && sy >= 0 && sx < width && sy < height;
      std::uint32_t expected = kFace;
      if (inRequest && inPaint && inSource)
        expected = c.withPicture ? PictureAt(sx, sy) : 0x000000;
      ASSERT_EQ(Pixel(main, x, y), expected) << "at " << x << "," << y;
    }
  }
  EXPECT_TRUE(DeleteObject(picture));
}

INSTANTIATE_TEST_SUITE_P(Copies, BlitTest, ::testing::ValuesIn(kBlitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A picture of `width` by `height` whose every pixel differs.
codec::Bitmap Gradient(int width, int height) {
  codec::Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      bitmap.pixels.push_back(GradientAt(x, y));
  }
  return bitmap;
}

bool InAny(const std::vector<RECT>& rects, int x, int y) {
  for (const RECT& r : rects) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
      return true;
  }
  return false;
}

// A paint area of several invalid rectangles, less rectangles excluded from
// the paint DC: drawing reaches exactly what lies in both it and the request.
struct ClipCase {
  const char* name;
  std::vector<RECT> invalid;
  std::vector<RECT> excluded;
};

const ClipCase kClipCases[] = {
    {"TwoRectanglesSideBySide", {{5, 5, 30, 20}, {40, 10, 70, 25}}, {}},
    {"OverlappingRectangles", {{0, 0, 50, 50}, {25, 25, 90, 60}}, {{30, 30, 35, 35}}},
    {"HoleInTheWholeClient", {{0, 0, 212, 133}}, {{20, 8, 40, 18}}},
    {"HolesSplitOneRowSeveralTimes",
     {{10, 5, 100, 40}},
     {{20, 0, 30, 50}, {50, 10, 60, 20}, {55, 15, 80, 30}, {98, 5, 99, 40}}},
    {"EmptyAndOutsideExclusionsChangeNothing",
     {{0, 0, 80, 30}},
     {{60, 0, 50, 30}, {300, 0, 400, 9}}},
};

enum class DrawOp { kFill, kBlit };
constexpr RECT kRequest{8, 4, 108, 54};    // 100 by 50, as the gradient picture
constexpr std::uint32_t kFill = 0x696969;  // COLOR_3DDKSHADOW

class ClipTest : public GdiTest,
                 public ::testing::WithParamInterface<std::tuple<ClipCase, DrawOp>> {};

TEST_P(ClipTest, DrawingReachesThePaintAreaLessExcludedRectangles) {
  const auto& [c, op] = GetParam();
  HWND main = MakeWindow();
  Pump();
  const std::string gradientPath = (folder_.path() / "gradient.bmp").string();
  ASSERT_TRUE(codec::WriteBmpFile(gradientPath, Gradient(100, 50)));
  HBITMAP picture = LoadPicture(gradientPath);
  ASSERT_NE(picture, nullptr);
  PaintWith([&, op = op](HDC dc) {
    for (const RECT& r : c.excluded)
      ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    if (op == DrawOp::kFill) {
      FillRect(dc, &kRequest, GetSysColorBrush(COLOR_3DDKSHADOW));
    } else {
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, picture);
      BitBlt(dc, kRequest.left, kRequest.top, 100, 50, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
  });
  for (const RECT& r : c.invalid)
    InvalidateRect(main, &r, FALSE);
  Pump();

  for (int y = 0; y < 133; ++y) {
    for (int x = 0; x < 212; ++x) {
      const bool drawn =
          InAny({kRequest}, x, y) && InAny(c.invalid, x, y) && !InAny(c.excluded, x, y);
      std::uint32_t expected = kFace;
      if (drawn)
        expected = op == DrawOp::kFill ? kFill : GradientAt(x - kRequest.left, y - kRequest.top);
      ASSERT_EQ(Pixel(main, x, y), expected) << "at " << x << "," << y;
    }
  }
  EXPECT_TRUE(DeleteObject(picture));
}

INSTANTIATE_TEST_SUITE_P(Areas, ClipTest,
                         ::testing::Combine(::testing::ValuesIn(kClipCases),
                                            ::testing::Values(DrawOp::kFill, DrawOp::kBlit)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == DrawOp::kFill ? "_Fill" : "_Blit");
                         });

// A memory DC keeps its excluded rectangles, and a copy within its own
// bitmap reads every source pixel before any is overwritten.
TEST_F(GdiTest, MemoryDcExclusionsAndCopiesOntoItself) {
  const std::string gradientPath = (folder_.path() / "gradient.bmp").string();
  ASSERT_TRUE(codec::WriteBmpFile(gradientPath, Gradient(100, 50)));
  HBITMAP picture = LoadPicture(gradientPath);
  ASSERT_NE(picture, nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, picture);
  ASSERT_TRUE(BitBlt(memory, 3, 2, 100, 50, memory, 0, 0, SRCCOPY));
  const std::vector<RECT> excluded{{10, 10, 20, 40}, {15, 5, 30, 15}};
  for (const RECT& r : excluded)
    ExcludeClipRect(memory, r.left, r.top, r.right, r.bottom);
  const RECT all{0, 0, 100, 50};
  FillRect(memory, &all, GetSysColorBrush(COLOR_3DDKSHADOW));

  HWND main = MakeWindow();
  Pump();
  PaintWith([memory](HDC dc) { BitBlt(dc, 0, 0, 100, 50, memory, 0, 0, SRCCOPY); });
  InvalidateRect(main, nullptr, FALSE);
  Pump();
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 100; ++x) {
      std::uint32_t expected = kFill;
      if (InAny(excluded, x, y))
        expected = x >= 3 && y >= 2 ? GradientAt(x - 3, y - 2) : GradientAt(x, y);
      ASSERT_EQ(Pixel(main, x, y), expected) << "at " << x << "," << y;
    }
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  EXPECT_TRUE(DeleteObject(picture));
}

TEST_F(GdiTest, ABitmapIsSelectedIntoOneDcAtATime) {
  HBITMAP picture = LoadPicture(picturePath_);
  ASSERT_NE(picture, nullptr);
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);

  HGDIOBJ stock = SelectObject(first, picture);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(second, picture), nullptr);
  EXPECT_FALSE(DeleteObject(picture));               // still selected
  EXPECT_EQ(SelectObject(first, picture), picture);  // again into the same DC

  EXPECT_TRUE(DeleteDC(first));
  EXPECT_EQ(SelectObject(second, picture), stock);
  EXPECT_EQ(SelectObject(second, stock), picture);
  EXPECT_TRUE(DeleteObject(picture));
  EXPECT_EQ(SelectObject(second, picture), nullptr);  // gone
  EXPECT_FALSE(DeleteObject(picture));
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_FALSE(DeleteDC(second));
}

TEST_F(GdiTest, TwoLoadsOfOneFileAreTwoBitmaps) {
  HBITMAP a = LoadPicture(picturePath_);
  HBITMAP b = LoadPicture(picturePath_);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(first, a), nullptr);
  EXPECT_NE(SelectObject(second, b), nullptr);
  DeleteDC(first);
  DeleteDC(second);
  DeleteObject(a);
  DeleteObject(b);
}

TEST_F(GdiTest, NoBitmapGoesIntoAWindowsPaintDc) {
  HWND main = MakeWindow();
  HBITMAP picture = LoadPicture(picturePath_);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(main, &ps);
  EXPECT_EQ(SelectObject(dc, picture), nullptr);
  EndPaint(main, &ps);
  DeleteObject(picture);
}

struct LoadCase {
  const char* name;
  const char* request;  // relative to the folder, '\' as the window code writes it
  bool loads;
};

const LoadCase kLoadCases[] = {
    {"ExactPath", "ini\\Lights\\on.bmp", true},
    {"OtherCaseInEveryComponent", "INI\\lights\\ON.BMP", true},
    {"ForwardSlashes", "ini/Lights/on.bmp", true},
    {"MissingFile", "ini\\Lights\\off.bmp", false},
    {"MissingFolder", "ini\\Wing\\on.bmp", false},
    {"NotABitmap", "ini\\Lights\\notes.bmp", false},
    {"AFolder", "ini\\Lights", false},
};

class LoadImageTest : public GdiTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadImageTest, PathsMatchAsOnAWindowsFileSystem) {
  const LoadCase& c = GetParam();
  std::filesystem::create_directories(folder_.path() / "ini" / "Lights");
  ASSERT_TRUE(
      codec::WriteBmpFile((folder_.path() / "ini" / "Lights" / "on.bmp").string(), Picture()));
  std::ofstream(folder_.path() / "ini" / "Lights" / "notes.bmp") << "BM not really";

  // Relative to the working directory, as the program asks.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
  HBITMAP loaded = LoadPicture(c.request);
  std::filesystem::current_path(before);

  if (!c.loads) {
    EXPECT_EQ(loaded, nullptr);
    return;
  }
  ASSERT_NE(loaded, nullptr);
  BITMAP info{};
  ASSERT_EQ(GetObjectA(loaded, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 4);
  EXPECT_EQ(info.bmHeight, 3);
  DeleteObject(loaded);
}

INSTANTIATE_TEST_SUITE_P(Paths, LoadImageTest, ::testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, LoadImageTakesOnlyBitmapFilesAtTheirOwnSize) {
  const char* path = picturePath_.c_str();
  EXPECT_EQ(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path, IMAGE_BITMAP, 8, 6, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path, 1, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST_F(GdiTest, FillRectTakesSystemBrushesAndColourIndexes) {
  HWND main = MakeWindow();
  Pump();
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT)
      return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const RECT left{0, 0, 10, 10}, right{10, 0, 20, 10};
    FillRect(dc, &left, GetSysColorBrush(COLOR_WINDOW));
    FillRect(dc, &right, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNSHADOW + 1)));
    EndPaint(hwnd, &ps);
    return 0;
  };
  InvalidateRect(main, nullptr, FALSE);
  Pump();
  EXPECT_EQ(Pixel(main, 5, 5), 0xFFFFFFu);
  EXPECT_EQ(Pixel(main, 15, 5), 0xA0A0A0u);
  EXPECT_EQ(Pixel(main, 25, 5), kFace);
  EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_NE(GetSysColorBrush(COLOR_WINDOW), nullptr);
}

TEST_F(GdiTest, ExcludedRectanglesAreLeftAlone) {
  HWND main = MakeWindow();
  Pump();
  int leftKind = 0, noneKind = 0;
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT)
      return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    leftKind = ExcludeClipRect(dc, 10, 10, 20, 20);
    const RECT all{0, 0, 212, 133};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    noneKind = ExcludeClipRect(dc, 0, 0, 212, 133);
    EndPaint(hwnd, &ps);
    return 0;
  };
  InvalidateRect(main, nullptr, FALSE);
  Pump();
  EXPECT_EQ(Pixel(main, 15, 15), kFace);
  EXPECT_EQ(Pixel(main, 25, 15), 0xFFFFFFu);
  EXPECT_EQ(leftKind, 3);  // COMPLEXREGION
  EXPECT_EQ(noneKind, 1);  // NULLREGION
}

}  // namespace
}  // namespace coretest
