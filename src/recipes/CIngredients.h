#pragma once

#include <memory>
#include <string>
#include <vector>

#include "recipes/CIngredient.h"
#include "platform/Display.h"

// The paged strip of ingredient tiles on the game screen: ten tiles show at a
// time, in columns of two; the arrows scroll one column at a time. A pick
// joins the recipe and is reported to the screen holding the panel.
class CIngredients : public scene::Sprite {
public:
    using Tiles = std::vector<std::shared_ptr<CIngredient>>;

    static constexpr int DISPLACEMENT = 4;
    static constexpr int INGREDIENTS_FOR_ROW = 5;
    static constexpr int INGREDIENTS_ROWS = 2;
    static constexpr double KEY_LABEL_SIZE = 15;
    static constexpr const char* FILE_NAME = "assets/ingredienti/ingredienti.txt";

    CIngredients();

    // Panels built afterwards read this text instead of the file; "" reads the file again.
    static void setIngredients(const std::string& text);

    virtual void aux_ingredients_displacement();
    virtual void Delete() {}
    const Tiles& getRecipe() const { return recipe_; }
    // Takes every badge off; enabled and disabled tiles stay as they are.
    void clearRecipe();
    virtual void listener_ingredient_click(const std::shared_ptr<CIngredient>& ingredient);
    virtual void listener_mouse_over(scene::MouseEvent& event);
    const Tiles& getIngredients() const { return ingredients_; }
    // Null outside 0 .. count - 1.
    std::shared_ptr<CIngredient> getIngredient(int index) const;
    // Enables exactly the tiles whose id is in allowed and disables the others.
    void enableAllowed(const std::vector<std::string>& allowed);
    int getPage() const { return page_; }

    // Keyboard play: presses the visible tile at reading position 0 (top left)
    // to 9 (bottom right) exactly as a mouse press would; nothing where no tile shows.
    void pressVisibleTile(int position);
    // The arrows' presses, only while that arrow shows.
    void pagePrevious();
    void pageNext();
    // From now on each visible tile carries its key in a corner label.
    void showKeyLabels();
    bool keyLabelsShown() const { return !key_labels_.empty(); }

    virtual void listener_scorri_dx_click(scene::MouseEvent& event);
    virtual void listener_scorri_dx_over(scene::MouseEvent& event);
    virtual void listener_scorri_dx_out(scene::MouseEvent& event);
    virtual void listener_scorri_sx_click(scene::MouseEvent& event);
    virtual void listener_scorri_sx_over(scene::MouseEvent& event);
    virtual void listener_scorri_sx_out(scene::MouseEvent& event);

    std::shared_ptr<scene::Sprite> scorrimento_sx;
    std::shared_ptr<scene::Sprite> scorrimento_dx;

    static std::string ingredients_txt_;
    // Back to the file's text at the next panel (tests only).
    static void reset() { ingredients_txt_.clear(); }

private:
    void aux_load();
    void aux_place_key_labels();
    // Tile index shown at a reading position of the page, or -1.
    int aux_visible_tile(int position) const;

    // The ten corner labels, in reading order; empty until a key is used.
    std::vector<std::shared_ptr<scene::Sprite>> key_labels_;

    Tiles ingredients_;
    Tiles recipe_;
    int page_ = 0;
};
