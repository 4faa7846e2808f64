#pragma once

#include <string>

class QFont;
class QWidget;
class QImage;

// Qt-side helpers for the window tests.
namespace sonvale::test {

// The top-level widget with this title, or null.
QWidget* top_level_titled(const std::string& title);

// The widget of a gadget (Qt backend): its object name is "gadget<number>".
QWidget* gadget_widget(int number);

// Renders the widget into <build>/screenshots/<name>.png and returns how many
// different colours the picture holds (0 when it could not be written): a window
// drawn with its controls holds far more than a few.
int save_screenshot(QWidget* widget, const std::string& name);

// The line height of the font in pixels, and the one it would have a pixel larger:
// a font sized to a line height keeps within it, and the next size would not.
int line_height(const QFont& font);
int next_line_height(const QFont& font);

}  // namespace sonvale::test
