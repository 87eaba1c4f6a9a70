#include <gtest/gtest.h>

#include <set>

#include "app/CMain.h"
#include "recipes/CIngredients.h"
#include "recipes/CPreparations.h"
#include "recipes/CPxIcon.h"
#include "recipes/CRecipesHost.h"
#include "recipes/CTable.h"
#include "support/TestGame.h"

namespace {

using testsupport::bytes;
using testsupport::pngBytes;
using Strings = std::vector<std::string>;

// Plays the game's part: after every pick, enable what may follow and show the node.
struct Kitchen : scene::Sprite, CRecipesHost {
    std::unique_ptr<CPreparations> tree;
    std::shared_ptr<CIngredients> panel;
    std::shared_ptr<CTable> table = std::make_shared<CTable>();
    int picks = 0, resets = 0;
    void build() {
        tree = std::make_unique<CPreparations>();
        panel = std::make_shared<CIngredients>();
        addChild(panel);
        table->setX(500);
        addChild(table);
        panel->enableAllowed(tree->retrieve_ingredients_by_preparation(tree->getTable().get(), false));
    }
    void listener_ingredients_updated(CIngredients& p) override {
        ++picks;
        auto node = tree->retrieve_preparation_by_recipe(p.getRecipe());
        p.enableAllowed(tree->retrieve_ingredients_by_preparation(node.get(), false));
        table->showPreparation(node);
    }
    void listener_reset_recipe() override { ++resets; }
};

class Recipes : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        CIngredients::reset();
        CIngredient::reset();
        CPxIcon::reset();
        e["assets/ingredienti/riquadro.png"] = pngBytes(68, 68, 0xFFFFFFFF);
        e["assets/ingredienti/disattivato.png"] = pngBytes(68, 68, 0xFF808080);
        e["assets/ingredienti/sfondo.png"] = pngBytes(412, 140, 0xFFE0C090);
        e["assets/b.png"] = pngBytes(4, 4, 0xFF000000);
        for (const char* a : {"scorri_sx", "scorri_sx_over", "scorri_dx", "scorri_dx_over"})
            e[std::string("assets/ingredienti/") + a + ".png"] = pngBytes(24, 132, 0xFFCC0000);
        for (int k = 1; k <= 6; ++k) e["assets/ingredienti/selezionato" + std::to_string(k) + ".png"] = pngBytes(64, 64, 0xFF000000 + k);
        for (int k = 1; k <= 4; ++k) e["assets/preparazioni/00" + std::to_string(k) + ".png"] = pngBytes(128, 128, 0xFF000010 + k);
        e["assets/punti_esperienza.png"] = pngBytes(136, 64, 0xFFFFCC00);
        for (int d = 0; d <= 2; ++d) e["assets/chef" + std::to_string(d) + ".png"] = pngBytes(26, 30, 0xFF000020 + d);
        stage().addChild(kitchen);
    }
    // Tiles t0 .. t(n-1), all selectable.
    static std::string tiles(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "t" + std::to_string(i) + "\tg\t" + std::to_string(i) + "\t0x1" + std::to_string(i) + "\n";
        return s;
    }
    static std::vector<std::shared_ptr<CIngredient>> recipe(const Strings& ids) {
        std::vector<std::shared_ptr<CIngredient>> out;
        for (const auto& id : ids) out.push_back(std::make_shared<CIngredient>(id));
        return out;
    }
    std::set<int> visibleTiles() const {
        std::set<int> out;
        for (int i = 0; auto t = kitchen->panel->getIngredient(i); ++i) if (t->visible()) out.insert(i);
        return out;
    }
    void press(const scene::DisplayObject& o) {
        const auto b = o.localBounds();
        const auto p = o.localToGlobal({b.x + b.width / 2, b.y + b.height / 2});
        h().mouseMove(p.x, p.y);
        h().mouseDown(p.x, p.y);
        h().step();
    }
    bool shows(const scene::DisplayObjectContainer& c, int index, const std::string& picture) const {
        auto child = std::dynamic_pointer_cast<scene::DisplayObjectContainer>(c.getChildAt(index));
        auto bitmap = std::dynamic_pointer_cast<scene::Bitmap>(child ? child->getChildAt(0) : c.getChildAt(index));
        return bitmap && bitmap->bitmapData() == MAux::getBitmapData(picture);
    }

    std::map<std::string, std::vector<std::uint8_t>> e;
    std::shared_ptr<Kitchen> kitchen = std::make_shared<Kitchen>();
};

}  // namespace

