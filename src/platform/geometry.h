#pragma once

namespace sonvale::platform {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  int right() const { return x + w; }
  int bottom() const { return y + h; }
  // Left and top edges inside, right and bottom edges outside.
  bool contains(Point p) const { return x <= p.x && p.x < right() && y <= p.y && p.y < bottom(); }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace sonvale::platform
