// Every screen in every language: no two interactive widgets overlap and
// none leaves the window.

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/CMain.h"
#include "app/CSoundButton.h"
#include "game/CGame.h"
#include "game/CScore.h"
#include "game/CTape.h"
#include "net/CNetworking.h"
#include "recipes/CPxIcon.h"
#include "screens/CWelcome.h"
#include "screens/Screens.h"
#include "support/TestGame.h"
#include "ui/CButtonLanguage.h"
#include "ui/CInput.h"
#include "ui/CQuitButton.h"
#include "ui/CTextButton.h"

namespace {

struct Box {
    std::string what;
    scene::Rect r;
};

bool interactive(const scene::DisplayObject& o) {
    return dynamic_cast<const CTextButton*>(&o) || dynamic_cast<const CInput*>(&o) ||
           dynamic_cast<const CButtonLanguage*>(&o) || dynamic_cast<const CQuitButton*>(&o) ||
           dynamic_cast<const CSoundButton*>(&o);
}

void collect(const scene::DisplayObjectContainer& c, std::vector<Box>& out) {
    for (int i = 0; i < c.numChildren(); ++i) {
        const auto child = c.getChildAt(i);
        if (!child->visible()) continue;
        if (interactive(*child)) {
            // The input's own box, not the error lines that may hang below it.
            const double w = dynamic_cast<const CInput*>(child.get()) ? 350 : child->width();
            const double h = dynamic_cast<const CInput*>(child.get()) ? 30 : child->height();
            const scene::Point a = child->localToGlobal({0, 0});
            const scene::Point b = child->localToGlobal({w / child->scaleX(), h / child->scaleY()});
            out.push_back({typeid(*child).name(), {a.x, a.y, b.x - a.x, b.y - a.y}});
            continue;
        }
        if (auto* sub = dynamic_cast<const scene::DisplayObjectContainer*>(child.get())) collect(*sub, out);
    }
}

class ScreenLayout : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        std::filesystem::copy_file(std::filesystem::path(std::getenv("PELMORA_BUILD_DIR")) / "game" / "assets.dat",
                                   dir_.path() / "assets.dat");
        registerScreens();
        MAux::WEBSITE = "http://127.0.0.1:9";
    }
    void TearDown() override {
        CTape::reset();
        CScore::reset();
        CGame::reset();
        CPxIcon::reset();
        CNetworking::reset();
        CWelcome::reset();
        GameFixture::TearDown();
    }
};

}  // namespace

TEST_F(ScreenLayout, NoInteractiveWidgetsOverlapInAnyLanguage) {
    for (const char* language : {"italiano", "inglese", "spagnolo", "francese", "tedesco"}) {
        CML::setLanguage(language);
        for (int id = 0; id <= 11; ++id) {
            CMain::Dispatch(id, id == CMain::SCREEN_GAME ? Value(6) : Value());
            h().step(id == CMain::SCREEN_WELCOME ? 120 : 3);
            std::vector<Box> boxes;
            collect(stage(), boxes);
            std::ostringstream where;
            where << language << ", screen " << id;
            EXPECT_FALSE(boxes.empty()) << where.str();  // every screen has a button to check
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                const auto& a = boxes[i].r;
                EXPECT_TRUE(a.x >= -0.5 && a.y >= -0.5 && a.x + a.width <= 800.5 && a.y + a.height <= 480.5)
                    << where.str() << ": " << boxes[i].what << " leaves the window";
                for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                    const auto& b = boxes[j].r;
                    const double ox = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
                    const double oy = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
                    EXPECT_FALSE(ox > 0.5 && oy > 0.5)
                        << where.str() << ": " << boxes[i].what << " overlaps " << boxes[j].what;
                }
            }
        }
    }
}