TEST_F(Recipes, TreeOfThreeRecipesAndTheTableShowingItsNodes) {
    std::string longRecord = "L\tx";
    for (int i = 0; i < 65; ++i) longRecord += "\tz";
    e["assets/preparazioni/preparazioni.txt"] =
        bytes("K1\tx\ta\tb\r\nK2\tx\ta\tc\r\nK3\t\tx\td\r\n\tonly\r\n" + longRecord + "\r\nK4\tx\ta\tb\r\n");
    package(e);
    kitchen->build();
    const CPreparations& tree = *kitchen->tree;
    const auto root = tree.getTable();
    const auto a = root->getFollowing("a"), d = root->getFollowing("d");
    ASSERT_TRUE(a && d);
    const auto b = a->getFollowing("b"), c = a->getFollowing("c");
    ASSERT_TRUE(b && c);
    EXPECT_EQ((std::vector<int>{root->getId(), a->getId(), b->getId(), c->getId(), d->getId()}),
              (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(root->numChildren(), 0);
    for (const auto& node : {a, b, c, d})
        EXPECT_TRUE(node->numChildren() == 1 && shows(*node, 0, CPreparation::pictureName(node->getId()))) << node->getId();
    EXPECT_EQ(CPreparation::pictureName(1000), "assets/preparazioni/000.png");
    EXPECT_EQ(tree.retrieve_ingredients_by_preparation(root.get(), false), (Strings{"a", "d", "tavolo"}));
    EXPECT_EQ(tree.retrieve_ingredients_by_preparation(a.get(), false), (Strings{"b", "c", "a"}));
    EXPECT_EQ(tree.retrieve_ingredients_by_preparation(root.get(), true), (Strings{"b", "c", "a", "d", "tavolo"}));
    EXPECT_EQ(tree.retrieve_preparation_by_recipe({}), root);
    EXPECT_EQ(tree.retrieve_preparation_by_recipe(recipe({"a", "c"})), c);
    EXPECT_EQ(tree.retrieve_preparation_by_recipe(recipe({"d", "a"})), nullptr);

    // The too long record is skipped; a later record on the same path takes the plate over.
    EXPECT_EQ(tree.getNames(), (Strings{"K1", "K2", "K3", "K4"}));
    EXPECT_EQ(b->getPlate()->getKind(), "K4");
    EXPECT_EQ(*tree.retrieve_ingredients_by_plate(CRecipePlate("K1")), (Strings{"a", "b"}));
    EXPECT_EQ(tree.retrieve_ingredients_by_plate(CRecipePlate("K9")), nullptr);
    // Off the tree nothing may follow and nothing is served.
    EXPECT_TRUE(tree.retrieve_ingredients_by_preparation(nullptr, false).empty());
    EXPECT_EQ(tree.retrieve_plate_by_recipe(recipe({"a", "b", "b"})), nullptr);
    EXPECT_EQ(tree.retrieve_plate_by_recipe(recipe({"a", "b"}))->getKind(), "K4");

    auto& table = *kitchen->table;
    table.showPreparation(root);
    EXPECT_EQ(table.getCurrentPreparation(), nullptr);
    table.showPreparation(c);
    table.showPreparation(nullptr);
    table.showPreparation(c);
    EXPECT_EQ(table.numChildren(), 1);
    EXPECT_EQ(table.getCurrentPreparation(), c);
    table.showPreparation(a);
    EXPECT_EQ(c->parent(), nullptr);
    EXPECT_EQ(table.getChildAt(0), a);
    press(table);
    EXPECT_EQ(kitchen->resets, 1);
    table.showPreparation(root);
    EXPECT_EQ(table.numChildren(), 0);
    press(*a);
    h().mouseDown(510, 10);
    EXPECT_EQ(kitchen->resets, 1);  // an empty table takes no click
}

TEST_F(Recipes, RealContentIsReachableAndPictured) {
    std::filesystem::copy_file(std::filesystem::path(std::getenv("PELMORA_BUILD_DIR")) / "game/assets.dat", "assets.dat");
    kitchen->build();
    const auto& tiles = kitchen->panel->getIngredients();
    std::vector<std::shared_ptr<CPreparation>> nodes{kitchen->tree->getTable()};
    for (std::size_t i = 0; i < nodes.size(); ++i)
        for (const auto& child : nodes[i]->getFollowings()) nodes.push_back(child);
    for (std::size_t i = 1; i < nodes.size(); ++i)
        EXPECT_TRUE(MAux::assets_get_offset_and_len_of(CPreparation::pictureName(nodes[i]->getId())).offset)
            << "no picture for node " << nodes[i]->getId();
    const auto all = kitchen->tree->retrieve_ingredients_by_preparation(kitchen->tree->getTable().get(), true);
    for (const auto& tile : tiles)
        EXPECT_NE(std::find(all.begin(), all.end(), tile->getId()), all.end()) << tile->getId() << " is in no recipe";

    // Every kind is made by picking its ingredients in order, each one enabled when its turn comes.
    std::set<std::string> kinds(kitchen->tree->getNames().begin(), kitchen->tree->getNames().end());
    for (const auto& kind : kinds) {
        const auto* picks = kitchen->tree->retrieve_ingredients_by_plate(CRecipePlate(kind));
        ASSERT_TRUE(picks);
        for (const auto& id : *picks) {
            auto tile = std::find_if(tiles.begin(), tiles.end(), [&](auto& t) { return t->getId() == id; });
            ASSERT_NE(tile, tiles.end()) << kind << " needs " << id;
            ASSERT_FALSE((*tile)->isDisabled()) << kind << ": " << id << " is not enabled in its turn";
            scene::MouseEvent down(scene::MouseEvent::MOUSE_DOWN, 0, 0);
            (*tile)->listener_mouse_click(down);
        }
        EXPECT_EQ(kitchen->table->getCurrentPreparation()->getPlate()->getKind(), kind);
        kitchen->panel->clearRecipe();
        kitchen->listener_ingredients_updated(*kitchen->panel);
    }
}

TEST_F(Recipes, PagingBringsEveryTileIntoView) {
    e["assets/preparazioni/preparazioni.txt"] = bytes("");
    package(e);
    for (int n : {21, 20, 7, 0}) {
        CIngredients::setIngredients(n ? tiles(n) : "\n;\n");
        kitchen->removeChild(kitchen->panel);
        kitchen->build();
        auto& panel = *kitchen->panel;
        ASSERT_EQ(panel.getIngredients().size(), static_cast<std::size_t>(n));
        std::set<int> seen = visibleTiles();
        if (n >= 10) {
            EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
            const auto t0 = panel.getIngredient(0), t1 = panel.getIngredient(1), t2 = panel.getIngredient(2);
            EXPECT_TRUE(t0->x() == t1->x() && t0->y() < t1->y() && t0->x() < t2->x() && t0->y() == t2->y());
        }
        EXPECT_FALSE(panel.scorrimento_sx->visible());
        // Each step shifts the strip by one column of two tiles.
        int steps = 0;
        while (panel.scorrimento_dx->visible() && steps < 20) {
            press(*panel.scorrimento_dx);
            ++steps;
            std::set<int> page;
            for (int i = 2 * steps; i < std::min(n, 2 * steps + 10); ++i) page.insert(i);
            EXPECT_EQ(visibleTiles(), page) << n << " tiles, page " << steps;
            seen.insert(page.begin(), page.end());
        }
        EXPECT_EQ(static_cast<int>(seen.size()), n) << n << " tiles";
        EXPECT_EQ(steps, n == 21 ? 6 : n == 20 ? 5 : 0);
        for (int back = 0; panel.scorrimento_sx->visible() && back < 20; ++back) press(*panel.scorrimento_sx);
        EXPECT_EQ(panel.getPage(), 0);
    }
}

TEST_F(Recipes, PicksBadgeTilesAndOnlyFreeTilesReachTheGame) {
    e["assets/preparazioni/preparazioni.txt"] = bytes("P\tx\tt0\tt1\tt2\tt3\tt4\tt5\r\nQ\tx\tt6\r\n");
    CIngredients::setIngredients(tiles(8) + "t3\tg\t99\t99\nshow\t\t5\t5\n");
    package(e);
    testing::internal::CaptureStderr();
    kitchen->build();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"t3\" is listed twice"), std::string::npos);
    auto& panel = *kitchen->panel;
    ASSERT_EQ(panel.getIngredients().size(), 9u);
    EXPECT_EQ(panel.getIngredient(3)->getPx(), 3);
    EXPECT_EQ(panel.getIngredient(3)->getYen(), 0x13);
    const auto shown = panel.getIngredient(8);
    shown->disable();
    EXPECT_TRUE(!shown->isDisabled() && shown->numChildren() == 2);
    const auto t7 = panel.getIngredient(7);
    EXPECT_TRUE(t7->isDisabled());
    EXPECT_TRUE(shows(*t7, 2, "assets/ingredienti/disattivato.png"));
    for (int k = 0; k < 6; ++k) {
        const auto tile = panel.getIngredient(k);
        press(*tile);
        EXPECT_EQ(kitchen->picks, k + 1);
        EXPECT_TRUE(tile->isSelected());
        EXPECT_TRUE(shows(*tile, tile->numChildren() - 1, "assets/ingredienti/selezionato" + std::to_string(k + 1) + ".png"));
        EXPECT_EQ(panel.getIngredient(k + 1)->isDisabled(), k == 5) << k;
    }
    EXPECT_EQ(kitchen->table->getCurrentPreparation()->getPlate()->getKind(), "P");
    press(*panel.getIngredient(0));  // picked
    press(*t7);                      // disabled
    press(*shown);                   // display only
    EXPECT_EQ(kitchen->picks, 6);
    EXPECT_EQ(panel.getRecipe().size(), 6u);
    panel.clearRecipe();
    for (int k = 0; k < 6; ++k) EXPECT_EQ(panel.getIngredient(k)->numChildren(), 5) << k;
    EXPECT_TRUE(panel.getIngredient(6)->isDisabled());
    panel.getIngredient(6)->enable();
    EXPECT_EQ(panel.getIngredient(6)->numChildren(), 5);
    EXPECT_TRUE(panel.getIngredient(6)->getChildAt(3)->visible());
}

