#include "recipes/CIngredients.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "app/DataFiles.h"
#include "app/MAux.h"
#include "recipes/CRecipesHost.h"

std::string CIngredients::ingredients_txt_;

namespace {

// An arrow: its picture, and over it the highlighted one, hidden.
std::shared_ptr<scene::Sprite> arrow(const std::string& name) {
    auto sprite = std::make_shared<scene::Sprite>();
    sprite->addChild(std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/ingredienti/" + name + ".png")));
    auto over = std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/ingredienti/" + name + "_over.png"));
    over->setVisible(false);
    sprite->addChild(over);
    return sprite;
}

void showOver(scene::Sprite& arrow, bool shown) { arrow.getChildAt(1)->setVisible(shown); }

}  // namespace

void CIngredients::setIngredients(const std::string& text) { ingredients_txt_ = text; }

CIngredients::CIngredients() {
    scorrimento_dx = arrow("scorri_dx");
    scorrimento_dx->addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CIngredients::listener_scorri_dx_over);
    scorrimento_dx->addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CIngredients::listener_scorri_dx_out);
    scorrimento_dx->addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CIngredients::listener_scorri_dx_click);
    scorrimento_sx = arrow("scorri_sx");
    scorrimento_sx->addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CIngredients::listener_scorri_sx_over);
    scorrimento_sx->addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CIngredients::listener_scorri_sx_out);
    scorrimento_sx->addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CIngredients::listener_scorri_sx_click);

    // The background frames the content with a margin on every side.
    auto background = std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/ingredienti/sfondo.png"));
    background->setWidth(background->width() + 2 * DISPLACEMENT);
    background->setHeight(background->height() + 2 * DISPLACEMENT);
    background->setX(-DISPLACEMENT);
    background->setY(-DISPLACEMENT);
    addChild(background);

    addChild(scorrimento_dx);
    scorrimento_dx->setX(background->width() - 2 * DISPLACEMENT - scorrimento_dx->width());
    scorrimento_dx->setY(DISPLACEMENT);
    addChild(scorrimento_sx);
    scorrimento_sx->setX(DISPLACEMENT);
    scorrimento_sx->setY(DISPLACEMENT);
    scorrimento_sx->setVisible(false);

    aux_load();
    for (const auto& tile : ingredients_) addChild(tile);
    aux_ingredients_displacement();
}

void CIngredients::aux_load() {
    if (ingredients_txt_.empty()) ingredients_txt_ = MAux::getText(FILE_NAME);
    std::set<std::string> ids;
    for (const auto& record : DataFiles::looseRecords(ingredients_txt_)) {
        const auto fields = DataFiles::tabFields(record);
        if (fields.size() < 2) continue;
        // A twin tile would stay clickable after its first was picked and lead
        // the recipe off the tree, so only the first record of an id counts.
        if (!ids.insert(fields[0]).second) {
            std::fprintf(stderr, "Warning : ingredient \"%s\" is listed twice in \"%s\"; the second is skipped\n",
                         fields[0].c_str(), FILE_NAME);
            continue;
        }
        const std::int64_t px = fields.size() > 2 ? DataFiles::readInt(fields[2]) : 0;
        const std::int64_t yen = fields.size() > 3 ? DataFiles::readInt(fields[3]) : 0;
        ingredients_.push_back(std::make_shared<CIngredient>(fields[0], fields[1], px, yen));
    }
    if (ingredients_.empty() && !ingredients_txt_.empty())
        std::fprintf(stderr, "Warning : \"%s\" holds no ingredient\n", FILE_NAME);
}

void CIngredients::aux_ingredients_displacement() {
    const int n = static_cast<int>(ingredients_.size());
    scorrimento_sx->setVisible(page_ > 0);
    // Shown while any tile lies right of the visible page, so an odd last tile
    // can be scrolled into view too.
    scorrimento_dx->setVisible((page_ + INGREDIENTS_FOR_ROW) * INGREDIENTS_ROWS < n);
    // A hidden arrow gets no "mouseOut": drop its highlight now.
    if (!scorrimento_sx->visible()) showOver(*scorrimento_sx, false);
    if (!scorrimento_dx->visible()) showOver(*scorrimento_dx, false);
    for (const auto& tile : ingredients_) tile->setVisible(false);

    const int start = page_ * INGREDIENTS_ROWS;
    int k = start;
    for (int c = 0; c < INGREDIENTS_FOR_ROW; ++c) {
        for (int r = 0; r < INGREDIENTS_ROWS; ++r, ++k) {
            if (k < 0 || k >= n) return;
            auto& tile = *ingredients_[static_cast<std::size_t>(k)];
            tile.setY(r * (tile.width() + DISPLACEMENT));
            tile.setX(c * (tile.width() + DISPLACEMENT) + scorrimento_sx->width() + DISPLACEMENT);
            tile.setVisible(true);
        }
    }
}

int CIngredients::aux_visible_tile(int position) const {
    if (position < 0 || position >= INGREDIENTS_FOR_ROW * INGREDIENTS_ROWS) return -1;
    // Tiles fill columns top to bottom; keys read rows left to right.
    const int row = position / INGREDIENTS_FOR_ROW;
    const int column = position % INGREDIENTS_FOR_ROW;
    const int k = page_ * INGREDIENTS_ROWS + column * INGREDIENTS_ROWS + row;
    return k < static_cast<int>(ingredients_.size()) ? k : -1;
}

