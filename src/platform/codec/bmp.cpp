#include "codec/bmp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

namespace codec {
namespace {

// On-disk layout, all numbers little-endian:
//   file header, 14 bytes: "BM", u32 file size, u32 reserved, u32 offset of the pixels
//   info header at 14: u32 size, then either the 12-byte core form
//     (u16 width, u16 height, u16 planes, u16 bits per pixel; palette entries BGR)
//   or the 40-byte form and its longer versions 52, 56, 108 and 124
//     (i32 width, i32 height, u16 planes, u16 bits per pixel, u32 compression,
//      u32 image size, i32 x and i32 y resolution, u32 colours used,
//      u32 colours important, then in 52+ bytes the red, green, blue masks;
//      palette entries BGRX).
// A 40-byte header with BI_BITFIELDS is followed by the three masks. The
// palette follows the header (and masks); the pixels start at the offset.
// Rows are padded to a multiple of 4 bytes and run bottom-up unless the
// height is negative. Example: a 1x1 24-bit pixel of red is "00 00 FF 00".
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr int kEncodedBitsPerPixel = 24;
constexpr std::int32_t kPixelsPerMeterAt96Dpi = 3780;
// The largest file that can hold a picture of the largest size: 32 bits per
// pixel plus the longest header and palette. Larger files are not read.
constexpr std::uint64_t kMaxFileBytes =
    std::uint64_t{kMaxBmpDimension} * kMaxBmpDimension * 4 + 14 + 124 + 12 + 256 * 4;

// Bounds-checked little-endian reads from a byte range. A read outside the
// range gives 0 and marks the reader failed; callers check ok() once.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint32_t U8(std::size_t at) { return Read(at, 1); }
  std::uint32_t U16(std::size_t at) { return Read(at, 2); }
  std::uint32_t U32(std::size_t at) { return Read(at, 4); }
  std::int32_t I32(std::size_t at) { return static_cast<std::int32_t>(Read(at, 4)); }
  bool ok() const { return ok_; }

 private:
  std::uint32_t Read(std::size_t at, std::size_t count) {
    if (at > size_ || size_ - at < count) {
      ok_ = false;
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      value |= static_cast<std::uint32_t>(data_[at + i]) << (8 * i);
    }
    return value;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  bool ok_ = true;
};

// One colour channel of a packed pixel: the bits under `mask`, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;  // mask >> shift

  std::uint32_t Extract(std::uint32_t pixel) const {
    std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((value * 255 + max / 2) / max);
  }
};

// A mask must be one run of set bits, e.g. 0x7C00 for 5-5-5 red.
std::optional<Channel> MakeChannel(std::uint32_t mask) {
  if (mask == 0)
    return std::nullopt;
  int shift = 0;
  while (((mask >> shift) & 1) == 0)
    ++shift;
  std::uint32_t bits = mask >> shift;
  if ((bits & (bits + 1)) != 0)
    return std::nullopt;
  return Channel{mask, shift, bits};
}

struct Layout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitsPerPixel = 0;
  std::size_t pixelOffset = 0;
  std::uint64_t stride = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, only for 1, 4 and 8 bits
  Channel red, green, blue;            // only for 16, 24 and 32 bits
};

struct InfoHeader {
  std::uint32_t size = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t planes = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t coloursUsed = 0;
  std::uint32_t masks[3] = {0, 0, 0};
  std::size_t paletteOffset = 0;
  std::size_t paletteEntrySize = 4;
};

bool IsKnownHeaderSize(std::uint32_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

std::optional<InfoHeader> ReadInfoHeader(ByteReader& in) {
  InfoHeader h;
  h.size = in.U32(kFileHeaderSize);
  if (!in.ok() || !IsKnownHeaderSize(h.size))
    return std::nullopt;
  const std::size_t at = kFileHeaderSize + 4;
  if (h.size == kCoreHeaderSize) {
    h.width = in.U16(at);
    h.height = in.U16(at + 2);
    h.planes = in.U16(at + 4);
    h.bitsPerPixel = in.U16(at + 6);
    h.paletteEntrySize = 3;
  } else {
    h.width = in.I32(at);
    h.height = in.I32(at + 4);
    h.planes = in.U16(at + 8);
    h.bitsPerPixel = in.U16(at + 10);
    h.compression = in.U32(at + 12);
    h.coloursUsed = in.U32(at + 28);
  }
  h.paletteOffset = kFileHeaderSize + h.size;
  if (h.compression == kBiBitfields) {
    // Masks sit inside headers of 52 bytes and more, right after a 40-byte one.
    const std::size_t masksAt = kFileHeaderSize + kInfoHeaderSize;
    for (int i = 0; i < 3; ++i)
      h.masks[i] = in.U32(masksAt + 4 * i);
    if (h.size == kInfoHeaderSize)
      h.paletteOffset += 12;
  }
  if (!in.ok())
    return std::nullopt;
  return h;
}

bool SetChannels(Layout& layout, const std::uint32_t (&masks)[3]) {
  auto red = MakeChannel(masks[0]);
  auto green = MakeChannel(masks[1]);
  auto blue = MakeChannel(masks[2]);
  if (!red || !green || !blue)
    return false;
  if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]))
    return false;
  const std::uint64_t limit = (std::uint64_t{1} << layout.bitsPerPixel) - 1;
  if ((masks[0] | masks[1] | masks[2]) > limit)
    return false;
  layout.red = *red;
  layout.green = *green;
  layout.blue = *blue;
  return true;
}

