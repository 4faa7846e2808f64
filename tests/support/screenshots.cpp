#include "support/screenshots.h"

#include <QtCore/QDir>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <set>

namespace sonvale::test {

QWidget* top_level_titled(const std::string& title) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == QString::fromStdString(title)) return w;
  return nullptr;
}

QWidget* gadget_widget(int number) {
  const QString name = QStringLiteral("gadget%1").arg(number);
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* found = w->findChild<QWidget*>(name)) return found;
  return nullptr;
}

int line_height(const QFont& font) { return QFontMetrics(font).lineSpacing(); }

int next_line_height(const QFont& font) {
  QFont larger = font;
  larger.setPixelSize(font.pixelSize() + 1);
  return QFontMetrics(larger).lineSpacing();
}

int save_screenshot(QWidget* widget, const std::string& name) {
  if (widget == nullptr) return 0;
  const QString dir = QStringLiteral(SONVALE_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (!image.save(dir + QLatin1Char('/') + QString::fromStdString(name) + QStringLiteral(".png"))) return 0;
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  return static_cast<int>(colours.size());
}

}  // namespace sonvale::test
