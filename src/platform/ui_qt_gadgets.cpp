// The Qt backend's gadgets: one widget each, with text, colours, state and font.
#include <QtGui/QFontDatabase>
#include <QtGui/QFontMetrics>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <algorithm>

#include "platform/interface_fonts.h"
#include "platform/ui_qt_private.h"

namespace sonvale::platform {
namespace {

QLabel* make_label(const QString& text, QWidget* parent, Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(alignment);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Buttons and frames read "&" as the mark of a keyboard mnemonic; a device name
// with "&" in it is shown as it is.
QString literal_caption(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

// The largest pixel size at which the face's lines are at most `line_height` apart:
// faces differ in the room they keep above and below their letters, and the fixed
// layout leaves no more than that line height.
int pixel_size_for_line_height(QFont font, int line_height) {
  for (int pixels = line_height; pixels > 1; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).lineSpacing() <= line_height) return pixels;
  }
  return 1;
}

QListWidget* make_list(QWidget* parent, QAbstractItemView::SelectionMode mode) {
  auto* list = new QListWidget(parent);
  list->setSelectionMode(mode);
  return list;
}

}  // namespace

QWidget* QtUi::make_widget(int window, int gadget, GadgetKind kind, QWidget* parent,
                           std::string_view text) {
  const QString caption = to_qstring(text);
  const auto report = [this, window, gadget] { enqueue(Event(EventKind::Gadget, window, gadget)); };
  switch (kind) {
    case GadgetKind::Text:
      return make_label(caption, parent, Qt::AlignCenter);
    case GadgetKind::Label:
      return make_label(caption, parent, Qt::AlignLeft | Qt::AlignVCenter);
    case GadgetKind::Image:
      return new PictureWidget(parent);
    case GadgetKind::List:
    case GadgetKind::ExtendedList: {
      auto* list = make_list(parent, kind == GadgetKind::List ? QAbstractItemView::MultiSelection
                                                              : QAbstractItemView::ExtendedSelection);
      QObject::connect(list, &QListWidget::itemClicked, list, report);
      return list;
    }
    case GadgetKind::Combo: {
      auto* combo = new QComboBox(parent);
      QObject::connect(combo, &QComboBox::activated, combo, report);
      return combo;
    }
    case GadgetKind::Bar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setValue(0);
      return bar;
    }
    case GadgetKind::Button: {
      auto* button = new QPushButton(literal_caption(caption), parent);
      QObject::connect(button, &QPushButton::clicked, button, report);
      return button;
    }
    case GadgetKind::Option: {
      auto* option = new QRadioButton(literal_caption(caption), parent);
      QObject::connect(option, &QRadioButton::clicked, option, report);
      return option;
    }
    case GadgetKind::Frame: {
      auto* frame = new QGroupBox(literal_caption(caption), parent);
      // A frame only draws round what it encloses: it lies under them and lets
      // their clicks through.
      frame->setAttribute(Qt::WA_TransparentForMouseEvents);
      return frame;
    }
    case GadgetKind::Editor: {
      auto* editor = new QPlainTextEdit(caption, parent);
      editor->setReadOnly(true);
      editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      return editor;
    }
    case GadgetKind::ImageButton: {
      auto* button = new PictureButton(parent);
      QObject::connect(button, &PictureButton::clicked, button, report);
      return button;
    }
    case GadgetKind::FolderTree:
      return new FolderTreeWidget(parent, text, [this, window, gadget](int detail) {
        Event e(EventKind::Gadget, window, gadget);
        e.detail = detail;
        enqueue(std::move(e));
      });
  }
  return nullptr;
}

bool QtUi::create_gadget(int window, int gadget, GadgetKind kind, Rect rect,
                         std::string_view text) {
  bool created = false;
  on_ui_thread([&] {
    QWidget* parent = window_widget(window);
    if (parent == nullptr) return;
    gadgets_.erase(gadget);
    QWidget* widget = make_widget(window, gadget, kind, parent, text);
    if (widget == nullptr) return;
    widget->setObjectName(QStringLiteral("gadget%1").arg(gadget));
    if (kind != GadgetKind::FolderTree) widget->setProperty(kBytesProperty, to_bytes(text));
    widget->setGeometry(rect.x, rect.y, rect.w, rect.h);
    if (kind == GadgetKind::Frame) widget->lower();
    auto g = std::make_unique<Gadget>();
    g->window = window;
    g->kind = kind;
    g->widget = widget;
    g->rect = rect;
    auto font = fonts_->table.find(fonts_->default_font);
    if (font != fonts_->table.end()) {
      widget->setFont(font->second);
      g->font = font->first;
    }
    widget->show();
    gadgets_[gadget] = std::move(g);
    created = true;
  });
  return created;
}

