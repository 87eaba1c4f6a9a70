#pragma once

#include <memory>
#include <string>
#include <vector>

#include "recipes/CRecipePlate.h"
#include "platform/Display.h"

// One node of the recipe tree: the state of a plate after some picks. Once the
// tree is numbered, a node other than the root shows its preparation's picture,
// and the preparation table shows the node itself.
class CPreparation : public scene::Sprite {
public:
    using Followings = std::vector<std::shared_ptr<CPreparation>>;

    explicit CPreparation(std::string ingredient, Followings followings = {});

    // The ingredient whose pick leads here ("tavolo" for the root).
    const std::string& getIngredient() const { return ingredient_; }
    // -1 until the tree is numbered; the root is 0.
    int getId() const { return id_; }
    // The template of the plate a recipe stopping here makes; null for a mere step.
    void setPlate(std::shared_ptr<CRecipePlate> plate) { plate_ = std::move(plate); }
    const std::shared_ptr<CRecipePlate>& getPlate() const { return plate_; }
    // The first child reached by exactly this ingredient, or null.
    std::shared_ptr<CPreparation> getFollowing(const std::string& ingredient) const;
    const Followings& getFollowings() const { return followings_; }
    // The children's ingredients in child order.
    std::vector<std::string> getIngredients() const;
    // Appends without checking for a child with the same ingredient.
    void addFollowing(std::shared_ptr<CPreparation> preparation);
    // Numbers this subtree in pre-order from id, gives every node but the root
    // its picture, and returns the next free number.
    int normalizeIds(int id);

    // "assets/preparazioni/" + the last three digits of the number + ".png".
    static std::string pictureName(int id);

private:
    std::string ingredient_;
    Followings followings_;
    int id_ = -1;
    std::shared_ptr<CRecipePlate> plate_;
};
