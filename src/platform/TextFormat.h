#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace scene {

namespace TextFormatAlign {
inline constexpr const char* LEFT = "left";
inline constexpr const char* RIGHT = "right";
inline constexpr const char* CENTER = "center";
inline constexpr const char* JUSTIFY = "justify";
}  // namespace TextFormatAlign

// Character and paragraph formatting. Unset fields leave the text's current
// value alone when the format is applied.
struct TextFormat {
    std::optional<std::string> font;
    std::optional<double> size;
    std::optional<std::uint32_t> color;
    std::optional<bool> bold;
    std::optional<std::string> align;

    TextFormat() = default;
    TextFormat(std::optional<std::string> font, std::optional<double> size = {},
               std::optional<std::uint32_t> color = {}, std::optional<bool> bold = {},
               std::optional<std::string> align = {})
        : font(std::move(font)), size(size), color(color), bold(bold), align(std::move(align)) {}

    bool operator==(const TextFormat&) const = default;
};

}  // namespace scene
