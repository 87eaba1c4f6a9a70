// Editing an input field: the caret, the keys the stage passes on while the
// field has the focus, and typed text.

#include "platform/TextField.h"

#include <algorithm>

#include "platform/Event.h"
#include "platform/Fonts.h"
#include "platform/TextSupport.h"

namespace scene {

using detail::byteOffset;
using detail::codePoints;
using detail::measure;

void TextField::setSelection(int begin, int end) {
    (void)begin;
    caret_ = std::clamp(end, 0, codePoints(plain_));
    updateCaretX();
}

void TextField::editReplace(int from, int to, const std::string& insert) {
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    const std::size_t a = byteOffset(plain_, from), b = byteOffset(plain_, to);
    const std::string next = plain_.substr(0, a) + insert + plain_.substr(b);
    caret_ = from + codePoints(insert);
    setRuns({{next, s}});
}

bool TextField::handleKey(int keyCode) {
    if (type_ != TextFieldType::INPUT) return false;
    const int n = codePoints(plain_);
    switch (keyCode) {
        case Keyboard::BACKSPACE:
            if (caret_ > 0) editReplace(caret_ - 1, caret_, "");
            return true;
        case Keyboard::DELETE:
            if (caret_ < n) editReplace(caret_, caret_ + 1, "");
            return true;
        case Keyboard::LEFT: caret_ = std::max(0, caret_ - 1); break;
        case Keyboard::RIGHT: caret_ = std::min(n, caret_ + 1); break;
        case Keyboard::HOME: caret_ = 0; break;
        case Keyboard::END: caret_ = n; break;
        case Keyboard::ENTER:
            if (!multiline_) return false;
            return handleTextInput("\n");
        default: return false;
    }
    updateCaretX();
    rasterDirty_ = true;
    return true;
}

bool TextField::handleTextInput(const std::string& utf8) {
    if (type_ != TextFieldType::INPUT) return false;
    std::string clean;
    for (char c : detail::sanitiseUtf8(utf8)) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\n' && multiline_) clean += c;
        else if (u >= 0x20 && u != 0x7F) clean += c;
    }
    if (clean.empty()) return false;
    bool refused = false;
    if (maxChars_ > 0) {
        const int room = std::max(0, maxChars_ - codePoints(plain_));
        refused = codePoints(clean) > room;
        clean = clean.substr(0, byteOffset(clean, room));
    }
    if (!clean.empty()) editReplace(caret_, caret_, clean);
    if (refused) {
        Event event(INPUT_REFUSED);
        dispatchEvent(event);
    }
    return true;
}

void TextField::placeCaretAt(double localX) {
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    TTF_Font* f = detail::font(s.font, s.bold, detail::fontPixels(s.size));
    const std::string shown = displayText(plain_);
    const double target = localX - 2 + scrollX_;
    const int n = codePoints(shown);
    int best = n;
    for (int i = 0; i <= n; ++i) {
        const double w0 = measure(f, shown.substr(0, byteOffset(shown, i)));
        if (w0 >= target) {
            const double wPrev = i > 0 ? measure(f, shown.substr(0, byteOffset(shown, i - 1))) : 0;
            best = (i > 0 && target - wPrev < w0 - target) ? i - 1 : i;
            break;
        }
    }
    caret_ = std::clamp(best, 0, codePoints(plain_));
    updateCaretX();
}

}  // namespace scene
