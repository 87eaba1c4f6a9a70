#include "game/CGame.h"

#include <algorithm>

#include "app/CMain.h"
#include "app/DataFiles.h"
#include "app/CSound.h"
#include "app/MAux.h"
#include "game/CEaters.h"
#include "game/CFloatingText.h"
#include "game/CIgnoreMouse.h"
#include "game/COrder.h"
#include "game/COrders.h"
#include "game/CPause.h"
#include "game/CPlate.h"
#include "game/CScore.h"
#include "game/CTape.h"
#include "net/CNetworking.h"
#include "net/CServiceCommands.h"
#include "recipes/CIngredient.h"
#include "recipes/CIngredients.h"
#include "recipes/CPreparation.h"
#include "recipes/CPreparations.h"
#include "recipes/CTable.h"

std::vector<std::string> CGame::latest_plates_;

namespace {

// Line index of the layout file as "X,Y"; anything missing reads as 0.
scene::Point layoutPoint(const std::vector<std::string>& lines, std::size_t index) {
    if (index >= lines.size()) return {0, 0};
    const std::string& line = lines[index];
    const std::size_t comma = line.find(',');
    const double x = static_cast<double>(DataFiles::readInt(line.substr(0, comma)));
    const double y = comma == std::string::npos ? 0.0 : static_cast<double>(DataFiles::readInt(line.substr(comma + 1)));
    return {x, y};
}

std::string layoutLine(const std::vector<std::string>& lines, std::size_t index) {
    return index < lines.size() ? lines[index] : std::string();
}

void place(scene::DisplayObject& object, const scene::Point& p) {
    object.setX(p.x);
    object.setY(p.y);
}

}  // namespace

bool CGame::hasOrderCount(const Value& params) { return params.isArray() && params.array().size() >= 2; }

CGame::CGame(const Value& params) {
    const std::string name = params.array().at(0).isString() ? params.array().at(0).str() : params.array().at(0).text();
    const int count = static_cast<int>(params.array().at(1).toInt());
    const auto lines = DataFiles::crlfRecords(MAux::getText("assets/tavoli/game" + name + ".txt"));

    // The tree's plate templates are belt plates, so serving clones one.
    preparations_ = std::make_unique<CPreparations>([](const std::string& kind) { return std::make_shared<CPlate>(kind); });
    ingredients_ = std::make_shared<CIngredients>();
    table_ = std::make_shared<CTable>();
    score_ = std::make_shared<CScore>(count);
    tape_ = std::make_shared<CTape>(layoutLine(lines, 0), layoutLine(lines, 1));
    orders_ = std::make_unique<COrders>(count, *preparations_, this);
    eaters_ = std::make_shared<CEaters>(count);
    MAux::mouseCursorToArrow();

    addChild(tape_);
    addChild(ingredients_);
    addChild(table_);
    addChild(score_);
    place(*tape_, layoutPoint(lines, 2));
    place(*ingredients_, layoutPoint(lines, 3));
    place(*table_, layoutPoint(lines, 4));
    place(*score_, layoutPoint(lines, 5));

    score_->px_increment(0);
    score_->yen_increment(0);
    ingredients_->enableAllowed(preparations_->retrieve_ingredients_by_preparation(preparations_->getTable().get(), false));
    aux_prepare_pictures();
    addEventListener(scene::Event::ENTER_FRAME, this, &CGame::listener_enter_frame);
    if (auto* stage = scene::Stage::current()) {
        stage->addEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CGame::listener_key_down);
        stage->addEventListener(scene::Event::DEACTIVATE, this, &CGame::listener_deactivate);
    }
}

CGame::~CGame() { Delete(); }

void CGame::Delete() {
    if (deleted_) return;
    deleted_ = true;
    MAux::mouseCursorToArrow();
    removeEventListener(scene::Event::ENTER_FRAME, this, &CGame::listener_enter_frame);
    if (auto* stage = scene::Stage::current()) {
        stage->removeEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CGame::listener_key_down);
        stage->removeEventListener(scene::Event::DEACTIVATE, this, &CGame::listener_deactivate);
    }
    aux_stop_score_update();
    if (score_) {
        removeChild(score_);
        score_->Delete();
    }
    if (table_) {
        removeChild(table_);
        table_->Delete();
    }
    if (ingredients_) {
        removeChild(ingredients_);
        ingredients_->Delete();
    }
    if (tape_) {
        removeChild(tape_);
        tape_->Delete();
        for (const auto& item : tape_->tape_) {
            if (item) item->Delete();
        }
    }
    // Nothing of a finished game keeps running: the waiting orders, the row
    // of customers (never on the display tree) and the rising texts.
    if (orders_) orders_->Delete();
    if (eaters_) eaters_->Delete();
    for (int i = 0; i < numChildren(); ++i) {
        if (auto floating = std::dynamic_pointer_cast<CFloatingText>(getChildAt(i))) floating->Delete();
    }
}