QtUi::Gadget* QtUi::find_gadget(int gadget) const {
  auto it = gadgets_.find(gadget);
  return it == gadgets_.end() ? nullptr : it->second.get();
}

bool QtUi::gadget_exists(int gadget) const {
  bool exists = false;
  on_ui_thread([&] { exists = find_gadget(gadget) != nullptr; });
  return exists;
}

GadgetKind QtUi::gadget_kind(int gadget) const {
  GadgetKind kind = GadgetKind::Text;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) kind = g->kind;
  });
  return kind;
}

Rect QtUi::gadget_rect(int gadget) const {
  Rect r;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) r = g->rect;
  });
  return r;
}

Rect QtUi::gadget_screen_rect(int gadget) const {
  Rect r;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) {
      const QPoint origin = g->widget->mapToGlobal(QPoint(0, 0));
      r = Rect{origin.x(), origin.y(), g->rect.w, g->rect.h};
    }
  });
  return r;
}

void QtUi::set_gadget_text(int gadget, std::string_view text) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    const QString shown = to_qstring(text);
    QWidget* w = g->widget;
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(shown);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(literal_caption(shown));
    else if (auto* frame = qobject_cast<QGroupBox*>(w)) frame->setTitle(literal_caption(shown));
    else if (auto* editor = qobject_cast<QPlainTextEdit*>(w)) editor->setPlainText(shown);
    else return;
    w->setProperty(kBytesProperty, to_bytes(text));
  });
}

std::string QtUi::gadget_text(int gadget) const {
  std::string text;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (auto* combo = qobject_cast<QComboBox*>(g->widget)) {
      if (combo->currentIndex() >= 0) text = combo->currentData().toByteArray().toStdString();
    } else if (auto* tree = dynamic_cast<FolderTreeWidget*>(g->widget)) {
      text = FolderTreeWidget::path_of(tree->currentItem());
    } else {
      text = g->widget->property(kBytesProperty).toByteArray().toStdString();
    }
  });
  return text;
}

void QtUi::apply_colours(const Gadget& g) {
  QPalette palette = g.widget->palette();
  const bool boxed = g.kind == GadgetKind::List || g.kind == GadgetKind::ExtendedList ||
                     g.kind == GadgetKind::Editor || g.kind == GadgetKind::Combo ||
                     g.kind == GadgetKind::FolderTree;
  if (g.text_colour_set) {
    palette.setColor(boxed ? QPalette::Text : QPalette::WindowText, to_qcolor(g.text_colour));
    palette.setColor(QPalette::ButtonText, to_qcolor(g.text_colour));
  }
  if (g.back_colour_set) {
    palette.setColor(boxed ? QPalette::Base : QPalette::Window, to_qcolor(g.back_colour));
    palette.setColor(QPalette::Button, to_qcolor(g.back_colour));
    if (!boxed) g.widget->setAutoFillBackground(true);
  }
  g.widget->setPalette(palette);
}

void QtUi::set_gadget_text_colour(int gadget, Colour colour) {
  on_ui_thread([&] {
    Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    g->text_colour = colour;
    g->text_colour_set = true;
    apply_colours(*g);
  });
}

Colour QtUi::gadget_text_colour(int gadget) const {
  Colour c = 0;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) c = g->text_colour;
  });
  return c;
}

void QtUi::set_gadget_back_colour(int gadget, Colour colour) {
  on_ui_thread([&] {
    Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    g->back_colour = colour;
    g->back_colour_set = true;
    apply_colours(*g);
  });
}

Colour QtUi::gadget_back_colour(int gadget) const {
  Colour c = 0;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) c = g->back_colour;
  });
  return c;
}

void QtUi::hide_gadget(int gadget, bool hidden) {
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) g->widget->setHidden(hidden);
  });
}

