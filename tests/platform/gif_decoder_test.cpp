#include "platform/gif_decoder.h"

#include <gtest/gtest.h>

#include "support/gif_fixtures.h"

namespace sonvale::platform {
namespace {

using test::GifPicture;
using test::make_gif;

struct Pixel {
  int r, g, b, a;
  bool operator==(const Pixel&) const = default;
};

Pixel pixel(const RgbImage& image, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(y * image.width + x);
  return Pixel{image.rgb[at * 3], image.rgb[at * 3 + 1], image.rgb[at * 3 + 2], image.alpha[at]};
}

constexpr Pixel kClear{0, 0, 0, 0};

TEST(GifDecoder, TheFirstFrameKeepsItsTransparencyOnTheLogicalScreen) {
  GifPicture p;
  p.width = 6;
  p.height = 5;
  p.palette = {{255, 255, 255}, {10, 20, 30}, {200, 0, 0}, {0, 0, 0}};
  p.left = 1, p.top = 2, p.frame_width = 4, p.frame_height = 2;
  p.indices = {1, 0, 2, 1,
               2, 2, 0, 3};
  p.transparent = 0;
  p.second_frame = true;
  const std::optional<RgbImage> image = decode_gif_first_frame(make_gif(p));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 6);
  EXPECT_EQ(image->height, 5);
  ASSERT_EQ(image->alpha.size(), 30u);
  EXPECT_EQ(pixel(*image, 0, 0), kClear);  // outside the frame
  EXPECT_EQ(pixel(*image, 1, 2), (Pixel{10, 20, 30, 255}));
  EXPECT_EQ(pixel(*image, 2, 2), kClear);  // the transparent colour
  EXPECT_EQ(pixel(*image, 3, 2), (Pixel{200, 0, 0, 255}));
  EXPECT_EQ(pixel(*image, 4, 3), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(pixel(*image, 5, 3), kClear);
  EXPECT_EQ(pixel(*image, 3, 4), kClear);  // the second frame would have covered it
}

TEST(GifDecoder, InterlacedLocalPaletteAndOlderVersionsDecodeAlike) {
  GifPicture p;
  p.width = p.frame_width = 5;
  p.height = p.frame_height = 11;
  p.palette = {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  for (int i = 0; i < 55; ++i) p.indices.push_back(static_cast<std::uint8_t>(i * 7 % 4));
  const std::optional<RgbImage> plain = decode_gif_first_frame(make_gif(p));
  ASSERT_TRUE(plain);
  EXPECT_EQ(pixel(*plain, 1, 0), (Pixel{7, 8, 9, 255}));
  EXPECT_EQ(pixel(*plain, 0, 10), (Pixel{4, 5, 6, 255}));
  GifPicture interlaced = p;
  interlaced.interlaced = true;
  GifPicture local = p;
  local.local_palette = true;
  GifPicture older = p;
  older.version_89a = false;
  for (const auto& [name, variant] : {std::pair{"interlaced", interlaced}, {"local palette", local}, {"87a", older}}) {
    SCOPED_TRACE(name);
    const std::optional<RgbImage> decoded = decode_gif_first_frame(make_gif(variant));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rgb, plain->rgb);
    EXPECT_EQ(decoded->alpha, plain->alpha);
  }
}

// The encoder writes whole tables only; the global table is cut down afterwards. Its
// size is in the low bits of byte 10, its entries from byte 13 on.
std::vector<std::uint8_t> with_global_table_cut(std::vector<std::uint8_t> gif, int entries_before, int entries_after) {
  gif.erase(gif.begin() + 13 + 3 * entries_after, gif.begin() + 13 + 3 * entries_before);
  if (entries_after == 0) {
    gif[10] &= 0x78;
  } else {
    int bits = 0;
    while ((2 << bits) < entries_after) ++bits;
    gif[10] = static_cast<std::uint8_t>((gif[10] & 0xF8) | bits);
  }
  return gif;
}

TEST(GifDecoder, IndicesBeyondThePaletteStayTransparent) {
  GifPicture p;
  p.width = p.frame_width = 2;
  p.height = p.frame_height = 1;
  p.palette = {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}};
  p.indices = {1, 3};
  const std::optional<RgbImage> image = decode_gif_first_frame(with_global_table_cut(make_gif(p), 4, 2));
  ASSERT_TRUE(image);
  EXPECT_EQ(pixel(*image, 0, 0), (Pixel{8, 8, 8, 255}));
  EXPECT_EQ(pixel(*image, 1, 0), kClear);
}

TEST(GifDecoder, AnythingButAWholeFirstFrameGivesNothing) {
  const std::vector<std::uint8_t> whole = make_gif(test::counter_picture());
  ASSERT_TRUE(decode_gif_first_frame(whole));
  for (std::size_t cut : {std::size_t{0}, std::size_t{5}, std::size_t{13}, whole.size() / 2, whole.size() - 4}) {
    SCOPED_TRACE(cut);
    EXPECT_FALSE(decode_gif_first_frame(std::span(whole).first(cut)));
  }
  const std::string text = "GIF89a but not a picture";
  EXPECT_FALSE(decode_gif_first_frame(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));

  GifPicture huge;
  huge.width = 4097;
  EXPECT_FALSE(decode_gif_first_frame(make_gif(huge)));
  GifPicture no_frame_fits;
  no_frame_fits.frame_width = 5000;
  no_frame_fits.frame_height = 1;
  EXPECT_FALSE(decode_gif_first_frame(make_gif(no_frame_fits)));
}

TEST(GifDecoder, APictureWithoutAnyPaletteGivesNothing) {
  EXPECT_FALSE(decode_gif_first_frame(with_global_table_cut(make_gif(GifPicture{}), 2, 0)));
}

}  // namespace
}  // namespace sonvale::platform
