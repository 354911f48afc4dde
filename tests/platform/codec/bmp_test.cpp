#include "codec/bmp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <unistd.h>

#include "bmp_samples.h"

namespace codec {
namespace testing {
void PrintTo(const BmpSample& sample, std::ostream* out) {
  *out << sample.name;
}
}  // namespace testing

namespace {

using testing::BmpFields;
using testing::BmpSample;
using testing::BuildBmp;
using testing::PackRows;

// Decodes from a heap block of exactly `bytes.size()` bytes, so that
// AddressSanitizer reports any read past the file's end.
std::optional<Bitmap> Decode(const std::vector<std::uint8_t>& bytes) {
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  return DecodeBmp(exact.get(), bytes.size());
}

void ExpectSamePicture(const Bitmap& actual, const Bitmap& expected) {
  ASSERT_EQ(actual.width, expected.width);
  ASSERT_EQ(actual.height, expected.height);
  ASSERT_EQ(actual.pixels.size(), expected.pixels.size());
  for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
    EXPECT_EQ(actual.pixels[i], expected.pixels[i])
        << "pixel " << i % expected.width << "," << i / expected.width << std::hex << " got 0x"
        << actual.pixels[i] << " want 0x" << expected.pixels[i];
  }
}

class ValidBmp : public ::testing::TestWithParam<BmpSample> {};

TEST_P(ValidBmp, DecodesToItsPicture) {
  const auto decoded = Decode(GetParam().bytes);
  ASSERT_TRUE(decoded.has_value());
  ExpectSamePicture(*decoded, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ValidBmp, ::testing::ValuesIn(testing::ValidSamples()),
                         [](const auto& info) { return info.param.name; });

TEST(DecodeBmp, ReadsHandWrittenFile) {
  // 2x2, 24 bits, bottom-up: the stored first row is the picture's bottom row.
  const std::vector<std::uint8_t> file = {
      'B',  'M',  70,   0,    0,    0,    0, 0, 0, 0, 54, 0, 0, 0,         // file header
      40,   0,    0,    0,    2,    0,    0, 0, 2, 0, 0,  0, 1, 0, 24, 0,  // size, 2x2, planes, bpp
      0,    0,    0,    0,    16,   0,    0, 0, 0, 0, 0,  0, 0, 0, 0,  0,  // BI_RGB, image size
      0,    0,    0,    0,    0,    0,    0, 0,                            // colours
      0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0,  // bottom: red, green, pad
      0xFF, 0x00, 0x00, 0x10, 0x20, 0x30, 0, 0,  // top: blue, 0x302010, pad
  };
  const auto decoded = Decode(file);
  ASSERT_TRUE(decoded.has_value());
  ExpectSamePicture(*decoded, Bitmap{2, 2, {0x0000FF, 0x302010, 0xFF0000, 0x00FF00}});
}

// A valid 8-bit file (3x2, 256 colours) with one thing broken.
struct Malformed {
  const char* name;
  std::function<void(BmpFields&)> changeFields;                 // before building
  std::function<void(std::vector<std::uint8_t>&)> changeBytes;  // after building
};

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = (value >> (8 * i)) & 0xFF;
}

BmpFields EightBitFields() {
  BmpFields f;
  f.bitsPerPixel = 8;
  f.width = 3;
  f.height = 2;
  f.palette.assign(256, 0x123456);
  f.pixelBytes = PackRows(8, {{0, 1, 2}, {3, 4, 255}}, false);
  return f;
}

BmpFields ThirtyTwoBitFields(std::vector<std::uint32_t> masks) {
  BmpFields f;
  f.bitsPerPixel = 32;
  f.width = 1;
  f.height = 1;
  f.compression = 3;
  f.masks = std::move(masks);
  f.pixelBytes = {1, 2, 3, 4};
  return f;
}

const Malformed kMalformed[] = {
    {"empty_file", nullptr, [](auto& b) { b.clear(); }},
    {"only_magic", nullptr, [](auto& b) { b.resize(2); }},
    {"bad_magic", nullptr, [](auto& b) { b[1] = 'A'; }},
    {"file_header_cut", nullptr, [](auto& b) { b.resize(12); }},
    {"info_header_cut", nullptr, [](auto& b) { b.resize(14 + 20); }},
    {"unknown_header_size", [](auto& f) { f.headerSize = 64; }, nullptr},
    {"offset_past_end", nullptr,
     [](auto& b) { PutU32(b, 10, static_cast<std::uint32_t>(b.size() + 1)); }},
    {"offset_inside_header", nullptr, [](auto& b) { PutU32(b, 10, 20); }},
    {"offset_inside_palette", nullptr, [](auto& b) { PutU32(b, 10, 14 + 40 + 100); }},
    {"offset_inside_masks",
     [](auto& f) {
       f = ThirtyTwoBitFields({0xFF0000, 0xFF00, 0xFF});
     },
     [](auto& b) { PutU32(b, 10, 14 + 40); }},
    {"offset_huge", nullptr, [](auto& b) { PutU32(b, 10, 0xFFFFFFF0); }},
    {"zero_width", [](auto& f) { f.width = 0; }, nullptr},
    {"negative_width", [](auto& f) { f.width = -3; }, nullptr},
    {"zero_height", [](auto& f) { f.height = 0; }, nullptr},
    {"width_over_limit", [](auto& f) { f.width = kMaxBmpDimension + 1; }, nullptr},
    {"height_over_limit_top_down", [](auto& f) { f.height = -(kMaxBmpDimension + 1); }, nullptr},
    {"height_most_negative", [](auto& f) { f.height = INT32_MIN; }, nullptr},
    {"largest_size_tiny_file",
     [](auto& f) {
       f.width = kMaxBmpDimension;
       f.height = kMaxBmpDimension;
     },
     nullptr},
    {"pixels_one_byte_short", nullptr, [](auto& b) { b.pop_back(); }},
    {"planes_two", [](auto& f) { f.planes = 2; }, nullptr},
    {"bpp_zero", [](auto& f) { f.bitsPerPixel = 0; }, nullptr},
    {"bpp_two", [](auto& f) { f.bitsPerPixel = 2; }, nullptr},
    {"bpp_sixty_four", [](auto& f) { f.bitsPerPixel = 64; }, nullptr},
    {"rle8", [](auto& f) { f.compression = 1; }, nullptr},
    {"rle4",
     [](auto& f) {
       f.compression = 2;
       f.bitsPerPixel = 4;
     },
     nullptr},
    {"jpeg",
     [](auto& f) {
       f.compression = 4;
       f.bitsPerPixel = 24;
       f.palette.clear();
     },
     nullptr},
    {"png",
     [](auto& f) {
       f.compression = 5;
       f.bitsPerPixel = 24;
       f.palette.clear();
     },
     nullptr},
    {"palette_shorter_than_colours_used",
     [](auto& f) {
       f.coloursUsed = 0;
       f.palette.resize(16);
     },
     nullptr},
    {"colours_used_beyond_bit_count", [](auto& f) { f.coloursUsed = 257; }, nullptr},
    {"index_beyond_palette",
     [](auto& f) {
       f.coloursUsed = 5;
       f.palette.resize(5);
     },
     nullptr},
    {"core_header_32_bits",
     [](auto& f) {
       f.headerSize = 12;
       f.bitsPerPixel = 32;
       f.palette.clear();
     },
     nullptr},
    {"bitfields_24_bits",
     [](auto& f) {
       f = ThirtyTwoBitFields({0xFF0000, 0xFF00, 0xFF});
       f.bitsPerPixel = 24;
     },
     nullptr},
    {"bitfields_zero_mask",
     [](auto& f) {
       f = ThirtyTwoBitFields({0xFF0000, 0, 0xFF});
     },
     nullptr},
    {"bitfields_split_mask",
     [](auto& f) {
       f = ThirtyTwoBitFields({0xF0F000, 0xF00, 0xFF});
     },
     nullptr},
    {"bitfields_overlap",
     [](auto& f) {
       f = ThirtyTwoBitFields({0xFFFF00, 0xFF00, 0xFF});
     },
     nullptr},
    {"bitfields_mask_beyond_16_bits",
     [](auto& f) {
       f = ThirtyTwoBitFields({0x1F0000, 0x07E0, 0x001F});
       f.bitsPerPixel = 16;
     },
     nullptr},
    {"bitfields_masks_cut",
     [](auto& f) {
       f = ThirtyTwoBitFields({0xFF0000, 0xFF00, 0xFF});
     },
     [](auto& b) { b.resize(14 + 40 + 8); }},
};

void PrintTo(const Malformed& file, std::ostream* out) {
  *out << file.name;
}

class MalformedBmp : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedBmp, IsRefused) {
  BmpFields fields = EightBitFields();
  if (GetParam().changeFields)
    GetParam().changeFields(fields);
  std::vector<std::uint8_t> bytes = BuildBmp(fields);
  if (GetParam().changeBytes)
    GetParam().changeBytes(bytes);
  EXPECT_FALSE(Decode(bytes).has_value());
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedBmp, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

// The files the table above breaks must decode when left whole, or the table
// would prove nothing.
TEST(MalformedBmp, BaseFilesDecode) {
  const auto eightBit = Decode(BuildBmp(EightBitFields()));
  ASSERT_TRUE(eightBit.has_value());
  EXPECT_EQ(eightBit->pixels, std::vector<std::uint32_t>(6, 0x123456));
  const auto masked = Decode(BuildBmp(ThirtyTwoBitFields({0xFF0000, 0xFF00, 0xFF})));
  ASSERT_TRUE(masked.has_value());
  EXPECT_EQ(masked->pixels, std::vector<std::uint32_t>{0x030201});
}

TEST(DecodeBmp, NullDataIsRefused) {
  EXPECT_FALSE(DecodeBmp(nullptr, 100).has_value());
}

// Every prefix of a valid file is refused and read within its bounds.
TEST(DecodeBmp, EveryTruncationIsRefused) {
  for (const BmpSample& sample : testing::ValidSamples()) {
    for (std::size_t size = 0; size < sample.bytes.size(); ++size) {
      std::vector<std::uint8_t> cut(sample.bytes.begin(), sample.bytes.begin() + size);
      EXPECT_FALSE(Decode(cut).has_value()) << sample.name << " cut to " << size;
    }
  }
}

Bitmap Gradient(int width, int height) {
  Bitmap b{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      b.pixels.push_back(static_cast<std::uint32_t>(x * 40) << 16 | (y * 50) << 8 | (x + y));
    }
  }
  return b;
}

