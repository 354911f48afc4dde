// Draws the sample car's preview and placeholder pictures: 160 by 160, 24-bit
// BMP, each a simple drawing of its part in its state with a short label.
//
//   picture_generator CAR_FOLDER
//
// writes CAR_FOLDER/ini/... at the catalogue's paths ('\' becomes '/') and
// fails if a catalogue picture has no drawing. Output depends only on this
// program and the DejaVu font files.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue.h"
#include "codec/bmp.h"
#include "codec/text.h"

namespace {

constexpr int kSize = 160;
constexpr const char* kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Colours, 0x00RRGGBB.
constexpr std::uint32_t kSky = 0xDCE6F0;
constexpr std::uint32_t kGround = 0x9AA3AC;
constexpr std::uint32_t kBody = 0xB42828;
constexpr std::uint32_t kBodyDark = 0x7A1818;
constexpr std::uint32_t kGlass = 0x8EC6E8;
constexpr std::uint32_t kTyre = 0x202020;
constexpr std::uint32_t kRim = 0x9A9A9A;
constexpr std::uint32_t kBumper = 0x3A3A3A;
constexpr std::uint32_t kLampDark = 0x5A5A5A;
constexpr std::uint32_t kLampLit = 0xFFF27A;
constexpr std::uint32_t kGlow = 0xFFF9C8;
constexpr std::uint32_t kTailLamp = 0xE04040;
constexpr std::uint32_t kPlate = 0xFAFAFA;
constexpr std::uint32_t kInk = 0x101010;
constexpr std::uint32_t kOnGreen = 0x1E8C32;
constexpr std::uint32_t kOffGrey = 0x5A5A5A;
constexpr std::uint32_t kPanel = 0x2C2C30;
constexpr std::uint32_t kDial = 0xF4F4F0;
constexpr std::uint32_t kNeedle = 0xE03020;
constexpr std::uint32_t kDigit = 0x46F064;
constexpr std::uint32_t kArrow = 0x2A6CC8;

struct Pt {
  double x, y;
};

// A 160 by 160 picture with a few filled shapes. Shapes sample pixel centres,
// so edges are hard; only text is anti-aliased.
class Canvas {
 public:
  explicit Canvas(std::uint32_t background) {
    bitmap_.width = kSize;
    bitmap_.height = kSize;
    bitmap_.pixels.assign(kSize * kSize, background);
  }

  void Fill(int left, int top, int right, int bottom, std::uint32_t color) {
    for (int y = std::max(top, 0); y < std::min(bottom, kSize); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, kSize); ++x)
        Put(x, y, color);
    }
  }

  void Frame(int left, int top, int right, int bottom, int width, std::uint32_t color) {
    Fill(left, top, right, top + width, color);
    Fill(left, bottom - width, right, bottom, color);
    Fill(left, top, left + width, bottom, color);
    Fill(right - width, top, right, bottom, color);
  }

  void Ellipse(double cx, double cy, double rx, double ry, std::uint32_t color) {
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const double dx = (x + 0.5 - cx) / rx;
        const double dy = (y + 0.5 - cy) / ry;
        if (dx * dx + dy * dy <= 1.0)
          Put(x, y, color);
      }
    }
  }

  // Even-odd fill of a closed polygon.
  void Polygon(const std::vector<Pt>& points, std::uint32_t color) {
    for (int y = 0; y < kSize; ++y) {
      const double sy = y + 0.5;
      std::vector<double> crossings;
      for (std::size_t i = 0; i < points.size(); ++i) {
        const Pt& a = points[i];
        const Pt& b = points[(i + 1) % points.size()];
        if ((a.y <= sy) != (b.y <= sy))
          crossings.push_back(a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y));
      }
      std::sort(crossings.begin(), crossings.end());
      for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        for (int x = static_cast<int>(std::ceil(crossings[i] - 0.5));
             x + 0.5 <= crossings[i + 1] && x < kSize; ++x) {
          if (x >= 0)
            Put(x, y, color);
        }
      }
    }
  }

  void Line(Pt a, Pt b, double width, std::uint32_t color) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double nx = -(b.y - a.y) / length * width / 2;
    const double ny = (b.x - a.x) / length * width / 2;
    Polygon(
        {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}},
        color);
  }

  // One line of text centred on x, its top at y.
  void Text(int x, int y, const std::string& text, int pixelSize, std::uint32_t color) {
    const codec::TextRenderer& renderer = Font(pixelSize);
    codec::PixelTarget target = codec::TargetOf(bitmap_);
    renderer.Draw(target, x - renderer.Width(text) / 2, y, text, color, {0, 0, kSize, kSize});
  }

  const codec::Bitmap& bitmap() const { return bitmap_; }

 private:
  void Put(int x, int y, std::uint32_t color) { bitmap_.pixels[y * kSize + x] = color; }

  static const codec::TextRenderer& Font(int pixelSize) {
    static std::map<int, std::unique_ptr<codec::TextRenderer>> fonts;
    std::unique_ptr<codec::TextRenderer>& font = fonts[pixelSize];
    if (!font)
      font = std::make_unique<codec::TextRenderer>(kBoldFont, pixelSize);
    return *font;
  }

  codec::Bitmap bitmap_;
};