void CIngredients::pressVisibleTile(int position) {
    const int k = aux_visible_tile(position);
    if (k < 0) return;
    scene::MouseEvent press(scene::MouseEvent::MOUSE_DOWN, 0, 0);
    ingredients_[static_cast<std::size_t>(k)]->listener_mouse_click(press);
}

void CIngredients::pagePrevious() {
    if (!scorrimento_sx->visible()) return;
    scene::MouseEvent press(scene::MouseEvent::MOUSE_DOWN, 0, 0);
    listener_scorri_sx_click(press);
}

void CIngredients::pageNext() {
    if (!scorrimento_dx->visible()) return;
    scene::MouseEvent press(scene::MouseEvent::MOUSE_DOWN, 0, 0);
    listener_scorri_dx_click(press);
}

void CIngredients::showKeyLabels() {
    if (!key_labels_.empty()) return;
    static const scene::TextFormat format(MAux::FONTNAME, 11, 0xFFFFFF, true, scene::TextFormatAlign::CENTER);
    const char* const keys = "1234567890";
    for (int i = 0; i < INGREDIENTS_FOR_ROW * INGREDIENTS_ROWS; ++i) {
        auto label = std::make_shared<scene::Sprite>();
        // Dark with a light rim, so it reads on light and dark pictures alike.
        label->graphics().beginFill(0xFFFFFF, 0.9);
        label->graphics().drawRoundRect(0, 0, KEY_LABEL_SIZE, KEY_LABEL_SIZE, 6);
        label->graphics().beginFill(0x303030, 0.9);
        label->graphics().drawRoundRect(1, 1, KEY_LABEL_SIZE - 2, KEY_LABEL_SIZE - 2, 5);
        label->graphics().endFill();
        auto text = std::make_shared<scene::TextField>();
        text->setDefaultTextFormat(format);
        text->setText(std::string(1, keys[i]));
        text->setWidth(KEY_LABEL_SIZE);
        text->setHeight(KEY_LABEL_SIZE);
        text->setY(-1);
        text->setMouseEnabled(false);
        label->addChild(text);
        label->setMouseEnabled(false);
        addChild(label);
        key_labels_.push_back(label);
    }
    aux_place_key_labels();
}

void CIngredients::aux_place_key_labels() {
    for (std::size_t i = 0; i < key_labels_.size(); ++i) {
        const int k = aux_visible_tile(static_cast<int>(i));
        key_labels_[i]->setVisible(k >= 0);
        if (k < 0) continue;
        const auto& tile = *ingredients_[static_cast<std::size_t>(k)];
        key_labels_[i]->setX(tile.x() + tile.width() - KEY_LABEL_SIZE - 3);
        key_labels_[i]->setY(tile.y() + 3);
    }
}

void CIngredients::clearRecipe() {
    for (const auto& tile : recipe_) tile->unSelect();
    recipe_.clear();
}

void CIngredients::listener_ingredient_click(const std::shared_ptr<CIngredient>& ingredient) {
    recipe_.push_back(ingredient);
    if (auto* host = dynamic_cast<CRecipesHost*>(parent())) host->listener_ingredients_updated(*this);
}

void CIngredients::listener_mouse_over(scene::MouseEvent& event) {
    for (const auto& tile : ingredients_) tile->listener_mouse_out(event);
}

std::shared_ptr<CIngredient> CIngredients::getIngredient(int index) const {
    if (index < 0 || index >= static_cast<int>(ingredients_.size())) return nullptr;
    return ingredients_[static_cast<std::size_t>(index)];
}

void CIngredients::enableAllowed(const std::vector<std::string>& allowed) {
    for (const auto& tile : ingredients_) {
        if (std::find(allowed.begin(), allowed.end(), tile->getId()) != allowed.end())
            tile->enable();
        else
            tile->disable();
    }
}

void CIngredients::listener_scorri_dx_click(scene::MouseEvent&) {
    if ((page_ + INGREDIENTS_FOR_ROW) * INGREDIENTS_ROWS < static_cast<int>(ingredients_.size())) ++page_;
    aux_ingredients_displacement();
    aux_place_key_labels();
}

void CIngredients::listener_scorri_sx_click(scene::MouseEvent&) {
    if (page_ > 0) --page_;
    aux_ingredients_displacement();
    aux_place_key_labels();
}

void CIngredients::listener_scorri_dx_over(scene::MouseEvent& event) {
    MAux::mouseCursorToButton();
    showOver(*scorrimento_sx, false);
    showOver(*scorrimento_dx, true);
    event.stopPropagation();
}

void CIngredients::listener_scorri_sx_over(scene::MouseEvent& event) {
    MAux::mouseCursorToButton();
    showOver(*scorrimento_dx, false);
    showOver(*scorrimento_sx, true);
    event.stopPropagation();
}

void CIngredients::listener_scorri_dx_out(scene::MouseEvent&) {
    MAux::mouseCursorToArrow();
    showOver(*scorrimento_dx, false);
}

void CIngredients::listener_scorri_sx_out(scene::MouseEvent&) {
    MAux::mouseCursorToArrow();
    showOver(*scorrimento_sx, false);
}