TEST(EncodeBmp24, WritesBottomUpPaddedRows) {
  const std::vector<std::uint8_t> expected = {
      'B',  'M',  62,   0, 0, 0, 0, 0, 0,    0,    54, 0, 0,    0,            // file header
      40,   0,    0,    0, 1, 0, 0, 0, 2,    0,    0,  0, 1,    0,    24, 0,  // 1x2, 24 bits
      0,    0,    0,    0, 8, 0, 0, 0, 0xC4, 0x0E, 0,  0, 0xC4, 0x0E, 0,  0,  // 96 dpi
      0,    0,    0,    0, 0, 0, 0, 0,                                        // colours
      0x33, 0x22, 0x11, 0,                                                    // bottom row, padded
      0xCC, 0xBB, 0xAA, 0,                                                    // top row
  };
  EXPECT_EQ(EncodeBmp24(Bitmap{1, 2, {0xAABBCC, 0x112233}}), expected);
}

TEST(EncodeBmp24, RoundTripsEveryRowPadding) {
  for (int width = 1; width <= 5; ++width) {
    const Bitmap original = Gradient(width, 3);
    const auto decoded = Decode(EncodeBmp24(original));
    ASSERT_TRUE(decoded.has_value()) << "width " << width;
    ExpectSamePicture(*decoded, original);
  }
}

