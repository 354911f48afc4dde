// Bitmaps from files, device contexts and copies between them.

#include <fstream>

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
