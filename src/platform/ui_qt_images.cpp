// The Qt backend's images: kept as QImages by number, drawn on with QPainter, shown
// by image gadgets and used to cut windows to an outline.
#include <QtGui/QBitmap>
#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>

#include "platform/ui_qt_private.h"

namespace sonvale::platform {

void QtUi::refresh_pictures(int image) {
  auto it = images_->table.find(image);
  const QImage shown = it == images_->table.end() ? QImage() : it->second;
  for (const auto& [number, g] : gadgets_) {
    if (g->image != image) continue;
    if (auto* picture = dynamic_cast<PictureWidget*>(g->widget)) picture->set_image(shown);
    if (auto* button = dynamic_cast<PictureButton*>(g->widget)) button->set_image(shown);
  }
}

namespace {

// A picture with an alpha channel keeps it, premultiplied as QPainter blends fastest.
QImage with_alpha(const RgbImage& pixels) {
  QImage picture(pixels.width, pixels.height, QImage::Format_ARGB32);
  for (int y = 0; y < pixels.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < pixels.width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width) + x;
      line[x] = qRgba(pixels.rgb[at * 3], pixels.rgb[at * 3 + 1], pixels.rgb[at * 3 + 2], pixels.alpha[at]);
    }
  }
  return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

bool QtUi::load_image(int image, const RgbImage& pixels) {
  if (!pixels_fit(pixels)) return false;
  on_ui_thread([&] {
    if (!pixels.alpha.empty()) {
      images_->table[image] = with_alpha(pixels);
    } else {
      const QImage view(pixels.rgb.data(), pixels.width, pixels.height, pixels.width * 3,
                        QImage::Format_RGB888);
      images_->table[image] = view.convertToFormat(QImage::Format_RGB32);
    }
    refresh_pictures(image);
  });
  return true;
}

bool QtUi::create_image(int image, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  on_ui_thread([&] {
    QImage blank(width, height, QImage::Format_RGB32);
    blank.fill(Qt::black);
    images_->table[image] = blank;
    refresh_pictures(image);
  });
  return true;
}

bool QtUi::image_exists(int image) const {
  bool exists = false;
  on_ui_thread([&] { exists = images_->table.contains(image); });
  return exists;
}

Rect QtUi::image_rect(int image) const {
  Rect r;
  on_ui_thread([&] {
    auto it = images_->table.find(image);
    if (it != images_->table.end()) r = Rect{0, 0, it->second.width(), it->second.height()};
  });
  return r;
}

void QtUi::draw_image(int target, int source, int x, int y) {
  on_ui_thread([&] {
    auto to = images_->table.find(target);
    auto from = images_->table.find(source);
    if (to == images_->table.end() || from == images_->table.end()) return;
    const QImage copy = from->second;  // the source may be the target
    QPainter(&to->second).drawImage(x, y, copy);
    refresh_pictures(target);
  });
}

void QtUi::draw_text(int image, int x, int y, std::string_view text, int font,
                     Colour text_colour, Colour back_colour) {
  on_ui_thread([&] {
    auto it = images_->table.find(image);
    if (it == images_->table.end()) return;
    auto face = fonts_->table.find(font);
    const QFont chosen = face == fonts_->table.end() ? QFont() : face->second;
    const QString shown = to_qstring(text);
    const QFontMetrics metrics(chosen);
    const QRect box(x, y, metrics.horizontalAdvance(shown), metrics.height());
    QPainter painter(&it->second);
    painter.fillRect(box, to_qcolor(back_colour));
    painter.setFont(chosen);
    painter.setPen(to_qcolor(text_colour));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    painter.end();
    refresh_pictures(image);
  });
}

void QtUi::fill_image_rect(int image, Rect rect, Colour colour) {
  on_ui_thread([&] {
    auto it = images_->table.find(image);
    if (it == images_->table.end()) return;
    QPainter(&it->second).fillRect(QRect(rect.x, rect.y, rect.w, rect.h), to_qcolor(colour));
    refresh_pictures(image);
  });
}

void QtUi::set_gadget_image(int gadget, int image) {
  on_ui_thread([&] {
    Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    g->image = image;
    auto it = images_->table.find(image);
    const QImage shown = it == images_->table.end() ? QImage() : it->second;
    if (auto* picture = dynamic_cast<PictureWidget*>(g->widget)) picture->set_image(shown);
    if (auto* button = dynamic_cast<PictureButton*>(g->widget)) button->set_image(shown);
  });
}

int QtUi::gadget_image(int gadget) const {
  int image = -1;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) image = g->image;
  });
  return image;
}

void QtUi::cut_window_to_image(int window, int image) {
  on_ui_thread([&] {
    QWidget* w = window_widget(window);
    auto it = images_->table.find(image);
    if (w == nullptr || it == images_->table.end()) return;
    const QImage& outline = it->second;
    // Bits set where the colour differs; those become black in the bitmap, the part
    // of the window that stays.
    QImage kept = outline.createMaskFromColor(outline.pixel(0, 0), Qt::MaskOutColor);
    kept.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    w->setMask(QBitmap::fromImage(kept));
  });
}

void PictureWidget::set_image(const QImage& image) {
  image_ = image;
  update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
  if (!image_.isNull()) QPainter(this).drawImage(0, 0, image_);
}

void PictureButton::set_image(const QImage& image) {
  image_ = image;
  update();
}

void PictureButton::paintEvent(QPaintEvent*) {
  if (!image_.isNull()) QPainter(this).drawImage(0, 0, image_);
}

}  // namespace sonvale::platform
