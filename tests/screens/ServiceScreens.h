#pragma once

// Screens against pelmora-server on a loopback port: a package with the
// welcome pictures, the service started and stopped by the test, and helpers
// to find the current screen and press its widgets.

#include <gtest/gtest.h>

#include <thread>

#include "Server.h"
#include "game/CScore.h"
#include "net/CNetworking.h"
#include "recipes/CPxIcon.h"
#include "screens/CWelcome.h"
#include "screens/Screens.h"
#include "support/TestGame.h"
#include "ui/CInput.h"
#include "ui/UiTestPackage.h"

namespace screentest {

template <class T>
std::vector<T*> childrenOf(scene::DisplayObjectContainer& c) {
    std::vector<T*> found;
    for (int i = 0; i < c.numChildren(); ++i) {
        if (auto* t = dynamic_cast<T*>(c.getChildAt(i).get())) found.push_back(t);
    }
    return found;
}

class ServiceScreens : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        resetAccount();
        registerScreens();
        auto e = uitest::basePackage();
        e["assets/title.png"] = testsupport::pngBytes(200, 100, 0xFF8020A0);
        for (const char* lang : {"spagnolo", "francese", "tedesco"}) {
            const std::string base = std::string("assets/languages/") + lang;
            e[base + "_off.png"] = testsupport::pngBytes(30, 20, 0xFF808080);
            e[base + "_over.png"] = testsupport::pngBytes(30, 20, 0xFFFFFF00);
            e[base + "_on.png"] = testsupport::pngBytes(30, 20, 0xFF00FF00);
        }
        e["assets/languages/italiano.txt"] = uitest::languageFile(
            {"WELCOME RETRY:=Riprova", "WELCOME INSTRUCTIONS:=Istruzioni", "WELCOME NETWORK UNAVAILABLE EXPLAINED:=Offline"});
        e["assets/version.txt"] = testsupport::bytes("1.0.0");
        package(e);
        Main::VERSION = "1.0.0";
    }
    static void resetAccount() {
        CNetworking::reset(), CWelcome::reset(), CPxIcon::reset(), CScore::reset();
    }
    void TearDown() override {
        resetAccount();
        stopService();
        GameFixture::TearDown();
    }
    // On a new free port; its data stays in the test's folder across a stop and a start.
    void startService(const std::string& latestVersion = "1.0.0") {
        stopService();
        pelmora::server::ServerConfig config;
        config.port = 0;
        config.dataDir = dir_.path() / "db";
        config.service.passwordCost = pelmora::server::PasswordCost::Minimal;
        config.service.latestVersion = latestVersion;
        config.service.levelsFile = levelsFile_;
        server_ = std::make_unique<pelmora::server::Server>(config);
        const int port = server_->bind();
        serving_ = std::thread([this] { server_->listen(); });
        MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(port);
    }
    void stopService() {
        if (!server_) return;
        server_->stop();
        serving_.join();
        server_.reset();
    }
    template <class T>
    T* screen() { return dynamic_cast<T*>(stage().getChildAt(stage().numChildren() - 1).get()); }
    CWelcome* screen() { return screen<CWelcome>(); }
    // Steps until pred holds, a few seconds at most.
    template <class Pred>
    bool stepUntil(Pred pred) {
        for (int i = 0; i < 600 && !pred(); ++i) h().step();
        return pred();
    }
    void waitForMenu() {
        ASSERT_TRUE(stepUntil([&] { return screen() && !screen()->languages_.empty(); }));
        ASSERT_EQ(screen()->languages_.size(), 5u);
    }
    // A press in the middle of a widget, the way a player's click arrives.
    void press(const scene::DisplayObject& w) {
        const auto b = w.bounds();
        const auto at = w.parent()->localToGlobal(scene::Point(b.x + b.width / 2, b.y + b.height / 2));
        h().click(at.x, at.y);
    }
    // Types into a field as a player does: focus by a click, then the keys.
    void typeInto(CInput& input, const std::string& text) {
        press(input);
        h().type(text);
    }

    std::unique_ptr<pelmora::server::Server> server_;
    std::thread serving_;
    std::filesystem::path levelsFile_;
};

}  // namespace screentest
