// Draws the player's skin images into PNG files. The PNGs are kept in assets/ and
// embedded into the player; run scripts/draw-skin after changing the artwork here.

#include <QtCore/QString>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr const char* kFace = "DejaVu Sans";

QImage canvas(int w, int h, QColor ground) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(ground);
  return image;
}

QFont font(int pixels, bool bold = false) {
  QFont f(QString::fromLatin1(kFace));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

void dark_blue_gradient(QPainter& p, QRect r) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0.0, QColor(0, 0, 150));
  g.setColorAt(1.0, QColor(0, 0, 48));
  p.fillRect(r, g);
}

QImage logo(const char* version) {
  QImage image = canvas(140, 70, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(110, 110, 110));
  p.setFont(font(28, true));
  p.drawText(QRect(0, 4, 140, 40), Qt::AlignCenter, QStringLiteral("Sonvale"));
  p.drawLine(20, 45, 120, 45);
  p.setFont(font(12));
  p.drawText(QRect(0, 48, 140, 18), Qt::AlignCenter, QStringLiteral("Ver %1").arg(QString::fromLatin1(version)));
  return image;
}

QImage label(const QString& text, QColor colour, bool outline) {
  QImage image = canvas(140, 30, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QFont f = font(16, true);
  if (outline) {
    // Yellow on white needs a rim to be read.
    QPainterPath path;
    const QFontMetrics m(f);
    path.addText((140 - m.horizontalAdvance(text)) / 2.0, 21, f, text);
    p.strokePath(path, QPen(QColor(120, 100, 0), 2.0));
    p.fillPath(path, colour);
  } else {
    p.setPen(colour);
    p.setFont(f);
    p.drawText(QRect(0, 0, 140, 30), Qt::AlignCenter, text);
  }
  return image;
}

QImage banner() {
  QImage image = canvas(540, 100, Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  dark_blue_gradient(p, image.rect());
  p.setPen(Qt::white);
  p.setFont(font(17, true));
  p.drawText(QRect(14, 6, 520, 26), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Your own samples, straight to the sound card"));
  p.setFont(font(12));
  p.setPen(QColor(200, 210, 255));
  p.drawText(QRect(14, 34, 520, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Sinc up-sampling x2 / x4 and digital remaster modes, low-pass post filters"));
  p.drawText(QRect(14, 54, 520, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("16 / 24 / 32 bit   \u00b7   44.1 to 192 kHz   \u00b7   32-bit float output"));
  p.setPen(QColor(255, 220, 120));
  p.drawText(QRect(14, 74, 520, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("WAV  FLAC  MP3  OGG  M4A  AAC  ALAC  WMA  WavPack  Audio CD"));
  return image;
}

QImage blank_panel() {
  QImage image = canvas(540, 100, Qt::black);
  QPainter p(&image);
  dark_blue_gradient(p, image.rect());
  return image;
}

QImage illustration() {
  QImage image = canvas(300, 300, QColor(0, 0, 40));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(150, 150, 150);
  glow.setColorAt(0.0, QColor(20, 60, 200));
  glow.setColorAt(1.0, QColor(0, 0, 40));
  p.fillRect(image.rect(), glow);
  p.setPen(QPen(QColor(90, 140, 255, 160), 2));
  for (int r = 40; r <= 130; r += 30) p.drawEllipse(QPointF(150, 150), r, r);
  // A captured wave entering on the left, leaving smoother on the right.
  QPainterPath wave;
  for (int x = 10; x <= 290; ++x) {
    const double t = (x - 10) / 280.0;
    const double roughness = t < 0.5 ? 0.35 * std::sin(x * 0.9) : 0.0;
    const double y = 150 - 45 * std::sin(t * 4 * M_PI) * (1.0 - 0.3 * t) + 12 * roughness;
    x == 10 ? wave.moveTo(x, y) : wave.lineTo(x, y);
  }
  p.setPen(QPen(QColor(255, 220, 120), 3));
  p.drawPath(wave);
  p.setPen(Qt::white);
  p.setFont(font(22, true));
  p.drawText(QRect(0, 236, 300, 30), Qt::AlignCenter, QStringLiteral("LIVE INPUT"));
  return image;
}

// The orb drawn on a 40-unit square scaled to the painter's `side`.
void paint_orb(QPainter& p, double side) {
  p.scale(side / 40.0, side / 40.0);
  QRadialGradient shade(QPointF(15, 14), 22);
  shade.setColorAt(0.0, QColor(70, 110, 230));
  shade.setColorAt(0.6, QColor(10, 20, 130));
  shade.setColorAt(1.0, QColor(0, 0, 60));
  p.setBrush(shade);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QRect(1, 1, 38, 38));
}

QImage orb() {
  QImage image = canvas(40, 40, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);  // a hard rim: the window is cut along it
  paint_orb(p, 40);
  return image;
}

// The orb as the program's icon: a smooth rim on a transparent ground.
QImage orb_icon(int side) {
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  paint_orb(p, side);
  return image;
}

// The sizes the desktop's icon theme looks for.
constexpr int kIconSides[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool save(const QImage& image, const QString& dir, const char* name) {
  const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name);
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "draw_skin: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: draw_skin OUTPUT_DIR VERSION\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  bool ok = save(logo(argv[2]), dir, "logo.png");
  ok &= save(label(QStringLiteral("Launch counter"), QColor(128, 0, 0), false), dir, "launch_counter.png");
  ok &= save(label(QStringLiteral("isolated"), QColor(255, 215, 0), true), dir, "isolated.png");
  ok &= save(banner(), dir, "banner.png");
  ok &= save(blank_panel(), dir, "blank_panel.png");
  ok &= save(illustration(), dir, "input_illustration.png");
  ok &= save(orb(), dir, "orb.png");
  for (int side : kIconSides) {
    const std::string name = "icons/orb-" + std::to_string(side) + ".png";
    ok &= save(orb_icon(side), dir, name.c_str());
  }
  return ok ? 0 : 1;
}
