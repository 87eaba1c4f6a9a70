#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recipes/CPreparation.h"
#include "recipes/CRecipePlate.h"

class CIngredient;

// Every recipe of the preparations file as one tree: a recipe is a path from
// the root through one node per picked ingredient. Built once per game.
class CPreparations {
public:
    using PlateFactory = std::function<std::shared_ptr<CRecipePlate>(const std::string& kind)>;
    using Recipe = std::vector<std::shared_ptr<CIngredient>>;

    static constexpr const char* FILE_NAME = "assets/preparazioni/preparazioni.txt";
    // Longer records come only from a damaged file; they are skipped so that
    // no walk of the tree can run out of stack.
    static constexpr std::size_t MAX_RECIPE_LENGTH = 64;

    // Reads the file and every preparation picture. makePlate makes the plate
    // template of each record (the game's belt plate); without it, plain ones.
    explicit CPreparations(PlateFactory makePlate = {});
    virtual ~CPreparations() = default;

    // Inserts one recipe below preparation, consuming path from its front.
    void populate_preparation_recursive(const std::shared_ptr<CPreparation>& preparation,
                                        std::vector<std::string>& path, const std::shared_ptr<CRecipePlate>& plate,
                                        const std::vector<std::string>& ingredients);
    const std::shared_ptr<CPreparation>& getTable() const { return root_; }
    // One kind per loaded recipe, in file order (repeated kinds repeat).
    const std::vector<std::string>& getNames() const { return names_; }
    // The node the picks reach, the root for no picks, or null off the tree.
    std::shared_ptr<CPreparation> retrieve_preparation_by_recipe(const Recipe& recipe) const;
    // The plate the picks make, or null when they make none (a wasted preparation).
    std::shared_ptr<CRecipePlate> retrieve_plate_by_recipe(const Recipe& recipe) const;
    // Not deep: the ingredients that may follow, then the node's own. Deep: the
    // subtree in post-order. No node (a recipe off the tree) allows nothing.
    std::vector<std::string> retrieve_ingredients_by_preparation(const CPreparation* preparation, bool deep) const;
    // The ingredients of the first recipe making plate's kind, or null.
    const std::vector<std::string>* retrieve_ingredients_by_plate(const CRecipePlate& plate) const;
    // Writes the subtree, indented by depth, to the trace sink.
    void recursive_dump(const CPreparation& preparation);

    static int dump_prefix_index;

private:
    std::shared_ptr<CPreparation> root_;
    std::vector<std::string> names_;
    std::vector<std::vector<std::string>> ingredients_for_name_;
};
