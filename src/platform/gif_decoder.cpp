#include "platform/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace sonvale::platform {
namespace {

constexpr int kLargestSide = 4096;

struct MemorySource {
  std::span<const std::uint8_t> data;
  std::size_t position = 0;
};

// giflib's reader callback: a short count tells it the data ran out.
int read_from_memory(GifFileType* gif, GifByteType* out, int length) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t wanted = length > 0 ? static_cast<std::size_t>(length) : 0;
  const std::size_t n = std::min(wanted, source->data.size() - source->position);
  std::memcpy(out, source->data.data() + source->position, n);
  source->position += n;
  return static_cast<int>(n);
}

// Owns one giflib decoding.
class GifReader {
 public:
  explicit GifReader(MemorySource* source) {
    int error = 0;
    gif_ = DGifOpen(source, &read_from_memory, &error);
  }
  ~GifReader() {
    int error = 0;
    if (gif_ != nullptr) DGifCloseFile(gif_, &error);
  }
  GifReader(const GifReader&) = delete;
  GifReader& operator=(const GifReader&) = delete;

  GifFileType* get() const { return gif_; }

 private:
  GifFileType* gif_ = nullptr;
};

bool side_fits(int side) { return side > 0 && side <= kLargestSide; }

// Skips the rest of an extension; a graphic control extension's transparent colour is
// kept, the last one before the frame being the frame's own.
bool read_extension(GifFileType* gif, int& transparent) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
    GraphicsControlBlock control;
    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
  }
  while (block != nullptr)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

// Reads the frame whose descriptor giflib has just read, row by row in the order it is
// stored (interlaced or not), onto the canvas.
bool read_frame(GifFileType* gif, int transparent, RgbImage& canvas) {
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (colours == nullptr || !side_fits(frame.Width) || !side_fits(frame.Height)) return false;
  static constexpr int kPassStart[] = {0, 4, 2, 1};
  static constexpr int kPassStep[] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  std::vector<GifPixelType> row(static_cast<std::size_t>(frame.Width));
  for (int pass = 0; pass < passes; ++pass) {
    const int first = frame.Interlace ? kPassStart[pass] : 0;
    const int step = frame.Interlace ? kPassStep[pass] : 1;
    for (int y = first; y < frame.Height; y += step) {
      if (DGifGetLine(gif, row.data(), frame.Width) == GIF_ERROR) return false;
      const int canvas_y = frame.Top + y;
      if (canvas_y < 0 || canvas_y >= canvas.height) continue;
      for (int x = 0; x < frame.Width; ++x) {
        const int canvas_x = frame.Left + x;
        const int index = row[static_cast<std::size_t>(x)];
        if (canvas_x < 0 || canvas_x >= canvas.width || index == transparent || index >= colours->ColorCount)
          continue;
        const std::size_t at = static_cast<std::size_t>(canvas_y) * static_cast<std::size_t>(canvas.width) +
                               static_cast<std::size_t>(canvas_x);
        const GifColorType& colour = colours->Colors[index];
        canvas.rgb[at * 3] = colour.Red;
        canvas.rgb[at * 3 + 1] = colour.Green;
        canvas.rgb[at * 3 + 2] = colour.Blue;
        canvas.alpha[at] = 255;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<RgbImage> decode_gif_first_frame(std::span<const std::uint8_t> data) {
  MemorySource source{data};
  GifReader reader(&source);
  GifFileType* gif = reader.get();
  if (gif == nullptr) return std::nullopt;

  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return std::nullopt;
    if (record == EXTENSION_RECORD_TYPE) {
      if (!read_extension(gif, transparent)) return std::nullopt;
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) return std::nullopt;
    if (DGifGetImageDesc(gif) == GIF_ERROR) return std::nullopt;
    break;
  }

  // A picture that names no screen size is as large as its frame.
  RgbImage canvas;
  canvas.width = gif->SWidth > 0 ? gif->SWidth : gif->Image.Left + gif->Image.Width;
  canvas.height = gif->SHeight > 0 ? gif->SHeight : gif->Image.Top + gif->Image.Height;
  if (!side_fits(canvas.width) || !side_fits(canvas.height)) return std::nullopt;
  const std::size_t pixels = static_cast<std::size_t>(canvas.width) * static_cast<std::size_t>(canvas.height);
  canvas.rgb.assign(pixels * 3, 0);
  canvas.alpha.assign(pixels, 0);
  if (!read_frame(gif, transparent, canvas)) return std::nullopt;
  return canvas;
}

}  // namespace sonvale::platform
