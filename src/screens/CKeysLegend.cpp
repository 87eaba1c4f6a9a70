#include "screens/CKeysLegend.h"

#include "app/CML.h"
#include "app/MAux.h"
#include "ui/CWidget.h"

namespace {

constexpr double LEFT_X = 75;
constexpr double RIGHT_X = 420;
constexpr double COLUMN_WIDTH = 340;

std::shared_ptr<scene::TextField> column(const std::string& text) {
    static const scene::TextFormat format(MAux::FONTNAME, CKeysLegend::FONT_SIZE, 0x000000, false,
                                          scene::TextFormatAlign::LEFT);
    auto field = std::make_shared<scene::TextField>();
    field->setDefaultTextFormat(format);
    field->setWordWrap(true);
    field->setWidth(COLUMN_WIDTH);
    field->setAutoSize(scene::TextFieldAutoSize::LEFT);
    field->setText(text);
    field->setFilters({scene::GlowFilter(0xFFFF90, 0.8, 2, 2, 3, 3)});
    field->setMouseEnabled(false);
    return field;
}

}  // namespace

CKeysLegend::CKeysLegend(const std::string& key, const scene::DisplayObjectContainer* container) {
    const std::string text = CML::text(key);
    std::vector<std::size_t> breaks;
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) breaks.push_back(i);
    // The left column takes the first half of the lines, the larger half when odd.
    const std::size_t lines = breaks.size() + 1;
    const std::size_t split = lines > 1 ? breaks[(lines + 1) / 2 - 1] : text.size();
    auto left = column(text.substr(0, split));
    addChild(left);
    left->setX(LEFT_X);
    if (split < text.size()) {
        auto right = column(text.substr(split + 1));
        addChild(right);
        right->setX(RIGHT_X);
    }
    setY(CWidget::placeBelowLastChild(container, DISPLACEMENT));
}