bool SetDirectColours(Layout& layout, const InfoHeader& h) {
  const int bpp = layout.bitsPerPixel;
  if (h.compression == kBiBitfields) {
    return (bpp == 16 || bpp == 32) && SetChannels(layout, h.masks);
  }
  if (bpp == 16)
    return SetChannels(layout, {0x7C00, 0x03E0, 0x001F});
  return SetChannels(layout, {0xFF0000, 0x00FF00, 0x0000FF});
}

// Reads the palette; it must lie wholly between the header and the pixels.
bool ReadPalette(Layout& layout, const InfoHeader& h, ByteReader& in) {
  const std::uint32_t maxEntries = 1u << layout.bitsPerPixel;
  if (h.compression != kBiRgb || h.coloursUsed > maxEntries)
    return false;
  const std::uint32_t count = h.coloursUsed == 0 ? maxEntries : h.coloursUsed;
  const std::size_t end = h.paletteOffset + std::size_t{count} * h.paletteEntrySize;
  if (end > layout.pixelOffset)
    return false;
  layout.palette.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = h.paletteOffset + i * h.paletteEntrySize;
    layout.palette[i] = in.U8(at + 2) << 16 | in.U8(at + 1) << 8 | in.U8(at);
  }
  return in.ok();
}

std::optional<Layout> ReadLayout(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  if (size < kFileHeaderSize || data[0] != 'B' || data[1] != 'M')
    return std::nullopt;
  auto h = ReadInfoHeader(in);
  if (!h || h->planes != 1)
    return std::nullopt;

  Layout layout;
  layout.pixelOffset = in.U32(10);
  if (layout.pixelOffset < h->paletteOffset || layout.pixelOffset > size)
    return std::nullopt;
  layout.topDown = h->height < 0;
  const std::int64_t height = layout.topDown ? -h->height : h->height;
  if (h->width <= 0 || h->width > kMaxBmpDimension || height <= 0 || height > kMaxBmpDimension) {
    return std::nullopt;
  }
  layout.width = static_cast<int>(h->width);
  layout.height = static_cast<int>(height);
  layout.bitsPerPixel = static_cast<int>(h->bitsPerPixel);

  switch (layout.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
      if (!ReadPalette(layout, *h, in))
        return std::nullopt;
      break;
    case 16:
    case 24:
    case 32:
      if (h->size == kCoreHeaderSize && layout.bitsPerPixel != 24)
        return std::nullopt;
      if (h->compression != kBiRgb && h->compression != kBiBitfields)
        return std::nullopt;
      if (!SetDirectColours(layout, *h))
        return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  layout.stride =
      (std::uint64_t{static_cast<std::uint32_t>(layout.width)} * layout.bitsPerPixel + 31) / 32 * 4;
  const std::uint64_t pixelBytes = layout.stride * static_cast<std::uint64_t>(layout.height);
  if (pixelBytes > size - layout.pixelOffset)
    return std::nullopt;
  return layout;
}

std::uint32_t ReadIndexed(const Layout& layout, const std::uint8_t* row, int x, bool& ok) {
  const int bpp = layout.bitsPerPixel;
  const std::size_t bit = static_cast<std::size_t>(x) * bpp;
  const int shift = 8 - bpp - static_cast<int>(bit % 8);
  const std::uint32_t index = (row[bit / 8] >> shift) & ((1u << bpp) - 1);
  if (index >= layout.palette.size()) {
    ok = false;
    return 0;
  }
  return layout.palette[index];
}

std::uint32_t ReadDirect(const Layout& layout, const std::uint8_t* row, int x) {
  const int bytes = layout.bitsPerPixel / 8;
  const std::uint8_t* p = row + static_cast<std::size_t>(x) * bytes;
  std::uint32_t packed = 0;
  for (int i = 0; i < bytes; ++i)
    packed |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return layout.red.Extract(packed) << 16 | layout.green.Extract(packed) << 8 |
         layout.blue.Extract(packed);
}

}  // namespace

