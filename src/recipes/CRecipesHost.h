#pragma once

class CIngredients;

// What the ingredient panel and the preparation table ask of the screen that
// holds them (the game screen implements it). They find it as their display
// parent, so the recipes library never depends on the game.
class CRecipesHost {
public:
    virtual ~CRecipesHost() = default;
    // A tile was picked; the panel's recipe already holds it.
    virtual void listener_ingredients_updated(CIngredients& panel) = 0;
    // The table was clicked: serve or throw away the preparation, then clear the recipe.
    virtual void listener_reset_recipe() = 0;
};