// The label under every drawing: what the picture is about, and its state in
// green (fitted, lit) or grey (absent, dark).
void Label(Canvas& canvas, const std::string& subject, const std::string& state, bool on) {
  canvas.Fill(0, 124, kSize, kSize, 0xFFFFFF);
  canvas.Fill(0, 124, kSize, 125, 0x808080);
  canvas.Text(kSize / 2, 126, subject, 13, kInk);
  canvas.Text(kSize / 2, 142, state, 14, on ? kOnGreen : kOffGrey);
}

// ---- The car seen from the front or the back ----

enum class Lamp { kNone, kDark, kLit };

struct EndView {
  bool front = true;
  bool plate = true;
  Lamp headlights = Lamp::kDark;  // from the back: the tail lights, always shown red
  Lamp bumperLights = Lamp::kNone;
};

void Plate(Canvas& canvas, int cx, int top, const std::string& text) {
  canvas.Fill(cx - 22, top, cx + 22, top + 12, kPlate);
  canvas.Frame(cx - 22, top, cx + 22, top + 12, 1, kInk);
  canvas.Text(cx, top, text, 10, kInk);
}

void Lamps(Canvas& canvas, double y, double rx, double ry, double inset, Lamp lamp,
           std::uint32_t lit) {
  for (double cx : {inset, kSize - inset}) {
    if (lamp == Lamp::kLit)
      canvas.Ellipse(cx, y, rx + 5, ry + 4, kGlow);
    canvas.Ellipse(cx, y, rx + 1, ry + 1, kInk);
    canvas.Ellipse(cx, y, rx, ry, lamp == Lamp::kLit ? lit : kLampDark);
  }
}

Canvas DrawEndView(const EndView& view) {
  Canvas canvas(kSky);
  canvas.Fill(0, 104, kSize, 124, kGround);
  canvas.Fill(26, 96, 44, 116, kTyre);
  canvas.Fill(116, 96, 134, 116, kTyre);
  canvas.Polygon({{44, 30}, {116, 30}, {132, 58}, {28, 58}}, kBody);
  canvas.Polygon({{50, 35}, {110, 35}, {122, 56}, {38, 56}}, view.front ? kGlass : 0x6A8EA8);
  canvas.Fill(18, 58, 142, 96, kBody);
  canvas.Fill(18, 92, 142, 96, kBodyDark);
  canvas.Fill(60, 64, 100, 78, kBodyDark);  // grille or boot lid
  canvas.Fill(14, 96, 146, 110, kBumper);
  if (view.front) {
    Lamps(canvas, 72, 12, 7, 34, view.headlights, kLampLit);
  } else {
    Lamps(canvas, 72, 12, 7, 34, Lamp::kDark, kLampDark);
    canvas.Ellipse(34, 72, 12, 7, kTailLamp);
    canvas.Ellipse(kSize - 34, 72, 12, 7, kTailLamp);
  }
  if (view.bumperLights != Lamp::kNone) {
    Lamps(canvas, 103, 5, 4, 24, view.bumperLights, 0xFFB030);
  }
  if (view.plate)
    Plate(canvas, 80, 97, "KZO 1");
  return canvas;
}

// ---- The car seen from the side, facing right ----

struct SideView {
  bool wing = false;
  bool mudflaps = false;
};

Canvas DrawSideView(const SideView& view) {
  Canvas canvas(kSky);
  canvas.Fill(0, 110, kSize, 124, kGround);
  canvas.Polygon({{40, 52}, {96, 52}, {116, 74}, {24, 74}}, kBody);
  canvas.Polygon({{46, 56}, {68, 56}, {68, 72}, {32, 72}}, kGlass);
  canvas.Polygon({{72, 56}, {94, 56}, {108, 72}, {72, 72}}, kGlass);
  canvas.Fill(10, 74, 150, 100, kBody);
  canvas.Fill(10, 96, 150, 100, kBodyDark);
  canvas.Fill(146, 78, 150, 86, kLampLit);
  canvas.Fill(10, 78, 13, 86, kTailLamp);
  for (double cx : {40.0, 120.0}) {
    canvas.Ellipse(cx, 100, 15, 15, kTyre);
    canvas.Ellipse(cx, 100, 7, 7, kRim);
  }
  if (view.mudflaps) {
    // Behind each wheel, hanging to just above the road.
    canvas.Fill(16, 96, 23, 117, kInk);
    canvas.Fill(96, 96, 103, 117, kInk);
  }
  if (view.wing) {
    canvas.Fill(22, 40, 26, 52, kInk);
    canvas.Fill(38, 40, 42, 52, kInk);
    canvas.Polygon({{8, 34}, {52, 36}, {52, 42}, {8, 42}}, kInk);
  }
  return canvas;
}

