#include "bmp_samples.h"

namespace codec::testing {
namespace {

constexpr std::uint32_t kBiBitfields = 3;

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back((value >> (8 * i)) & 0xFF);
}

bool MasksFollowHeader(const BmpFields& f) {
  return f.headerSize == 40 && f.compression == kBiBitfields;
}

std::uint32_t PaletteEntrySize(const BmpFields& f) {
  return f.headerSize == 12 ? 3 : 4;
}

// A 3x2 picture: 3 pixels wide so that every bit count needs row padding.
const std::vector<std::vector<std::uint32_t>> kColours = {
    {0xFF0000, 0x00FF00, 0x0000FF},
    {0xFFFFFF, 0x000000, 0x808040},
};

Bitmap Picture(const std::vector<std::vector<std::uint32_t>>& rows) {
  Bitmap b;
  b.height = static_cast<int>(rows.size());
  b.width = static_cast<int>(rows[0].size());
  for (const auto& row : rows)
    b.pixels.insert(b.pixels.end(), row.begin(), row.end());
  return b;
}

// Indices 0..5 over the picture; a palette smaller than 6 repeats.
BmpSample Indexed(const std::string& name, int bpp, std::uint32_t headerSize, bool topDown,
                  std::uint32_t coloursUsed) {
  const std::vector<std::uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF,
                                              0xFFFFFF, 0x000000, 0x808040};
  const std::uint32_t count = coloursUsed != 0 ? coloursUsed : (1u << bpp);
  BmpFields f;
  f.headerSize = headerSize;
  f.bitsPerPixel = static_cast<std::uint16_t>(bpp);
  f.coloursUsed = coloursUsed;
  for (std::uint32_t i = 0; i < count; ++i)
    f.palette.push_back(palette[i % palette.size()]);
  std::vector<std::vector<std::uint32_t>> indices(2, std::vector<std::uint32_t>(3));
  std::vector<std::vector<std::uint32_t>> colours = indices;
  for (int i = 0; i < 6; ++i) {
    indices[i / 3][i % 3] = i % count;
    colours[i / 3][i % 3] = f.palette[i % count];
  }
  f.width = 3;
  f.height = topDown ? -2 : 2;
  f.pixelBytes = PackRows(bpp, indices, topDown);
  return {name, BuildBmp(f), Picture(colours)};
}

// Packs each colour of kColours under the masks (8-bit channels moved into
// place, so the masks here must be 8 bits wide), plus `extra` bits.
BmpSample Direct(const std::string& name, int bpp, std::uint32_t headerSize, bool topDown,
                 std::vector<std::uint32_t> masks, std::uint32_t extra = 0) {
  BmpFields f;
  f.headerSize = headerSize;
  f.bitsPerPixel = static_cast<std::uint16_t>(bpp);
  f.width = 3;
  f.height = topDown ? -2 : 2;
  std::vector<std::uint32_t> shifts = {16, 8, 0};
  if (!masks.empty()) {
    f.compression = kBiBitfields;
    f.masks = masks;
    for (int c = 0; c < 3; ++c) {
      shifts[c] = 0;
      while (((masks[c] >> shifts[c]) & 1) == 0)
        ++shifts[c];
    }
  }
  auto packed = kColours;
  for (auto& row : packed) {
    for (auto& pixel : row) {
      const std::uint32_t r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
      pixel = r << shifts[0] | g << shifts[1] | b << shifts[2] | extra;
    }
  }
  f.pixelBytes = PackRows(bpp, packed, topDown);
  return {name, BuildBmp(f), Picture(kColours)};
}

// 16-bit pixels: the stored values are given; 5- and 6-bit channels scale to
// 8 bits rounded to nearest (31 -> 255, 16 -> 132, 32 of 63 -> 130).
BmpSample Sixteen(const std::string& name, std::uint32_t headerSize,
                  std::vector<std::uint32_t> masks) {
  BmpFields f;
  f.headerSize = headerSize;
  f.bitsPerPixel = 16;
  f.width = 3;
  f.height = 1;
  std::vector<std::uint32_t> values;
  std::vector<std::uint32_t> colours = {0xFF0000, 0x0000FF, 0x848484};
  if (masks.empty()) {
    values = {0x7C00, 0x001F, 16u << 10 | 16u << 5 | 16u};  // 5-5-5
  } else {
    f.compression = kBiBitfields;
    f.masks = masks;
    values = {0xF800, 0x001F, 16u << 11 | 32u << 5 | 16u};  // 5-6-5
    colours[2] = 0x848284;
  }
  f.pixelBytes = PackRows(16, {values}, false);
  return {name, BuildBmp(f), Picture({colours})};
}

}  // namespace

