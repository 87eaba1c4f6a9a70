#include "platform/TextField.h"

#include <algorithm>

#include "platform/RasterContent.h"
#include "platform/TextSupport.h"

namespace scene {

using detail::byteOffset;
using detail::codePoints;

TextField::TextField() : raster_(std::make_unique<detail::RasterContent>()) {
    raster_->setPixelAligned(true);
    relayout();
}
TextField::~TextField() = default;

TextField::Style TextField::apply(Style s, const TextFormat& f) {
    if (f.font) s.font = *f.font;
    if (f.size) s.size = *f.size;
    if (f.color) s.color = *f.color & 0xFFFFFF;
    if (f.bold) s.bold = *f.bold;
    if (f.align) s.align = *f.align;
    return s;
}

int TextField::length() const { return codePoints(plain_); }

void TextField::setRuns(std::vector<Run> runs, bool keepHtml) {
    runs_.clear();
    for (auto& r : runs) {
        r.text = detail::sanitiseUtf8(r.text);
        if (r.text.empty()) continue;
        if (!runs_.empty() && runs_.back().style == r.style) runs_.back().text += r.text;
        else runs_.push_back(std::move(r));
    }
    plain_.clear();
    for (const auto& r : runs_) plain_ += r.text;
    if (!keepHtml) {
        html_.clear();
        for (char c : plain_) {
            switch (c) {
                case '<': html_ += "&lt;"; break;
                case '>': html_ += "&gt;"; break;
                case '&': html_ += "&amp;"; break;
                case '\n': html_ += "<br>"; break;
                default: html_ += c;
            }
        }
    }
    caret_ = std::min(caret_, codePoints(plain_));
    relayout();
}

void TextField::setText(const std::string& text) {
    std::string t = text;
    // Carriage returns count as line breaks; a CR LF pair is one break.
    std::string norm;
    norm.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r') {
            norm += '\n';
            if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
        } else {
            norm += t[i];
        }
    }
    if (norm == plain_ && runs_.size() <= 1 && (runs_.empty() || runs_[0].style == defaultStyle())) return;
    setRuns({{norm, defaultStyle()}});
}

void TextField::appendText(const std::string& text) {
    std::vector<Run> runs = runs_;
    runs.push_back({text, runs_.empty() ? defaultStyle() : runs_.back().style});
    setRuns(std::move(runs));
}

void TextField::setDefaultTextFormat(const TextFormat& format) { defaultFormat_ = format; }

void TextField::setTextFormat(const TextFormat& format, int begin, int end) {
    const int total = codePoints(plain_);
    if (begin < 0) {
        begin = 0;
        end = total;
    }
    if (end < 0 || end > total) end = total;
    if (begin >= end) return;
    std::vector<Run> out;
    int pos = 0;
    for (const auto& r : runs_) {
        const int n = codePoints(r.text);
        const int a = std::clamp(begin - pos, 0, n), b = std::clamp(end - pos, 0, n);
        if (a > 0) out.push_back({r.text.substr(0, byteOffset(r.text, a)), r.style});
        if (b > a) {
            const std::size_t ba = byteOffset(r.text, a), bb = byteOffset(r.text, b);
            out.push_back({r.text.substr(ba, bb - ba), apply(r.style, format)});
        }
        if (b < n) out.push_back({r.text.substr(byteOffset(r.text, b)), r.style});
        pos += n;
    }
    // The same format applied again (a hover handler on every pointer move) changes nothing.
    std::vector<Run> merged;
    for (auto& r : out) {
        if (r.text.empty()) continue;
        if (!merged.empty() && merged.back().style == r.style) merged.back().text += r.text;
        else merged.push_back(std::move(r));
    }
    const bool same = merged.size() == runs_.size() &&
                      std::equal(merged.begin(), merged.end(), runs_.begin(), [](const Run& a, const Run& b) {
                          return a.text == b.text && a.style == b.style;
                      });
    if (same) return;
    const std::string html = html_;
    setRuns(std::move(merged), true);
    html_ = html;
}

TextFormat TextField::getTextFormat() const {
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    return TextFormat(s.font, s.size, s.color, s.bold, s.align);
}

std::uint32_t TextField::textColor() const { return runs_.empty() ? defaultStyle().color : runs_.front().style.color; }

void TextField::setTextColor(std::uint32_t c) {
    defaultFormat_.color = c & 0xFFFFFF;
    TextFormat f;
    f.color = c & 0xFFFFFF;
    if (!runs_.empty()) setTextFormat(f);
    else relayout();
}

void TextField::setAutoSize(const std::string& mode) {
    if (mode == autoSize_) return;
    autoSize_ = mode;
    relayout();
}

void TextField::setWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    relayout();
}

void TextField::setType(const std::string& t) {
    type_ = t;
    if (type_ == TextFieldType::INPUT) caret_ = codePoints(plain_);
    rasterDirty_ = true;
}

void TextField::setDisplayAsPassword(bool v) {
    if (v == password_) return;
    password_ = v;
    relayout();
}

void TextField::setWidth(double w) {
    w = std::max(0.0, w);
    if (w == boxWidth_) return;
    boxWidth_ = w;
    relayout();
}

void TextField::setHeight(double h) {
    h = std::max(0.0, h);
    if (h == boxHeight_) return;
    boxHeight_ = h;
    rasterDirty_ = true;
}

std::string TextField::displayText(const std::string& s) const {
    if (!password_) return s;
    return std::string(static_cast<std::size_t>(codePoints(s)), '*');
}

}  // namespace scene
