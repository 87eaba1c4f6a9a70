#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Display.h"

// A large gain or loss ("+ 120") with its yen or experience icon, rising from
// below the window until it has left the top. While any rises, a game cannot end.
class CFloatingText : public scene::Sprite {
public:
    static constexpr double RISE_PER_FRAME = 5;
    static constexpr const char* GLYPHS = "+- 0123456789";

    // Makes a floating text and adds it on top of parent; icon is "px" or "yen"
    // (empty: text and icon centred on parent's width).
    static std::shared_ptr<CFloatingText> show(const std::string& text, std::uint32_t color,
                                               scene::DisplayObjectContainer* parent, const std::string& icon);
    // parent is only measured here; show adds the text to it.
    CFloatingText(const std::string& text, std::uint32_t color, scene::DisplayObjectContainer* parent,
                  const std::string& icon);
    // A text destroyed before leaving the window gives its count back.
    ~CFloatingText() override;

    // Makes now the pictures of the characters a figure in that colour can
    // show (of chars only, when given).
    static void prepareGlyphs(std::uint32_t color, const std::string& chars = GLYPHS);
    // Has the screens the player lingers on make those pictures for every
    // colour of play, a character at a time.
    static void prepareAheadOfPlay();

    virtual void listener_enter_frame(scene::Event& event);
    // Stops rising and stops counting (the game was left); safe to call twice.
    virtual void Delete();

    static bool isFloatingRunning() { return floating_count_ > 0; }

    std::shared_ptr<scene::TextField> text_;
    std::shared_ptr<scene::Sprite> s_;
    scene::TextFormat format_;

    static int floating_count_;
    // Back to the state at program start (tests only).
    static void reset() { floating_count_ = 0; }

private:
    static std::shared_ptr<scene::TextField> makeText(const std::string& text, std::uint32_t color);

    bool counted_ = false;
};