TEST_F(Recipes, LevelTableGivesLevelsAndUsableFactors) {
    e["assets/livelli.txt"] = bytes("0\tA\t-\t0\t1.0\r\n1\tB\t-\t100\t1.5\r2\tC\t-\t300;3\tD\t-\t400\tinf\nskip\n");
    package(e);
    CPxIcon::setLevels("a\tb\tc\t0\t1\nb\tc\td\t100\t2\nc\td\te\t300\tx\n");
    EXPECT_EQ(CPxIcon::aux_decode_px_to_level(-1), -1);
    EXPECT_EQ(CPxIcon::aux_decode_px_to_level(100), 1);
    EXPECT_EQ(CPxIcon::aux_decode_px_to_level(5000), 2);
    EXPECT_EQ(CPxIcon::get_difficult_factor(150), 2.0);
    EXPECT_EQ(CPxIcon::get_difficult_factor(-1), 1.0);
    EXPECT_EQ(CPxIcon::get_difficult_factor(300), 1.0);  // "x" is no number
    CPxIcon::setLevels("");
    EXPECT_EQ(CPxIcon::get_difficult_factor(150), 1.5);
    EXPECT_EQ(CPxIcon::get_difficult_factor(400), 1.0);  // "inf"
    for (const std::string& damaged : {std::string("\x01\x02\xff\x00zz", 6), std::string("no tabs\r\n;\r")}) {
        CPxIcon::setLevels(damaged);
        testing::internal::CaptureStderr();
        EXPECT_EQ(CPxIcon::aux_decode_px_to_level(10), -1);
        EXPECT_EQ(CPxIcon::get_difficult_factor(10), 1.0);
        const std::string warned = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(warned.begin(), warned.end(), '\n'), 1) << warned;
    }
}

