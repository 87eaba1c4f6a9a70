// Any bytes as the ingredients file, then as the preparations file (each
// beside the real other one), then as the level table: the panel and the
// recipe tree are built and walked, and levels looked up.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "FuzzWorld.h"
#include "recipes/CIngredient.h"
#include "recipes/CIngredients.h"
#include "recipes/CPreparations.h"
#include "recipes/CPxIcon.h"

namespace {

void buildPanelAndTree(const std::string& ingredients, const std::string& preparations) {
    fuzzworld::World::get().package({{CIngredients::FILE_NAME, ingredients}, {CPreparations::FILE_NAME, preparations}});
    CIngredients::reset();
    CPreparations tree;
    auto panel = std::make_shared<CIngredients>();
    panel->enableAllowed(tree.retrieve_ingredients_by_preparation(tree.getTable().get(), false));
    (void)tree.retrieve_ingredients_by_preparation(tree.getTable().get(), true);
    // Picks follow the first allowed ingredient down the tree, as a player would.
    CPreparations::Recipe recipe;
    for (int depth = 0; depth < 8; ++depth) {
        const auto node = tree.retrieve_preparation_by_recipe(recipe);
        const auto allowed = tree.retrieve_ingredients_by_preparation(node.get(), false);
        std::shared_ptr<CIngredient> next;
        for (const auto& tile : panel->getIngredients()) {
            if (!allowed.empty() && tile->getId() == allowed.front()) next = tile;
        }
        if (!next) break;
        recipe.push_back(next);
        if (auto plate = tree.retrieve_plate_by_recipe(recipe)) (void)tree.retrieve_ingredients_by_plate(*plate);
    }
    scene::MouseEvent click(scene::MouseEvent::CLICK, 0, 0);
    panel->listener_scorri_dx_click(click);
    panel->Delete();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string realIngredients = fuzzworld::packagedTable("ingredienti/ingredienti.txt");
    static const std::string realPreparations = fuzzworld::packagedTable("preparazioni/preparazioni.txt");
    const std::string text(reinterpret_cast<const char*>(data), size);
    buildPanelAndTree(text, realPreparations);
    buildPanelAndTree(realIngredients, text);

    CPxIcon::reset();
    CPxIcon::setLevels(text);
    CPxIcon icon(false);
    for (std::int64_t px : {std::numeric_limits<std::int64_t>::min(), std::int64_t{0}, std::int64_t{1000},
                            std::numeric_limits<std::int64_t>::max()}) {
        (void)CPxIcon::aux_decode_px_to_level(px);
        (void)CPxIcon::get_difficult_factor(px);
        icon.set_px(px);
    }
    return 0;
}
