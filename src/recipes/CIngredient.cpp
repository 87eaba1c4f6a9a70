#include "recipes/CIngredient.h"

#include "app/MAux.h"
#include "recipes/CIngredients.h"

std::optional<scene::TextFormat> CIngredient::format_;

namespace {

std::shared_ptr<scene::Bitmap> picture(const std::string& name, double x = 0, double y = 0) {
    auto bitmap = std::make_shared<scene::Bitmap>(MAux::getBitmapData(name));
    bitmap->setX(x);
    bitmap->setY(y);
    return bitmap;
}

}  // namespace

CIngredient::CIngredient(std::string id, std::string group, std::int64_t px, std::int64_t yen)
    : id_(std::move(id)), group_(std::move(group)), px_(px), yen_(yen) {
    if (!format_) format_ = scene::TextFormat(MAux::FONTNAME, 8, 0x000000, true, scene::TextFormatAlign::RIGHT);
    addChild(picture("assets/ingredienti/riquadro.png"));
    addChild(picture("assets/ingredienti/" + id_ + ".png", 2, 2));
    if (group_.empty()) return;

    bg_yen_ = std::make_shared<scene::Sprite>();
    bg_yen_->graphics().beginFill(0xF2EAB7, 1.0);
    bg_yen_->graphics().drawRoundRect(0, 0, 35, 10, 4, 4);
    bg_yen_->graphics().endFill();
    bg_yen_->setX(29);
    bg_yen_->setY(52);
    addChild(bg_yen_);

    bg_yen_value_ = std::make_shared<scene::TextField>();
    bg_yen_value_->setDefaultTextFormat(*format_);
    bg_yen_value_->setText("+ " + std::to_string(yen_) + " \xC2\xA5");
    // Tiles come and go with each preparation: their prices are drawn from the
    // pictures of their characters, made once.
    bg_yen_value_->setDrawnByGlyph(true, "+0123456789\xC2\xA5");
    bg_yen_value_->setWidth(35);
    bg_yen_value_->setHeight(20);
    bg_yen_value_->setX(29);
    bg_yen_value_->setY(50);
    addChild(bg_yen_value_);

    // The transparent cover takes the pointer over the label, so the tile, not
    // the text, is what the pointer is over.
    s_ = std::make_shared<scene::Sprite>();
    auto cover = picture("assets/b.png");
    cover->setWidth(bg_yen_value_->width());
    cover->setHeight(bg_yen_value_->height());
    s_->addChild(cover);
    s_->setX(29);
    s_->setY(50);
    addChild(s_);

    sprite_disabled_ = MAux::pictureSprite("assets/ingredienti/disattivato.png");
    for (int k = 0; k < BADGES; ++k) {
        auto badge = MAux::pictureSprite("assets/ingredienti/selezionato" + std::to_string(k + 1) + ".png");
        badge->setX(2);
        badge->setY(2);
        sprite_selected_[static_cast<std::size_t>(k)] = badge;
    }

    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CIngredient::listener_mouse_over);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CIngredient::listener_mouse_out);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CIngredient::listener_mouse_click);
}

void CIngredient::listener_mouse_over(scene::MouseEvent& event) {
    if (auto* panel = dynamic_cast<CIngredients*>(parent())) panel->listener_mouse_over(event);
    MAux::mouseCursorToButton();
    if (!disabled_ && !selected_) event.stopPropagation();
}

void CIngredient::listener_mouse_out(scene::MouseEvent&) { MAux::mouseCursorToArrow(); }

void CIngredient::listener_mouse_click(scene::MouseEvent&) {
    if (selected_ || disabled_ || group_.empty()) return;
    // A tile outside a panel has no recipe to join.
    auto* panel = dynamic_cast<CIngredients*>(parent());
    if (!panel) return;
    selected_ = true;
    // A recipe longer than the badges goes on without one.
    const std::size_t k = panel->getRecipe().size();
    if (k < sprite_selected_.size()) addChild(sprite_selected_[k]);
    panel->listener_ingredient_click(std::static_pointer_cast<CIngredient>(shared_from_this()));
}

void CIngredient::unSelect() {
    for (const auto& badge : sprite_selected_)
        if (badge && badge->parent() == this) removeChild(badge);
    selected_ = false;
}

void CIngredient::disable() {
    if (selected_ || disabled_ || group_.empty()) return;
    disabled_ = true;
    addChildAt(sprite_disabled_, 2);
    bg_yen_->setVisible(false);
    bg_yen_value_->setVisible(false);
}

void CIngredient::enable() {
    if (!disabled_) return;
    removeChild(sprite_disabled_);
    disabled_ = false;
    bg_yen_->setVisible(true);
    bg_yen_value_->setVisible(true);
}
