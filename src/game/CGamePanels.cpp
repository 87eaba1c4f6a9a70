// The order panel a pressed order opens, and the pictures play will show
// made ahead while the game screen is built.

#include "app/MAux.h"
#include "game/CFloatingText.h"
#include "game/CGame.h"
#include "game/COrders.h"
#include "game/CPlate.h"
#include "game/CScore.h"
#include "recipes/CIngredient.h"
#include "recipes/CPreparations.h"

std::shared_ptr<CPlate> CGame::aux_order_panel(const std::string& kind, int yen) {
    auto panel = std::make_shared<CPlate>(kind, yen);
    double x = 0;
    if (const auto ids = preparations_->retrieve_ingredients_by_plate(*panel)) {
        for (const auto& id : *ids) {
            auto icon = std::make_shared<CIngredient>(id);
            panel->addChild(icon);
            icon->setX(x);
            icon->setY(132);
            icon->setWidth(64);
            icon->setHeight(64);
            x += 70;
        }
    }
    const double w = panel->width();
    const double h = panel->height();
    auto frame = std::make_shared<scene::Sprite>();
    frame->graphics().beginFill(0xDCC2B1, 1);
    frame->graphics().drawRect(0, 0, w + 12, h + 12);
    frame->graphics().beginFill(0xFCE2D1, 1);
    frame->graphics().drawRect(2, 2, w + 8, h + 8);
    frame->graphics().endFill();
    panel->addChildAt(frame, 0);
    frame->setX(-6);
    frame->setY(-6);

    const auto picture = panel->getChildAt(1);
    picture->setX((w - picture->width()) / 2);
    picture->setY(0);
    const auto& tag = panel->bg_yen_;
    tag->setWidth(tag->width() * 2);
    tag->setHeight(tag->height() * 2);
    tag->setX((w - tag->width()) / 2);
    tag->setY(picture->y() + picture->height() - tag->height());
    const auto& price = panel->bg_yen_value_;
    price->setTextFormat(scene::TextFormat(MAux::FONTNAME, 24, 0x000000, true, scene::TextFormatAlign::CENTER));
    price->setWidth(price->width() * 2);
    price->setHeight(price->height() * 2);
    price->setX((w - tag->width()) / 2);
    price->setY(picture->y() + picture->height() - tag->height() + 4);
    return panel;
}

void CGame::aux_prepare_pictures() {
    // What play will show is rasterised now, while the screen is built: the
    // order panels, the plates' price tags and the orders left. Panels differ
    // by their ingredients and by price while pictures are shared by what they
    // show, so every kind at one price and one kind at every price make them all.
    // The running totals and the rising figures are drawn from the pictures
    // of their characters, made here too.
    const MAux::RandomKept kept;
    const auto& kinds = preparations_->getNames();
    for (const auto& kind : kinds) {
        const bool first = kind == kinds.front();
        for (int grade = 0; grade < (first ? COrders::PRICE_GRADES : 1); ++grade) {
            aux_order_panel(kind, COrders::price(grade))->prepare();
            if (first) std::make_shared<CPlate>(kind, COrders::price(grade))->prepare();
        }
    }
    score_->prepareFigures();
    for (const std::uint32_t color : {COLOR_PX, COLOR_WASTED, COLOR_LEAVING}) CFloatingText::prepareGlyphs(color);
}
