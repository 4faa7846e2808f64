#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// GIF pictures made at test time with giflib's encoder.
namespace sonvale::test {

using GifColour = std::array<std::uint8_t, 3>;

struct GifPicture {
  int width = 8;  // the logical screen
  int height = 4;
  std::vector<GifColour> palette{{0, 0, 0}, {255, 0, 0}};  // a power of two in size
  bool local_palette = false;  // the frame's own table instead of the global one
  int left = 0, top = 0, frame_width = 8, frame_height = 4;
  std::vector<std::uint8_t> indices;  // frame_width x frame_height; all 1 when empty
  int transparent = -1;
  bool interlaced = false;
  bool second_frame = false;  // a further frame of index 0 over the whole screen
  bool version_89a = true;
};

std::vector<std::uint8_t> make_gif(const GifPicture& picture);

// A small counter picture: dark digits on a transparent ground, 24 x 8.
GifPicture counter_picture();

// A response the way the counter's server sends it: the picture in chunks of `chunk`
// bytes (below 0x1000) whose size lines have four hexadecimal digits, then the rest,
// shorter, with three.
std::string counter_server_answer(const std::vector<std::uint8_t>& gif, std::size_t chunk = 0x20);

// The picture as a chunked body with size lines of `digits` hexadecimal digits
// (zero-padded) and chunks of `chunk` bytes, each size line carrying `extension`.
std::string chunked(const std::vector<std::uint8_t>& data, std::size_t chunk, int digits,
                    const std::string& extension = "");

}  // namespace sonvale::test
