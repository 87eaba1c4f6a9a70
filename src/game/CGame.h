#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/CScreen.h"
#include "app/Value.h"
#include "game/CTapeHost.h"
#include "recipes/CRecipesHost.h"
#include "platform/Display.h"

class CEaters;
class CIngredients;
class CPlate;
class COrders;
class CPreparations;
class CScore;
class CTable;
class CTape;

// The game screen: builds the belt, the ingredient strip, the preparation
// table, the score strip, the order queue and the customers from the table
// layout file, then books every gain and loss, shows the panel of a pressed
// order, and ends the game once every order has left the belt.
class CGame : public CScreen, public CTapeHost, public CRecipesHost {
public:
    static constexpr int MAX_COUNTDOWN = 60;
    static constexpr int SERVED_PLATE_FRAMES = 600;
    static constexpr int UNORDERED_PLATE_FRAMES = 1800;
    static constexpr int SERVED_BONUS_PX = 20;
    static constexpr std::uint32_t COLOR_LEAVING = 0x0000FF;
    static constexpr std::uint32_t COLOR_PX = 0x000080;
    static constexpr std::uint32_t COLOR_WASTED = 0x800000;

    // params: [table number, number of orders].
    explicit CGame(const Value& params);
    ~CGame() override;

    // Whether params carry the order count a game needs.
    static bool hasOrderCount(const Value& params);

    void Delete() override;
    void listener_ingredients_updated(CIngredients& panel) override;
    void listener_dead_slot(const std::shared_ptr<CSlot>& item) override;
    void listener_reset_recipe() override;
    void listener_new_order() override;
    void listener_new_consume() override;
    bool listener_game_over() override;
    virtual void aux_score_update(scene::Event& event);
    std::shared_ptr<CEaters> getEaters() const { return eaters_; }
    void listener_order_click(const std::shared_ptr<COrder>& order) override;
    virtual void listener_enter_frame(scene::Event& event);
    bool isOver() const { return ended_; }

    // Keyboard play: 1 to 9 and 0 press the visible tiles in reading order,
    // Left and Right page the strip, Space and Enter press the table, Tab
    // presses the orders on the belt in turn, oldest first; P and Escape pause.
    virtual void listener_key_down(scene::KeyboardEvent& event);
    // The window lost the focus: the game pauses.
    virtual void listener_deactivate(scene::Event& event);
    // Shows the pause overlay; nothing once the game has ended or while suspended.
    void pause();
    bool isPaused() const { return frameSuspended(); }
    // The customers are not on the display tree: they stand still with the screen.
    void suspend() override;
    void resume() override;

    std::unique_ptr<CPreparations> preparations_;
    std::shared_ptr<CIngredients> ingredients_;
    std::shared_ptr<CTable> table_;
    std::shared_ptr<CTape> tape_;
    std::shared_ptr<CScore> score_;
    std::unique_ptr<COrders> orders_;
    std::shared_ptr<CEaters> eaters_;
    std::shared_ptr<CPlate> evidenced_order_next_;
    int evidenced_order_open_countdown_ = 0;
    std::shared_ptr<CPlate> evidenced_order_;
    int evidenced_order_stay_countdown_ = 0;
    int evidenced_order_close_countdown_ = 0;

    // Kinds of the last three plates put on the belt without an order, across games.
    static std::vector<std::string> latest_plates_;
    // Back to the state at program start (tests only).
    static void reset() { latest_plates_.clear(); }

private:
    void aux_float(const std::string& text, std::uint32_t color, const std::string& icon);
    void aux_stop_score_update();
    std::shared_ptr<CPlate> aux_order_panel(const std::string& kind, int yen);
    void aux_prepare_pictures();
    // The next order on the belt after the one Tab pressed last, oldest first.
    std::shared_ptr<COrder> aux_next_order_in_turn();
    bool aux_play_key(int keyCode);

    // Orders in the order they joined the belt; those gone are dropped as Tab walks them.
    std::vector<std::weak_ptr<COrder>> belt_orders_;
    std::weak_ptr<COrder> tab_order_;

    bool ended_ = false;
    bool deleted_ = false;
};
