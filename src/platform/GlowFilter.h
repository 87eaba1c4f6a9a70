#pragma once

#include <cstdint>

namespace scene {

// A soft halo of one colour around what an object draws.
struct GlowFilter {
    std::uint32_t color = 0xFF0000;
    double alpha = 1.0;
    double blurX = 6.0;
    double blurY = 6.0;
    double strength = 2.0;
    int quality = 1;
    bool inner = false;
    bool knockout = false;

    GlowFilter() = default;
    GlowFilter(std::uint32_t color, double alpha, double blurX, double blurY, double strength = 2.0, int quality = 1,
               bool inner = false, bool knockout = false)
        : color(color), alpha(alpha), blurX(blurX), blurY(blurY), strength(strength), quality(quality), inner(inner),
          knockout(knockout) {}

    bool operator==(const GlowFilter&) const = default;
};

}  // namespace scene
