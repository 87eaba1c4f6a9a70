#include "recipes/CPreparation.h"

#include "app/MAux.h"

CPreparation::CPreparation(std::string ingredient, Followings followings)
    : ingredient_(std::move(ingredient)), followings_(std::move(followings)) {}

std::shared_ptr<CPreparation> CPreparation::getFollowing(const std::string& ingredient) const {
    for (const auto& child : followings_)
        if (child->ingredient_ == ingredient) return child;
    return nullptr;
}

std::vector<std::string> CPreparation::getIngredients() const {
    std::vector<std::string> out;
    out.reserve(followings_.size());
    for (const auto& child : followings_) out.push_back(child->ingredient_);
    return out;
}

void CPreparation::addFollowing(std::shared_ptr<CPreparation> preparation) {
    followings_.push_back(std::move(preparation));
}

int CPreparation::normalizeIds(int id) {
    id_ = id;
    int next = id + 1;
    for (const auto& child : followings_) next = child->normalizeIds(next);
    // Numbering again replaces the picture instead of stacking a second one.
    while (numChildren() > 0) removeChildAt(0);
    if (id_ > 0) addChild(std::make_shared<scene::Bitmap>(MAux::getBitmapData(pictureName(id_))));
    return next;
}

std::string CPreparation::pictureName(int id) {
    const std::string digits = "000" + std::to_string(id);
    return "assets/preparazioni/" + digits.substr(digits.size() - 3) + ".png";
}