void CGame::aux_float(const std::string& text, std::uint32_t color, const std::string& icon) {
    CFloatingText::show(text, color, this, icon);
}

void CGame::listener_ingredients_updated(CIngredients&) {
    if (ended_) return;
    const auto node = preparations_->retrieve_preparation_by_recipe(ingredients_->getRecipe());
    ingredients_->enableAllowed(preparations_->retrieve_ingredients_by_preparation(node.get(), false));
    table_->showPreparation(node);
}

void CGame::listener_reset_recipe() {
    if (ended_) return;
    int px = 0;
    int yen = 0;
    for (const auto& tile : ingredients_->getRecipe()) {
        px += static_cast<int>(tile->getPx());
        yen += static_cast<int>(tile->getYen());
    }
    const auto current = table_->getCurrentPreparation();
    const auto templ = current ? std::dynamic_pointer_cast<CPlate>(current->getPlate()) : nullptr;
    if (!templ) {
        score_->yen_decrement(yen);
        aux_float("- " + std::to_string(yen), COLOR_WASTED, "yen");
    } else {
        auto plate = templ->clone();
        if (tape_->replaceOrderWithPlate(plate)) {
            plate->setPositive(true);
            plate->setLifespan(SERVED_PLATE_FRAMES);
            px += SERVED_BONUS_PX;
            score_->px_increment(px);
            aux_float("+ " + std::to_string(px), COLOR_PX, "px");
        } else {
            plate->setPositive(false);
            plate->setLifespan(UNORDERED_PLATE_FRAMES);
            plate->setYen(yen);
            if (tape_->putPlate(plate)) {
                const bool recent =
                    std::find(latest_plates_.begin(), latest_plates_.end(), plate->getKind()) != latest_plates_.end();
                if (!recent) {
                    score_->px_increment(px);
                    aux_float("+ " + std::to_string(px), COLOR_PX, "px");
                }
                latest_plates_.push_back(plate->getKind());
                if (latest_plates_.size() > 3) latest_plates_.erase(latest_plates_.begin());
            } else {
                score_->yen_decrement(plate->getYen());
                aux_float("- " + std::to_string(plate->getYen()), COLOR_WASTED, "yen");
            }
        }
    }
    ingredients_->clearRecipe();
    ingredients_->enableAllowed(preparations_->retrieve_ingredients_by_preparation(preparations_->getTable().get(), false));
    table_->showPreparation(preparations_->getTable());
}

void CGame::listener_new_order() {
    auto order = orders_->getNextOrder();
    if (!order) return;
    if (tape_->putOrder(order)) {
        score_->orders_decrement();
        belt_orders_.push_back(order);
    } else {
        orders_->restoreOrder(order);
    }
}

void CGame::listener_new_consume() {
    auto plate = tape_->getAnyPlateNotOrdered();
    if (!plate || !(MAux::random() > 0.8)) return;
    plate->setPositive(true);
    // The customer has it now: nobody is worried about it any more.
    plate->hurryNoMore();
    eaters_->addEater();
}

void CGame::listener_dead_slot(const std::shared_ptr<CSlot>& item) {
    const int yen = item->getYen();
    if (item->getPositive()) {
        score_->yen_increment(yen);
        aux_float("+ " + std::to_string(yen), COLOR_LEAVING, "yen");
        CSound("mangiato");
    } else {
        score_->yen_decrement(yen);
        aux_float("- " + std::to_string(yen), COLOR_LEAVING, "yen");
        CSound("buttato");
    }
}

bool CGame::listener_game_over() {
    if (ended_) return true;
    if (!tape_->isEmpty() || !orders_->isEmpty() || CFloatingText::isFloatingRunning()) return false;
    ended_ = true;
    // The totals are final from here on: nothing on this screen may change them.
    CIgnoreMouse::apply(*this);
    // The player's gains wait for the service's acknowledgement, so that no
    // failure on the way (a totals fetch, this upload) loses the game.
    if (CNetworking::isLogged()) CScore::keepPending(CScore::actual_px_, CScore::actual_yen_);
    if (CNetworking::isCryptReady() && CNetworking::isLogged() && CScore::totalsFromService()) {
        addEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CGame::aux_score_update);
        addEventListener(CNetworkingEvent::ERROR, this, &CGame::aux_score_update);
        std::make_shared<CNetworking>()->SendAsync(
            CServiceCommands::SCORE, CServiceCommands::scoreUpdatePayload(CScore::px_, CScore::yen_), this);
    } else {
        CMain::Dispatch(CMain::SCREEN_GAME_OVER);
    }
    return true;
}

void CGame::aux_stop_score_update() {
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CGame::aux_score_update);
    removeEventListener(CNetworkingEvent::ERROR, this, &CGame::aux_score_update);
}

void CGame::aux_score_update(scene::Event& event) {
    aux_stop_score_update();
    // Only an upload that got no answer leaves the service without these
    // totals. Any reply means it read them; when it refused them, the totals
    // it keeps stand and the next retrieval brings them.
    if (event.type() != CNetworkingEvent::ERROR) CScore::acknowledgePending();
    CMain::Dispatch(CMain::SCREEN_GAME_OVER);
}