std::optional<Bitmap> DecodeBmp(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr)
    return std::nullopt;
  auto layout = ReadLayout(data, size);
  if (!layout)
    return std::nullopt;

  Bitmap bitmap;
  bitmap.width = layout->width;
  bitmap.height = layout->height;
  bitmap.pixels.resize(static_cast<std::size_t>(layout->width) * layout->height);
  const bool indexed = !layout->palette.empty();
  bool ok = true;
  for (int y = 0; y < layout->height && ok; ++y) {
    const int fileRow = layout->topDown ? y : layout->height - 1 - y;
    const std::uint8_t* row = data + layout->pixelOffset + fileRow * layout->stride;
    std::uint32_t* out = &bitmap.pixels[static_cast<std::size_t>(y) * layout->width];
    if (layout->bitsPerPixel == 24) {
      // Always blue, green, red bytes: 24-bit files take no colour masks.
      for (int x = 0; x < layout->width; ++x, row += 3)
        out[x] = std::uint32_t{row[2]} << 16 | std::uint32_t{row[1]} << 8 | row[0];
      continue;
    }
    for (int x = 0; x < layout->width; ++x) {
      out[x] = indexed ? ReadIndexed(*layout, row, x, ok) : ReadDirect(*layout, row, x);
    }
  }
  if (!ok)
    return std::nullopt;
  return bitmap;
}

std::optional<Bitmap> LoadBmpFile(const std::string& path) {
  // Only regular files: reading a folder through a stream throws.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileBytes)
    return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream file(path, std::ios::binary);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    return std::nullopt;
  }
  return DecodeBmp(bytes.data(), bytes.size());
}

namespace {

bool IsValid(const Bitmap& bitmap) {
  return bitmap.width > 0 && bitmap.height > 0 &&
         bitmap.pixels.size() ==
             static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height);
}

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = value & 0xFF;
  out[at + 1] = (value >> 8) & 0xFF;
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  PutU16(out, at, value & 0xFFFF);
  PutU16(out, at + 2, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap) {
  if (!IsValid(bitmap))
    return {};
  const std::uint64_t stride =
      (std::uint64_t{static_cast<std::uint32_t>(bitmap.width)} * 3 + 3) / 4 * 4;
  const std::uint64_t imageSize = stride * static_cast<std::uint32_t>(bitmap.height);
  const std::uint64_t headersSize = kFileHeaderSize + kInfoHeaderSize;
  if (imageSize + headersSize > std::numeric_limits<std::uint32_t>::max())
    return {};

  std::vector<std::uint8_t> out(headersSize + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<std::uint32_t>(out.size()));
  PutU32(out, 10, static_cast<std::uint32_t>(headersSize));
  PutU32(out, 14, kInfoHeaderSize);
  PutU32(out, 18, static_cast<std::uint32_t>(bitmap.width));
  PutU32(out, 22, static_cast<std::uint32_t>(bitmap.height));
  PutU16(out, 26, 1);
  PutU16(out, 28, kEncodedBitsPerPixel);
  PutU32(out, 30, kBiRgb);
  PutU32(out, 34, static_cast<std::uint32_t>(imageSize));
  PutU32(out, 38, kPixelsPerMeterAt96Dpi);
  PutU32(out, 42, kPixelsPerMeterAt96Dpi);

  for (int y = 0; y < bitmap.height; ++y) {
    const std::size_t rowAt = headersSize + (bitmap.height - 1 - y) * stride;
    const std::uint32_t* in = &bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width];
    for (int x = 0; x < bitmap.width; ++x) {
      std::uint8_t* p = &out[rowAt + static_cast<std::size_t>(x) * 3];
      p[0] = in[x] & 0xFF;
      p[1] = (in[x] >> 8) & 0xFF;
      p[2] = (in[x] >> 16) & 0xFF;
    }
  }
  return out;
}

bool WriteBmpFile(const std::string& path, const Bitmap& bitmap) {
  const std::vector<std::uint8_t> bytes = EncodeBmp24(bitmap);
  if (bytes.empty())
    return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file)
    return false;
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace codec
