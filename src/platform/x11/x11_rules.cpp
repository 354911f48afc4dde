#include "x11_rules.h"

#include <algorithm>

namespace w32::x11 {
namespace {

// Keysym values from the X protocol's keysym table.
constexpr unsigned long kXkSpace = 0x0020;
constexpr unsigned long kXkReturn = 0xFF0D;
constexpr unsigned long kXkEscape = 0xFF1B;
constexpr unsigned long kXkKpEnter = 0xFF8D;

constexpr int kVkReturn = 0x0D;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;

// Where a channel mask's lowest bit sits and how many bits it has.
struct Channel {
  int shift = 0;
  int bits = 0;
};

Channel ChannelOf(std::uint32_t mask) {
  Channel channel;
  if (mask == 0) {
    return channel;
  }
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++channel.shift;
  }
  while ((mask & 1u) != 0) {
    mask >>= 1;
    ++channel.bits;
  }
  return channel;
}

// An 8-bit value scaled to the channel's width, placed at its shift.
std::uint32_t Place(std::uint32_t value8, const Channel& channel) {
  if (channel.bits == 0) {
    return 0;
  }
  const std::uint32_t scaled =
      channel.bits >= 8 ? value8 << (channel.bits - 8) : value8 >> (8 - channel.bits);
  return scaled << channel.shift;
}

}  // namespace

std::optional<int> VirtualKeyForKeysym(unsigned long keysym) {
  switch (keysym) {
    case kXkReturn:
    case kXkKpEnter:
      return kVkReturn;
    case kXkSpace:
      return kVkSpace;
    case kXkEscape:
      return kVkEscape;
    default:
      return std::nullopt;
  }
}

ScreenRect CentreOver(const ScreenRect& owner, int width, int height, int screenWidth,
                      int screenHeight) {
  ScreenRect box{owner.x + (owner.width - width) / 2, owner.y + (owner.height - height) / 2, width,
                 height};
  box.x = std::max(0, std::min(box.x, screenWidth - width));
  box.y = std::max(0, std::min(box.y, screenHeight - height));
  return box;
}

bool PixelPacking::IsIdentity() const {
  return redMask == 0xFF0000 && greenMask == 0x00FF00 && blueMask == 0x0000FF;
}

std::uint32_t PixelPacking::Pack(std::uint32_t rgb) const {
  return Place((rgb >> 16) & 0xFF, ChannelOf(redMask)) |
         Place((rgb >> 8) & 0xFF, ChannelOf(greenMask)) | Place(rgb & 0xFF, ChannelOf(blueMask));
}

void PackArea(const Surface& surface, const PixelRect& area, const PixelPacking& packing,
              std::uint32_t* image) {
  const bool identity = packing.IsIdentity();
  for (int y = area.top; y < area.bottom; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * surface.width;
    const std::uint32_t* from = surface.pixels.data() + row + area.left;
    std::uint32_t* to = image + row + area.left;
    const int count = area.right - area.left;
    if (identity) {
      std::copy(from, from + count, to);
    } else {
      std::transform(from, from + count, to, [&](std::uint32_t rgb) { return packing.Pack(rgb); });
    }
  }
}

PixelRect UniteRects(const PixelRect& a, const PixelRect& b) {
  if (IsEmpty(a)) {
    return b;
  }
  if (IsEmpty(b)) {
    return a;
  }
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

PixelRect ClipRect(const PixelRect& r, int width, int height) {
  const PixelRect clipped{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                          std::min(r.bottom, height)};
  return IsEmpty(clipped) ? PixelRect{} : clipped;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8.push_back(c);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return utf8;
}

}  // namespace w32::x11