void CGame::listener_order_click(const std::shared_ptr<COrder>& order) {
    if (ended_ || evidenced_order_next_) return;
    tape_->decreaseNewOrderCounter();
    auto panel = aux_order_panel(order->getKind(), order->getYen());
    evidenced_order_next_ = panel;
    addChild(panel);
    panel->setAlpha(0);
    // Centred on the window, not on this screen's bounds, which reach below
    // it while floating texts rise.
    panel->setX((800 - panel->width()) / 2);
    panel->setY((480 - panel->height()) / 2);
    // Reading a recipe costs the player that moment: while the panel is on
    // the screen it takes the presses that land on it, whole.
    panel->setMouseChildren(false);
    // It fades in and out unchanged: drawn once, then copied as one picture.
    panel->setCacheAsBitmap(true);
    evidenced_order_stay_countdown_ = 0;
}

void CGame::listener_enter_frame(scene::Event&) {
    if (evidenced_order_next_ && !evidenced_order_) {
        if (evidenced_order_open_countdown_ == 0) {
            evidenced_order_open_countdown_ = MAX_COUNTDOWN;
            return;
        }
        evidenced_order_open_countdown_ -= 1;
        evidenced_order_next_->setAlpha(1.0 - static_cast<double>(evidenced_order_open_countdown_) / MAX_COUNTDOWN);
        if (evidenced_order_open_countdown_ == 0) {
            evidenced_order_ = evidenced_order_next_;
            evidenced_order_next_ = nullptr;
            evidenced_order_stay_countdown_ = 2 * MAux::ONE_SECOND_IN_FRAMES;
            evidenced_order_close_countdown_ = MAX_COUNTDOWN >> 2;
        }
    } else if (evidenced_order_) {
        if (evidenced_order_stay_countdown_ > 0) {
            evidenced_order_stay_countdown_ -= 1;
        } else if (evidenced_order_close_countdown_ > 0) {
            evidenced_order_close_countdown_ -= 1;
            evidenced_order_->setAlpha(static_cast<double>(evidenced_order_close_countdown_) / MAX_COUNTDOWN);
        } else {
            removeChild(evidenced_order_);
            evidenced_order_ = nullptr;
        }
    }
}

void CGame::suspend() {
    if (eaters_) eaters_->setSuspended(true);
}

void CGame::resume() {
    if (eaters_) eaters_->setSuspended(false);
}

void CGame::pause() {
    if (ended_ || deleted_ || frameSuspended() || !stage()) return;
    CMain::Overlay(std::make_shared<CPause>());
}

void CGame::listener_deactivate(scene::Event&) { pause(); }

void CGame::listener_key_down(scene::KeyboardEvent& event) {
    if (ended_ || deleted_ || frameSuspended() || !stage()) return;
    if (event.keyCode == 'P' || event.keyCode == scene::Keyboard::ESCAPE) {
        pause();
        return;
    }
    if (aux_play_key(event.keyCode)) ingredients_->showKeyLabels();
}

bool CGame::aux_play_key(int keyCode) {
    if (keyCode >= '0' && keyCode <= '9') {
        ingredients_->pressVisibleTile(keyCode == '0' ? 9 : keyCode - '1');
        return true;
    }
    switch (keyCode) {
        case scene::Keyboard::LEFT: ingredients_->pagePrevious(); return true;
        case scene::Keyboard::RIGHT: ingredients_->pageNext(); return true;
        case scene::Keyboard::SPACE:
        case scene::Keyboard::ENTER:
            // An empty table shows nothing to press.
            if (table_->getCurrentPreparation()) listener_reset_recipe();
            return true;
        case scene::Keyboard::TAB:
            // A panel waiting to fade in ignores another press: the turn stays.
            if (!evidenced_order_next_) {
                if (auto order = aux_next_order_in_turn()) {
                    tab_order_ = order;
                    listener_order_click(order);
                }
            }
            return true;
        default: return false;
    }
}

std::shared_ptr<COrder> CGame::aux_next_order_in_turn() {
    const auto& slots = tape_->tape_;
    std::erase_if(belt_orders_, [&slots](const std::weak_ptr<COrder>& w) {
        auto o = w.lock();
        return !o || std::none_of(slots.begin(), slots.end(), [&o](const auto& s) { return s.get() == o.get(); });
    });
    // Only an order already shown on the belt can be pressed.
    std::vector<std::shared_ptr<COrder>> shown;
    for (const auto& w : belt_orders_) {
        if (auto o = w.lock(); o && o->parent() == tape_.get()) shown.push_back(o);
    }
    if (shown.empty()) return nullptr;
    const auto last = std::find(shown.begin(), shown.end(), tab_order_.lock());
    return last == shown.end() || last + 1 == shown.end() ? shown.front() : *(last + 1);
}
