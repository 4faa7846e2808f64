#include "support/gif_fixtures.h"

#include <gif_lib.h>

#include <cstdio>
#include <stdexcept>

namespace sonvale::test {
namespace {

int append_bytes(GifFileType* gif, const GifByteType* bytes, int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + length);
  return length;
}

ColorMapObject* colour_map(const std::vector<GifColour>& palette) {
  std::vector<GifColorType> colours;
  for (const GifColour& c : palette) colours.push_back(GifColorType{c[0], c[1], c[2]});
  return GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

void check(int result, const char* step) {
  if (result != GIF_OK) throw std::runtime_error(std::string("giflib: ") + step);
}

void put_frame(GifFileType* gif, int left, int top, int width, int height, bool interlaced,
               ColorMapObject* local, const std::vector<std::uint8_t>& indices) {
  check(EGifPutImageDesc(gif, left, top, width, height, interlaced, local), "image");
  std::vector<int> order;
  if (interlaced) {
    for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
      for (int y = first; y < height; y += step) order.push_back(y);
  } else {
    for (int y = 0; y < height; ++y) order.push_back(y);
  }
  for (int y : order) {
    std::vector<GifPixelType> row(indices.begin() + y * width, indices.begin() + (y + 1) * width);
    check(EGifPutLine(gif, row.data(), width), "line");
  }
}

}  // namespace

std::vector<std::uint8_t> make_gif(const GifPicture& p) {
  std::vector<std::uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, &append_bytes, &error);
  if (gif == nullptr) throw std::runtime_error("giflib: open");
  EGifSetGifVersion(gif, p.version_89a);
  ColorMapObject* palette = colour_map(p.palette);
  check(EGifPutScreenDesc(gif, p.width, p.height, 8, 0, p.local_palette ? nullptr : palette), "screen");
  if (p.transparent >= 0) {
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, p.transparent};
    GifByteType block[4];
    const std::size_t length = EGifGCBToExtension(&control, block);
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block), "control");
  }
  std::vector<std::uint8_t> indices = p.indices;
  if (indices.empty()) indices.assign(static_cast<std::size_t>(p.frame_width * p.frame_height), 1);
  put_frame(gif, p.left, p.top, p.frame_width, p.frame_height, p.interlaced, p.local_palette ? palette : nullptr,
            indices);
  if (p.second_frame) {
    put_frame(gif, 0, 0, p.width, p.height, false, p.local_palette ? palette : nullptr,
              std::vector<std::uint8_t>(static_cast<std::size_t>(p.width * p.height), 0));
  }
  GifFreeMapObject(palette);
  check(EGifCloseFile(gif, &error), "close");
  return out;
}

GifPicture counter_picture() {
  GifPicture p;
  p.width = 24;
  p.height = 8;
  p.frame_width = 24;
  p.frame_height = 8;
  p.palette = {{255, 255, 255}, {40, 40, 40}, {200, 0, 0}, {0, 0, 0}};
  p.transparent = 0;
  p.indices.assign(24 * 8, 0);
  // Three digit-like bars, one of them red.
  for (int y = 1; y < 7; ++y)
    for (int x : {2, 3, 10, 11, 18, 19}) p.indices[static_cast<std::size_t>(y * 24 + x)] = x >= 18 ? 2 : 1;
  return p;
}

std::string chunked(const std::vector<std::uint8_t>& data, std::size_t chunk, int digits,
                    const std::string& extension) {
  std::string body;
  char size_line[32];
  for (std::size_t at = 0; at < data.size(); at += chunk) {
    const std::size_t n = std::min(chunk, data.size() - at);
    std::snprintf(size_line, sizeof size_line, "%0*zX", digits, n);
    body += size_line + extension + "\r\n";
    body.append(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
    body += "\r\n";
  }
  body += std::string(static_cast<std::size_t>(digits), '0') + extension + "\r\n\r\n";
  return body;
}

std::string counter_server_answer(const std::vector<std::uint8_t>& gif, std::size_t chunk) {
  std::string body;
  char size_line[32];
  std::size_t at = 0;
  for (; gif.size() - at > chunk; at += chunk) {
    std::snprintf(size_line, sizeof size_line, "%04zX\r\n", chunk);
    body += size_line;
    body.append(gif.begin() + static_cast<std::ptrdiff_t>(at), gif.begin() + static_cast<std::ptrdiff_t>(at + chunk));
    body += "\r\n";
  }
  std::snprintf(size_line, sizeof size_line, "%03zX\r\n", gif.size() - at);
  body += size_line;
  body.append(gif.begin() + static_cast<std::ptrdiff_t>(at), gif.end());
  body += "\r\n0\r\n\r\n";
  return "HTTP/1.1 200 OK\r\n"
         "Date: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
         "Server: Apache\r\n"
         "Keep-Alive: timeout=5, max=100\r\n"
         "Connection: Keep-Alive\r\n"
         "Transfer-Encoding: chunked\r\n"
         "Content-Type: image/gif\r\n"
         "\r\n" +
         body;
}

}  // namespace sonvale::test
