#pragma once
// Small BMP files made byte by byte for the decoder's tests and the fuzzer's
// seeds, each with the picture it must decode to.

#include <cstdint>
#include <string>
#include <vector>

#include "codec/bmp.h"

namespace codec::testing {

// The fields of a BMP file as stored; BuildBmp lays them out. Colours are
// 0x00RRGGBB; `pixelBytes` are the rows exactly as stored (padding included).
struct BmpFields {
  std::uint32_t headerSize = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t coloursUsed = 0;
  std::vector<std::uint32_t> masks;  // red, green, blue (and alpha in 56+ headers)
  std::vector<std::uint32_t> palette;
  std::vector<std::uint8_t> pixelBytes;
};

// Where the pixels start: after the header, the masks that follow a 40-byte
// header and the palette.
std::uint32_t PixelOffset(const BmpFields& fields);
std::vector<std::uint8_t> BuildBmp(const BmpFields& fields);

// Packs values (palette indices or packed pixels) given top row first into
// stored rows of `bitsPerPixel`, padded to 4 bytes, bottom-up unless topDown.
std::vector<std::uint8_t> PackRows(int bitsPerPixel,
                                   const std::vector<std::vector<std::uint32_t>>& rows,
                                   bool topDown);

struct BmpSample {
  std::string name;
  std::vector<std::uint8_t> bytes;
  Bitmap expected;
};

// One sample per supported layout: every bit count, header size, orientation
// and colour-mask form the decoder accepts.
std::vector<BmpSample> ValidSamples();

}  // namespace codec::testing
