#pragma once
// Reading and writing Windows bitmap (BMP) files.
//
// Read: 1, 4 and 8 bits per pixel with a palette, 16, 24 and 32 bits per pixel
// (BI_RGB or BI_BITFIELDS), rows bottom-up or top-down (negative height), with
// a 12-byte core header or a 40, 52, 56, 108 or 124-byte info header.
// Everything else (compressed data, bad sizes, truncated files) is refused.
// Written: 24 bits per pixel, BI_RGB, bottom-up.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace codec {

// A picture in memory: pixels 0x00RRGGBB, rows top to bottom, left to right.
// A valid Bitmap has width > 0, height > 0 and width * height pixels.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Largest width and largest height accepted when reading.
inline constexpr int kMaxBmpDimension = 16384;

// Decodes a whole BMP file held in data[0, size). Never reads outside those
// bytes and allocates only after the file is known to hold every pixel.
// Returns nullopt for anything that is not a supported, complete BMP file.
// A palette index beyond the palette is refused too (nullopt): such a file is
// damaged, and guessing a colour would show a picture that was never drawn.
std::optional<Bitmap> DecodeBmp(const std::uint8_t* data, std::size_t size);

// Reads and decodes the file at path; nullopt if it cannot be read or decoded.
std::optional<Bitmap> LoadBmpFile(const std::string& path);

// The bytes of a 24-bit bottom-up BI_RGB BMP file holding the bitmap; empty
// when the bitmap is not valid (see Bitmap) or too large to write.
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

// Writes EncodeBmp24(bitmap) to path (created or emptied). True only when
// every byte was written and the file closed without error.
bool WriteBmpFile(const std::string& path, const Bitmap& bitmap);

}  // namespace codec
