#include "platform/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace sonvale::platform {
namespace {

constexpr png_uint_32 kLargestSide = 8192;

// Owns the read and info structures of one decoding.
class PngReader {
 public:
  PngReader() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &on_error, &on_warning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngReader() {
    if (png_ != nullptr) png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
  }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  bool ready() const { return png_ != nullptr && info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  // libpng's default handler prints; a skin image that does not decode stays silent.
  static void on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
  static void on_warning(png_structp, png_const_charp) {}

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

struct MemorySource {
  std::span<const std::uint8_t> data;
  std::size_t position = 0;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (length > source->data.size() - source->position) png_error(png, "truncated");
  std::memcpy(out, source->data.data() + source->position, length);
  source->position += length;
}

// Everything between setjmp() and the last libpng call lives in the caller's frame,
// so a longjmp out of libpng skips no destructor here.
bool read_image(png_structp png, png_infop info, MemorySource* source, RgbImage* image,
                std::vector<png_bytep>* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, source, &read_from_memory);
  png_set_user_limits(png, kLargestSide, kLargestSide);
  png_read_info(png, info);

  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != png_get_image_width(png, info) * 3) return false;

  image->width = static_cast<int>(png_get_image_width(png, info));
  image->height = static_cast<int>(png_get_image_height(png, info));
  const std::size_t stride = static_cast<std::size_t>(image->width) * 3;
  image->rgb.resize(stride * static_cast<std::size_t>(image->height));
  rows->resize(static_cast<std::size_t>(image->height));
  for (std::size_t y = 0; y < rows->size(); ++y) (*rows)[y] = image->rgb.data() + y * stride;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<RgbImage> decode_png(std::span<const std::uint8_t> data) {
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) return std::nullopt;
  PngReader reader;
  if (!reader.ready()) return std::nullopt;
  MemorySource source{data};
  RgbImage image;
  std::vector<png_bytep> rows;
  if (!read_image(reader.png(), reader.info(), &source, &image, &rows)) return std::nullopt;
  return image;
}

}  // namespace sonvale::platform
