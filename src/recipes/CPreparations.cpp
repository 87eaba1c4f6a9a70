#include "recipes/CPreparations.h"

#include <cstdio>

#include "app/CMain.h"
#include "app/DataFiles.h"
#include "app/MAux.h"
#include "recipes/CIngredient.h"

int CPreparations::dump_prefix_index = 0;

CPreparations::CPreparations(PlateFactory makePlate) : root_(std::make_shared<CPreparation>("tavolo")) {
    if (!makePlate) makePlate = [](const std::string& kind) { return std::make_shared<CRecipePlate>(kind); };
    const std::string text = MAux::getText(FILE_NAME);
    std::size_t tooLong = 0;
    for (const auto& record : DataFiles::crlfRecords(text)) {
        auto fields = DataFiles::nonEmptyTabFields(record);
        if (fields.size() < 2) continue;
        if (fields.size() - 2 > MAX_RECIPE_LENGTH) {
            ++tooLong;
            continue;
        }
        const auto plate = makePlate(fields[0]);
        std::vector<std::string> path(fields.begin() + 2, fields.end());
        const std::vector<std::string> ingredients = path;
        populate_preparation_recursive(root_, path, plate, ingredients);
    }
    if (tooLong > 0)
        std::fprintf(stderr, "Warning : %zu records of \"%s\" are too long for a recipe and were skipped\n", tooLong,
                     FILE_NAME);
    else if (names_.empty() && !text.empty())
        std::fprintf(stderr, "Warning : \"%s\" holds no recipe\n", FILE_NAME);
    root_->normalizeIds(0);
}

void CPreparations::populate_preparation_recursive(const std::shared_ptr<CPreparation>& preparation,
                                                   std::vector<std::string>& path,
                                                   const std::shared_ptr<CRecipePlate>& plate,
                                                   const std::vector<std::string>& ingredients) {
    // One step down per ingredient; a loop rather than a recursion, with the same result.
    std::shared_ptr<CPreparation> node = preparation;
    std::size_t used = 0;
    while (used < path.size() && !path[used].empty()) {
        const std::string& step = path[used++];
        auto next = node->getFollowing(step);
        if (!next) {
            next = std::make_shared<CPreparation>(step);
            node->addFollowing(next);
        }
        node = std::move(next);
    }
    // An empty step stops the walk and is consumed with it.
    if (used < path.size()) ++used;
    path.erase(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(used));
    // A later record with the same path takes the node's plate over.
    node->setPlate(plate);
    names_.push_back(plate ? plate->getKind() : std::string());
    ingredients_for_name_.push_back(ingredients);
}

std::shared_ptr<CPreparation> CPreparations::retrieve_preparation_by_recipe(const Recipe& recipe) const {
    std::shared_ptr<CPreparation> node = root_;
    for (const auto& ingredient : recipe) {
        if (!ingredient) return nullptr;
        node = node->getFollowing(ingredient->getId());
        if (!node) return nullptr;
    }
    return node;
}

std::shared_ptr<CRecipePlate> CPreparations::retrieve_plate_by_recipe(const Recipe& recipe) const {
    const auto node = retrieve_preparation_by_recipe(recipe);
    return node ? node->getPlate() : nullptr;
}

std::vector<std::string> CPreparations::retrieve_ingredients_by_preparation(const CPreparation* preparation,
                                                                            bool deep) const {
    std::vector<std::string> result;
    if (!preparation) return result;
    for (const auto& child : preparation->getFollowings()) {
        if (deep) {
            auto below = retrieve_ingredients_by_preparation(child.get(), true);
            result.insert(result.end(), below.begin(), below.end());
        } else {
            result.push_back(child->getIngredient());
        }
    }
    result.push_back(preparation->getIngredient());
    return result;
}

const std::vector<std::string>* CPreparations::retrieve_ingredients_by_plate(const CRecipePlate& plate) const {
    const std::string kind = plate.getKind();
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == kind) return &ingredients_for_name_[i];
    return nullptr;
}

void CPreparations::recursive_dump(const CPreparation& preparation) {
    CMain::trace(Value(std::string(static_cast<std::size_t>(dump_prefix_index), ' ') + preparation.getIngredient() + "\n"));
    const auto ingredients = preparation.getIngredients();
    if (ingredients.empty()) return;
    ++dump_prefix_index;
    for (const auto& ingredient : ingredients) recursive_dump(*preparation.getFollowing(ingredient));
    --dump_prefix_index;
}
