// The headless backend's fonts and images: kept as numbers, sizes and a record of
// what was drawn, without pixels.
#include "platform/ui_headless.h"

#include <algorithm>

namespace sonvale::platform {

bool HeadlessUi::load_font(int font, std::string_view face, int points) {
  std::lock_guard lock(mutex_);
  fonts_[font] = FontInfo{std::string(face), points};
  return true;
}

void HeadlessUi::free_font(int font) {
  std::lock_guard lock(mutex_);
  fonts_.erase(font);
}

std::optional<FontInfo> HeadlessUi::font_info(int font) const {
  std::lock_guard lock(mutex_);
  auto it = fonts_.find(font);
  if (it == fonts_.end()) return std::nullopt;
  return it->second;
}

void HeadlessUi::set_default_font(int font) {
  std::lock_guard lock(mutex_);
  default_font_ = font;
}

void HeadlessUi::set_gadget_font(int gadget, int font) {
  std::lock_guard lock(mutex_);
  if (Gadget* g = find_gadget(gadget)) g->font = font;
}

int HeadlessUi::gadget_font(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->font : -1;
}

std::string HeadlessUi::default_gui_face() const {
  std::lock_guard lock(mutex_);
  return gui_face_;
}

bool HeadlessUi::has_face(std::string_view face) const {
  std::lock_guard lock(mutex_);
  return std::find(faces_.begin(), faces_.end(), face) != faces_.end();
}

int HeadlessUi::screen_dpi() const {
  std::lock_guard lock(mutex_);
  return dpi_;
}

void HeadlessUi::set_gadget_image(int gadget, int image) {
  std::lock_guard lock(mutex_);
  if (Gadget* g = find_gadget(gadget)) g->image = image;
}

int HeadlessUi::gadget_image(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->image : -1;
}

bool HeadlessUi::load_image(int image, const RgbImage& pixels) {
  if (!pixels_fit(pixels)) return false;
  std::lock_guard lock(mutex_);
  images_[image] = Image{pixels.width, pixels.height, {}};
  return true;
}

bool HeadlessUi::create_image(int image, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  std::lock_guard lock(mutex_);
  images_[image] = Image{width, height, {}};
  return true;
}

bool HeadlessUi::image_exists(int image) const {
  std::lock_guard lock(mutex_);
  return images_.contains(image);
}

Rect HeadlessUi::image_rect(int image) const {
  std::lock_guard lock(mutex_);
  auto it = images_.find(image);
  return it == images_.end() ? Rect{} : Rect{0, 0, it->second.width, it->second.height};
}

// Lock held. An operation that covers the whole image hides everything drawn before
// it, so the record starts again there and stays short however often it is redrawn.
void HeadlessUi::record_op(int image, ImageOp op) {
  auto it = images_.find(image);
  if (it == images_.end()) return;
  Image& target = it->second;
  const bool covers = op.kind != ImageOp::Kind::Text && op.rect.x <= 0 && op.rect.y <= 0 &&
                      op.rect.right() >= target.width && op.rect.bottom() >= target.height;
  if (covers) target.ops.clear();
  target.ops.push_back(std::move(op));
}

void HeadlessUi::draw_image(int target, int source, int x, int y) {
  std::lock_guard lock(mutex_);
  auto it = images_.find(source);
  if (it == images_.end()) return;
  ImageOp op;
  op.kind = ImageOp::Kind::Image;
  op.rect = Rect{x, y, it->second.width, it->second.height};
  op.source = source;
  record_op(target, std::move(op));
}

void HeadlessUi::draw_text(int image, int x, int y, std::string_view text, int font,
                           Colour text_colour, Colour back_colour) {
  std::lock_guard lock(mutex_);
  ImageOp op;
  op.kind = ImageOp::Kind::Text;
  op.rect = Rect{x, y, 0, 0};
  op.colour = text_colour;
  op.back = back_colour;
  op.font = font;
  op.text = std::string(text);
  record_op(image, std::move(op));
}

void HeadlessUi::fill_image_rect(int image, Rect rect, Colour colour) {
  std::lock_guard lock(mutex_);
  ImageOp op;
  op.kind = ImageOp::Kind::Fill;
  op.rect = rect;
  op.colour = colour;
  record_op(image, std::move(op));
}

std::vector<ImageOp> HeadlessUi::image_ops(int image) const {
  std::lock_guard lock(mutex_);
  auto it = images_.find(image);
  return it == images_.end() ? std::vector<ImageOp>{} : it->second.ops;
}

}  // namespace sonvale::platform