TEST(EncodeBmp24, RefusesInvalidBitmaps) {
  EXPECT_TRUE(EncodeBmp24(Bitmap{}).empty());
  EXPECT_TRUE(EncodeBmp24(Bitmap{2, 2, {1, 2, 3}}).empty());
  EXPECT_TRUE(EncodeBmp24(Bitmap{-1, -1, {1}}).empty());
}

class BmpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("karvo_codec_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string PathOf(const char* name) const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
};

TEST_F(BmpFileTest, WrittenFileLoadsBack) {
  const Bitmap original = Gradient(7, 4);
  ASSERT_TRUE(WriteBmpFile(PathOf("dump.bmp"), original));
  EXPECT_EQ(std::filesystem::file_size(PathOf("dump.bmp")), EncodeBmp24(original).size());
  const auto loaded = LoadBmpFile(PathOf("dump.bmp"));
  ASSERT_TRUE(loaded.has_value());
  ExpectSamePicture(*loaded, original);
}

TEST_F(BmpFileTest, WriteFailuresAreReported) {
  EXPECT_FALSE(WriteBmpFile(PathOf("no_such_folder/dump.bmp"), Gradient(2, 2)));
  EXPECT_FALSE(WriteBmpFile(PathOf("invalid.bmp"), Bitmap{}));
  EXPECT_FALSE(std::filesystem::exists(PathOf("invalid.bmp")));
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(WriteBmpFile("/dev/full", Gradient(64, 64)));
  }
}

TEST_F(BmpFileTest, UnreadableFilesGiveNothing) {
  EXPECT_FALSE(LoadBmpFile(PathOf("missing.bmp")).has_value());
  EXPECT_FALSE(LoadBmpFile(folder_.string()).has_value());
  std::ofstream(PathOf("text.bmp")) << "not a picture";
  EXPECT_FALSE(LoadBmpFile(PathOf("text.bmp")).has_value());
}

}  // namespace
}  // namespace codec
