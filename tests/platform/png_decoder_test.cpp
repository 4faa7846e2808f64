#include "platform/png_decoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

namespace sonvale::platform {
namespace {

// Writes a PNG with libpng: `samples` holds each row's samples as the colour type
// and bit depth lay them out (16-bit samples big-endian).
struct PngLayout {
  int width;
  int height;
  int colour_type;
  int bit_depth;
  std::vector<std::uint8_t> samples;
  std::vector<png_color> palette;
  bool interlaced = false;
};

std::vector<std::uint8_t> encode(const PngLayout& layout) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        auto* sink = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        sink->insert(sink->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, layout.width, layout.height, layout.bit_depth, layout.colour_type,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!layout.palette.empty())
    png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
  png_write_info(png, info);
  const std::size_t stride = layout.samples.size() / layout.height;
  std::vector<png_bytep> rows;
  for (int y = 0; y < layout.height; ++y)
    rows.push_back(const_cast<png_bytep>(layout.samples.data()) + y * stride);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(PngDecoder, EveryLayoutBecomesEightBitRgb) {
  // Two pixels: red-ish and blue-ish, in each layout.
  const std::vector<std::uint8_t> expected_rgb{200, 10, 20, 5, 6, 250};
  const std::vector<std::pair<const char*, PngLayout>> layouts{
      {"rgb", {2, 1, PNG_COLOR_TYPE_RGB, 8, {200, 10, 20, 5, 6, 250}, {}}},
      {"rgb interlaced", {2, 1, PNG_COLOR_TYPE_RGB, 8, {200, 10, 20, 5, 6, 250}, {}, true}},
      {"rgba", {2, 1, PNG_COLOR_TYPE_RGBA, 8, {200, 10, 20, 255, 5, 6, 250, 0}, {}}},
      {"rgb 16-bit", {2, 1, PNG_COLOR_TYPE_RGB, 16, {200, 1, 10, 2, 20, 3, 5, 4, 6, 5, 250, 6}, {}}},
      {"palette", {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {{5, 6, 250}, {200, 10, 20}}}},
  };
  for (const auto& [name, layout] : layouts) {
    SCOPED_TRACE(name);
    const auto image = decode_png(encode(layout));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(image->rgb, expected_rgb);
  }
  const auto grey = decode_png(encode({3, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 128, 255}, {}}));
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->rgb, (std::vector<std::uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255}));
}

TEST(PngDecoder, RefusesWhatIsNotAWholeSaneImage) {
  const std::vector<std::uint8_t> good = encode({4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(48, 7), {}});
  ASSERT_TRUE(decode_png(good));
  EXPECT_FALSE(decode_png({}));
  EXPECT_FALSE(decode_png(std::vector<std::uint8_t>(good.begin(), good.begin() + 7)));
  for (std::size_t cut : {std::size_t{20}, std::size_t{40}, good.size() - 20})
    EXPECT_FALSE(decode_png(std::vector<std::uint8_t>(good.begin(), good.begin() + cut))) << cut;
  std::vector<std::uint8_t> damaged = good;
  damaged[good.size() / 2] ^= 0xFF;  // fails its checksum
  EXPECT_FALSE(decode_png(damaged));
  const std::vector<std::uint8_t> wide =
      encode({9000, 1, PNG_COLOR_TYPE_GRAY, 8, std::vector<std::uint8_t>(9000, 1), {}});
  EXPECT_FALSE(decode_png(wide));
}

}  // namespace
}  // namespace sonvale::platform