// ---- The dashboard seen from the driver's seat ----

void Dial(Canvas& canvas, double cx, double cy, double r, double needleDegrees) {
  canvas.Ellipse(cx, cy, r + 2, r + 2, 0x909090);
  canvas.Ellipse(cx, cy, r, r, kDial);
  for (int tick = 0; tick <= 8; ++tick) {
    const double a = (225 - tick * 33.75) * M_PI / 180;
    canvas.Line({cx + std::cos(a) * r * 0.75, cy - std::sin(a) * r * 0.75},
                {cx + std::cos(a) * r * 0.95, cy - std::sin(a) * r * 0.95}, 1.5, kInk);
  }
  const double a = needleDegrees * M_PI / 180;
  canvas.Line({cx, cy}, {cx + std::cos(a) * r * 0.8, cy - std::sin(a) * r * 0.8}, 2, kNeedle);
  canvas.Ellipse(cx, cy, 2.5, 2.5, kInk);
}

Canvas DrawDashboard(bool stack) {
  Canvas canvas(0x6E747A);
  canvas.Polygon({{0, 40}, {160, 40}, {160, 124}, {0, 124}}, kPanel);
  canvas.Ellipse(80, 128, 58, 26, 0x1A1A1A);  // steering wheel rim, top half
  canvas.Ellipse(80, 128, 50, 19, kPanel);
  if (stack) {
    // Three rectangular gauges stacked in the middle, bar and digits in each.
    for (int row = 0; row < 3; ++row) {
      const int top = 46 + row * 22;
      canvas.Fill(48, top, 112, top + 18, 0x101010);
      canvas.Frame(48, top, 112, top + 18, 1, 0x808080);
      canvas.Fill(52, top + 11, 52 + 14 * (row + 2), top + 15, kDigit);
      canvas.Text(92, top + 1, row == 0 ? "88" : row == 1 ? "4.2" : "90", 10, kDigit);
    }
  } else {
    Dial(canvas, 50, 78, 26, 150);
    Dial(canvas, 110, 78, 26, 60);
  }
  Label(canvas, "DASHBOARD", stack ? "STACK" : "ANALOG", true);
  return canvas;
}

// ---- The mirror on the door, with the CB antenna beside it ----

Canvas DrawMirror(bool modern) {
  Canvas canvas(kSky);
  canvas.Polygon({{0, 90}, {160, 70}, {160, 124}, {0, 124}}, kBody);  // door top
  canvas.Polygon({{0, 90}, {160, 70}, {160, 74}, {0, 94}}, kBodyDark);
  canvas.Line({138, 74}, {146, 8}, 2, kInk);  // CB antenna
  canvas.Ellipse(138, 74, 4, 3, kInk);
  if (modern) {
    canvas.Polygon({{60, 84}, {70, 70}, {74, 70}, {66, 84}}, kBodyDark);
    canvas.Polygon({{30, 50}, {104, 42}, {112, 58}, {96, 72}, {36, 74}, {26, 62}}, kBody);
    canvas.Polygon({{36, 54}, {100, 48}, {104, 58}, {92, 68}, {40, 69}, {33, 61}}, kGlass);
  } else {
    canvas.Line({70, 84}, {70, 62}, 4, 0xC0C0C0);  // chrome stalk
    canvas.Ellipse(70, 44, 25, 25, 0xC8C8C8);
    canvas.Ellipse(70, 44, 21, 21, kGlass);
  }
  Label(canvas, "MIRROR", modern ? "MODERN" : "80'S ROUND", true);
  return canvas;
}

// ---- Placeholders: ask the player to choose, pointing at the group box ----

Canvas DrawPlaceholder(bool arrowUp, const std::string& line1, const std::string& line2) {
  Canvas canvas(0xF8F4E4);
  canvas.Frame(0, 0, kSize, kSize, 3, kArrow);
  const double tip = arrowUp ? 12 : 148;
  const double base = arrowUp ? 40 : 120;
  const double tail = arrowUp ? 62 : 98;
  canvas.Polygon({{80, tip}, {108, base}, {52, base}}, kArrow);
  canvas.Fill(71, static_cast<int>(std::min(base, tail)), 89,
              static_cast<int>(std::max(base, tail)), kArrow);
  const int textTop = arrowUp ? 76 : 40;
  canvas.Text(kSize / 2, textTop, line1, 15, kInk);
  canvas.Text(kSize / 2, textTop + 20, line2, 15, kInk);
  return canvas;
}