std::uint32_t PixelOffset(const BmpFields& f) {
  return 14 + f.headerSize + (MasksFollowHeader(f) ? 12 : 0) +
         static_cast<std::uint32_t>(f.palette.size()) * PaletteEntrySize(f);
}

std::vector<std::uint8_t> BuildBmp(const BmpFields& f) {
  std::vector<std::uint8_t> out = {'B', 'M'};
  const std::uint32_t offset = PixelOffset(f);
  PutLittleEndian(out, offset + static_cast<std::uint32_t>(f.pixelBytes.size()), 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, offset, 4);
  PutLittleEndian(out, f.headerSize, 4);
  if (f.headerSize == 12) {
    PutLittleEndian(out, static_cast<std::uint32_t>(f.width), 2);
    PutLittleEndian(out, static_cast<std::uint32_t>(f.height), 2);
    PutLittleEndian(out, f.planes, 2);
    PutLittleEndian(out, f.bitsPerPixel, 2);
  } else {
    PutLittleEndian(out, static_cast<std::uint32_t>(f.width), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(f.height), 4);
    PutLittleEndian(out, f.planes, 2);
    PutLittleEndian(out, f.bitsPerPixel, 2);
    PutLittleEndian(out, f.compression, 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(f.pixelBytes.size()), 4);
    PutLittleEndian(out, 3780, 4);
    PutLittleEndian(out, 3780, 4);
    PutLittleEndian(out, f.coloursUsed, 4);
    PutLittleEndian(out, 0, 4);
    // Longer headers: masks first, the rest (colour space, intent...) zero.
    const std::size_t headerEnd = 14 + f.headerSize;
    for (std::size_t i = 0; i < f.masks.size() && out.size() < headerEnd; ++i) {
      PutLittleEndian(out, f.masks[i], 4);
    }
    out.resize(headerEnd, 0);
    if (MasksFollowHeader(f)) {
      for (int i = 0; i < 3; ++i)
        PutLittleEndian(out, f.masks.at(i), 4);
    }
  }
  for (std::uint32_t colour : f.palette) {
    PutLittleEndian(out, colour, 3);
    if (PaletteEntrySize(f) == 4)
      out.push_back(0);
  }
  out.insert(out.end(), f.pixelBytes.begin(), f.pixelBytes.end());
  return out;
}

std::vector<std::uint8_t> PackRows(int bpp, const std::vector<std::vector<std::uint32_t>>& rows,
                                   bool topDown) {
  std::vector<std::uint8_t> out;
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const auto& row = rows[topDown ? n : rows.size() - 1 - n];
    std::vector<std::uint8_t> bytes((row.size() * bpp + 31) / 32 * 4, 0);
    for (std::size_t x = 0; x < row.size(); ++x) {
      const std::size_t bit = x * bpp;
      if (bpp < 8) {
        bytes[bit / 8] |= row[x] << (8 - bpp - bit % 8);
      } else {
        for (int i = 0; i < bpp / 8; ++i)
          bytes[bit / 8 + i] = (row[x] >> (8 * i)) & 0xFF;
      }
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::vector<BmpSample> ValidSamples() {
  const std::vector<std::uint32_t> kRgbMasks = {0xFF0000, 0x00FF00, 0x0000FF};
  const std::vector<std::uint32_t> kBgrMasks = {0x0000FF, 0x00FF00, 0xFF0000};
  return {
      Indexed("bpp1_bottom_up", 1, 40, false, 0),
      Indexed("bpp1_core_header", 1, 12, false, 0),
      Indexed("bpp4_top_down", 4, 40, true, 0),
      Indexed("bpp4_six_colours_used", 4, 40, false, 6),
      Indexed("bpp8_bottom_up", 8, 40, false, 0),
      Indexed("bpp8_three_colours_used", 8, 40, false, 3),
      Indexed("bpp8_v5_header_top_down", 8, 124, true, 0),
      Indexed("bpp8_core_header", 8, 12, false, 0),
      Sixteen("bpp16_555", 40, {}),
      Sixteen("bpp16_565_bitfields_52", 52, {0xF800, 0x07E0, 0x001F}),
      Direct("bpp24_bottom_up", 24, 40, false, {}),
      Direct("bpp24_top_down", 24, 40, true, {}),
      Direct("bpp24_core_header", 24, 12, false, {}),
      Direct("bpp24_v4_header", 24, 108, false, {}),
      Direct("bpp32_high_byte_ignored", 32, 40, false, {}, 0xAB000000),
      Direct("bpp32_bitfields_after_header", 32, 40, false, kBgrMasks),
      Direct("bpp32_bitfields_56_alpha", 32, 56, false, {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000},
             0xFF000000),
      Direct("bpp32_bitfields_v4", 32, 108, true, kBgrMasks),
      Direct("bpp32_bitfields_v5_top_down", 32, 124, true, kRgbMasks),
  };
}

}  // namespace codec::testing