bool QtUi::is_gadget_hidden(int gadget) const {
  bool hidden = false;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) hidden = g->widget->isHidden();
  });
  return hidden;
}

void QtUi::disable_gadget(int gadget, bool disabled) {
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) g->widget->setDisabled(disabled);
  });
}

bool QtUi::is_gadget_disabled(int gadget) const {
  bool disabled = false;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) disabled = !g->widget->isEnabled();
  });
  return disabled;
}

void QtUi::set_gadget_state(int gadget, int state) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (auto* option = qobject_cast<QRadioButton*>(g->widget)) {
      // An exclusive group keeps one ticked; untick past it.
      option->setAutoExclusive(state != 0);
      option->setChecked(state != 0);
      option->setAutoExclusive(true);
    } else if (auto* combo = qobject_cast<QComboBox*>(g->widget)) {
      combo->setCurrentIndex(state >= 0 && state < combo->count() ? state : -1);
    } else if (auto* bar = qobject_cast<QProgressBar*>(g->widget)) {
      bar->setValue(std::clamp(state, bar->minimum(), bar->maximum()));
    }
  });
}

int QtUi::gadget_state(int gadget) const {
  int state = 0;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (auto* option = qobject_cast<QRadioButton*>(g->widget)) state = option->isChecked() ? 1 : 0;
    else if (auto* combo = qobject_cast<QComboBox*>(g->widget)) state = combo->currentIndex();
    else if (auto* bar = qobject_cast<QProgressBar*>(g->widget)) state = bar->value();
  });
  return state;
}

void QtUi::set_bar_range(int gadget, int minimum, int maximum) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (auto* bar = qobject_cast<QProgressBar*>(g->widget)) bar->setRange(minimum, maximum);
  });
}

void QtUi::override_screen_dpi(int dpi) {
  on_ui_thread([&] { dpi_override_ = dpi; });
}

int QtUi::screen_dpi() const {
  int dpi = 0;
  on_ui_thread([&] {
    if (dpi_override_ > 0) dpi = dpi_override_;
    else if (const QScreen* screen = QGuiApplication::primaryScreen()) dpi = qRound(screen->logicalDotsPerInchY());
  });
  return dpi;
}

std::string QtUi::default_gui_face() const {
  std::string face;
  on_ui_thread([&] { face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString(); });
  return face;
}

void QtUi::override_installed_faces(std::optional<std::vector<std::string>> faces) {
  on_ui_thread([&] { faces_override_ = std::move(faces); });
}

bool QtUi::has_face(std::string_view face) const {
  bool installed = false;
  on_ui_thread([&] {
    if (faces_override_)
      installed = std::find(faces_override_->begin(), faces_override_->end(), face) != faces_override_->end();
    else
      installed = QFontDatabase::hasFamily(to_qstring(face));
  });
  return installed;
}

bool QtUi::load_font(int font, std::string_view face, int points) {
  if (points <= 0) return false;
  const int dpi = screen_dpi();
  on_ui_thread([&] {
    QFont q(to_qstring(face));
    q.setPixelSize(pixel_size_for_line_height(q, points_to_pixels(points, dpi)));
    fonts_->table[font] = q;
    fonts_->info[font] = FontInfo{std::string(face), points};
  });
  return true;
}

void QtUi::free_font(int font) {
  on_ui_thread([&] {
    fonts_->table.erase(font);
    fonts_->info.erase(font);
  });
}

std::optional<FontInfo> QtUi::font_info(int font) const {
  std::optional<FontInfo> info;
  on_ui_thread([&] {
    auto it = fonts_->info.find(font);
    if (it != fonts_->info.end()) info = it->second;
  });
  return info;
}

void QtUi::set_default_font(int font) {
  on_ui_thread([&] { fonts_->default_font = font; });
}

void QtUi::set_gadget_font(int gadget, int font) {
  on_ui_thread([&] {
    Gadget* g = find_gadget(gadget);
    auto it = fonts_->table.find(font);
    if (g == nullptr || it == fonts_->table.end()) return;
    g->widget->setFont(it->second);
    g->font = font;
  });
}

int QtUi::gadget_font(int gadget) const {
  int font = -1;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) font = g->font;
  });
  return font;
}

}  // namespace sonvale::platform
