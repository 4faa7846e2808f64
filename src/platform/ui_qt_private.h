#pragma once

// What the Qt backend's source files share: the gadget record, the image and font
// tables, the widgets of our own, and the conversions between our types and Qt's.

#include <QtCore/QString>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QWidget>

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/ui_qt.h"

namespace sonvale::platform {

inline QString to_qstring(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QByteArray to_bytes(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

inline QColor to_qcolor(Colour c) { return QColor(red_of(c), green_of(c), blue_of(c)); }

inline Rect to_rect(const QRect& r) { return Rect{r.x(), r.y(), r.width(), r.height()}; }

// The widget property that keeps a gadget's text as the caller's bytes, so that a
// text which is not valid UTF-8 reads back exactly as it was given.
inline constexpr const char* kBytesProperty = "sonvaleBytes";

struct QtUi::Gadget {
  int window = -1;
  GadgetKind kind = GadgetKind::Text;
  QWidget* widget = nullptr;  // owned by its window
  Rect rect;
  Colour text_colour = 0;
  Colour back_colour = 0xFFFFFF;
  bool text_colour_set = false;
  bool back_colour_set = false;
  int font = -1;
  int image = -1;
};

struct QtUi::Images {
  std::map<int, QImage> table;  // Format_RGB32; premultiplied ARGB32 where alpha came with it
};

struct QtUi::Fonts {
  std::map<int, QFont> table;
  std::map<int, FontInfo> info;
  int default_font = -1;
};

// An image gadget: draws its image unscaled from the top-left corner, the same
// whether enabled or not.
class PictureWidget final : public QWidget {
 public:
  explicit PictureWidget(QWidget* parent) : QWidget(parent) {}
  void set_image(const QImage& image);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// A button that is nothing but its image.
class PictureButton final : public QAbstractButton {
 public:
  explicit PictureButton(QWidget* parent) : QAbstractButton(parent) {}
  void set_image(const QImage& image);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// The folders of the file system from "/", each with a check box, read from the
// disk as items open. Reports a left click and the space bar after handling them.
class FolderTreeWidget final : public QTreeWidget {
 public:
  FolderTreeWidget(QWidget* parent, std::string_view start_folder,
                   std::function<void(int detail)> report);

  static std::string path_of(const QTreeWidgetItem* item);
  QTreeWidgetItem* item_for(std::string_view path) const;
  // Shown: every ancestor is expanded.
  bool is_shown(const QTreeWidgetItem* item) const;
  // An item above "/" and the entries before it; the tree shows its top while the
  // start folder stays in view there.
  void add_entry(std::string_view label, std::string_view path);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QTreeWidgetItem* add_folder(QTreeWidgetItem* parent, const QString& name, std::string path);
  void fill(QTreeWidgetItem* item);
  void open_down_to(std::string_view start_folder);

  std::function<void(int)> report_;
};

}  // namespace sonvale::platform