TEST_F(Recipes, BadgeShowsTheFirstThreeBase3DigitsAsChefs) {
    package(e);
    std::string table;
    for (int k = 0; k <= 200; ++k) table += "l\tn\t-\t" + std::to_string(k) + "\t1\n";
    CPxIcon::setLevels(table);
    static int called = 0;
    CMain::registerScreen(CMain::SCREEN_PX, [](const Value&) { ++called; return std::make_shared<CScreen>(); });
    const std::vector<std::pair<int, std::string>> cases = {{0, ""}, {1, "1"}, {3, "10"}, {9, "100"}, {26, "222"}, {27, "100"}, {129, "112"}};
    for (const auto& [level, digits] : cases) {
        auto icon = std::make_shared<CPxIcon>(level != 9);
        stage().addChild(icon);
        icon->set_px(level);
        icon->forceUpdate();
        ASSERT_EQ(icon->numChildren(), 1 + static_cast<int>(digits.size())) << level;
        for (std::size_t i = 0; i < digits.size(); ++i) {
            EXPECT_TRUE(shows(*icon, static_cast<int>(i) + 1, std::string("assets/chef") + digits[i] + ".png")) << level;
            const auto chef = icon->getChildAt(static_cast<int>(i) + 1)->bounds();
            EXPECT_TRUE(chef.x >= 4 && chef.x + chef.width <= 140 && chef.y + chef.height <= 68) << level;
        }
        called = 0;
        press(*icon);
        EXPECT_EQ(called, level == 9 ? 0 : 1) << level;  // a badge made not clickable
        CMain::reset();
        stage().removeChild(icon);
    }
}
