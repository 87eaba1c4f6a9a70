#pragma once

#include <algorithm>

namespace scene {

struct Point {
    double x = 0;
    double y = 0;
    Point() = default;
    Point(double x, double y) : x(x), y(y) {}
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(double px, double py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    Rect united(const Rect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        const double l = std::min(x, o.x), t = std::min(y, o.y);
        const double r = std::max(x + width, o.x + o.width), b = std::max(y + height, o.y + o.height);
        return {l, t, r - l, b - t};
    }
};

// Position, scale and opacity accumulated down the tree while drawing.
struct Transform {
    double tx = 0;
    double ty = 0;
    double sx = 1;
    double sy = 1;
    double alpha = 1;
};

}  // namespace scene