Canvas Labelled(Canvas canvas, const std::string& subject, const std::string& state, bool on) {
  Label(canvas, subject, state, on);
  return canvas;
}

// Every picture by catalogue path. "ini\Lights\off.bmp" is also the Extra
// Lights "Not Used" picture, so it shows the car with no bumper lights. The
// catalogue shows "ini\wing\on.bmp" for the Top Wing "OFF" option and
// "ini\wing\off.bmp" for "ON", so each wing file is drawn for the option that
// shows it: the player sees the state they chose.
std::map<std::string, std::function<Canvas()>> Pictures() {
  return {
      {"ini\\choose.bmp", [] { return DrawPlaceholder(true, "CHOOSE", "A PART"); }},
      {"ini\\choose2.bmp", [] { return DrawPlaceholder(false, "CHOOSE", "A PART"); }},
      {"ini\\choose3.bmp", [] { return DrawPlaceholder(false, "CHOOSE A", "DASHBOARD"); }},
      {"ini\\frontcarplate\\off.bmp",
       [] {
         return Labelled(DrawEndView({true, false}), "FRONT PLATE", "OFF", false);
       }},
      {"ini\\frontcarplate\\on.bmp",
       [] {
         return Labelled(DrawEndView({true, true}), "FRONT PLATE", "ON", true);
       }},
      {"ini\\Lights\\off.bmp",
       [] {
         return Labelled(DrawEndView({true, true, Lamp::kDark}), "LIGHTS", "OFF", false);
       }},
      {"ini\\Lights\\on.bmp",
       [] {
         return Labelled(DrawEndView({true, true, Lamp::kLit}), "LIGHTS", "ON", true);
       }},
      {"ini\\bumperextralights\\bumoff.bmp",
       [] {
         return Labelled(DrawEndView({true, true, Lamp::kDark, Lamp::kDark}), "BUMPER LIGHTS",
                         "OFF", false);
       }},
      {"ini\\bumperextralights\\bumon.bmp",
       [] {
         return Labelled(DrawEndView({true, true, Lamp::kDark, Lamp::kLit}), "BUMPER LIGHTS", "ON",
                         true);
       }},
      {"ini\\dashboard\\analog.bmp", [] { return DrawDashboard(false); }},
      {"ini\\dashboard\\stack.bmp", [] { return DrawDashboard(true); }},
      {"ini\\backcarplate\\off.bmp",
       [] {
         return Labelled(DrawEndView({false, false}), "BACK PLATE", "OFF", false);
       }},
      {"ini\\backcarplate\\on.bmp",
       [] {
         return Labelled(DrawEndView({false, true}), "BACK PLATE", "ON", true);
       }},
      {"ini\\wing\\off.bmp",
       [] {
         return Labelled(DrawSideView({true, false}), "TOP WING", "ON", true);
       }},
      {"ini\\wing\\on.bmp",
       [] {
         return Labelled(DrawSideView({false, false}), "TOP WING", "OFF", false);
       }},
      {"ini\\mudflap\\off.bmp",
       [] {
         return Labelled(DrawSideView({false, false}), "MUDFLAPS", "OFF", false);
       }},
      {"ini\\mudflap\\on.bmp",
       [] {
         return Labelled(DrawSideView({false, true}), "MUDFLAPS", "ON", true);
       }},
      {"ini\\mirror\\stock.bmp", [] { return DrawMirror(false); }},
      {"ini\\mirror\\racing.bmp", [] { return DrawMirror(true); }},
  };
}

std::filesystem::path OnDisk(const std::filesystem::path& folder, std::string_view catalogPath) {
  return folder / WithForwardSlashes(catalogPath);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picture_generator CAR_FOLDER\n");
    return 2;
  }
  if (!codec::TextRenderer(kBoldFont, 13).Available()) {
    std::fprintf(stderr, "picture_generator: cannot load %s\n", kBoldFont);
    return 1;
  }
  const auto pictures = Pictures();
  for (const PartGroup& group : PartGroups()) {
    for (const PartOption& option : group) {
      if (!pictures.count(std::string(option.previewPicture))) {
        std::fprintf(stderr, "picture_generator: no drawing for %s\n",
                     std::string(option.previewPicture).c_str());
        return 1;
      }
    }
  }
  const std::filesystem::path folder = argv[1];
  for (const auto& [catalogPath, draw] : pictures) {
    const std::filesystem::path file = OnDisk(folder, catalogPath);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error || !codec::WriteBmpFile(file.string(), draw().bitmap())) {
      std::fprintf(stderr, "picture_generator: cannot write %s\n", file.string().c_str());
      return 1;
    }
  }
  return 0;
}
