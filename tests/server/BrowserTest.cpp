#include "ServiceHarness.h"
#include "ServiceRig.h"

#include <SDL_image.h>

#include <set>

using namespace pelmora::testing;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Distinct colours on a grid of sample points, or 0 when the file is no picture.
std::size_t coloursIn(const fs::path& png) {
    SDL_Surface* loaded = IMG_Load(png.c_str());
    if (!loaded) return 0;
    SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < s->h; y += 7)
        for (int x = 0; x < s->w; x += 7)
            colours.insert(static_cast<const std::uint32_t*>(s->pixels)[y * (s->pitch / 4) + x]);
    SDL_FreeSurface(s);
    return colours.size();
}

}  // namespace

// The web site in a real browser: every page renders without a console
// message (a missing badge would be one), the leaderboard shows its chefs in
// order, names as text, on two pages, and a chef's page shows the chef.
TEST(WebPagesInChromium, RenderAndListTheLeaderboard) {
    const fs::path dir = makeScratchDir("browser");
    {
        pelmora::server::ServerConfig config;
        config.port = 0;
        config.dataDir = dir / "data";
        config.service = pelmora::server::defaultServiceConfig();
        config.service.passwordCost = pelmora::server::PasswordCost::Minimal;
        RunningServer server(config);
        const std::string markup = "<img src=x onerror=console.error(1)>";
        ASSERT_EQ(server.server().database().addUser(markup, "m@x.org", "-"),
                  pelmora::server::Database::AddUser::Added);
        const std::vector<std::pair<std::string, int>> chefs = {{"Sushi_Master", 900}, {"Maki-2", 400}, {"Roll", 50}};
        for (const auto& [name, px] : chefs) {
            GameClient c(server.port());
            ASSERT_TRUE(c.handshake());
            ASSERT_EQ(c.send("register", name + ";password;" + "c@x.org"), "ok");
            ASSERT_EQ(c.login(name, "password"), "ok");
            ASSERT_EQ(c.send("score", std::to_string(px) + ";1"), "ok");
        }
        auto& db = server.server().database();
        for (int i = 1; i <= 60; ++i) {
            const std::string name = "filler" + std::to_string(i);
            ASSERT_EQ(db.addUser(name, "f@x.org", "-"), pelmora::server::Database::AddUser::Added);
            ASSERT_TRUE(db.raiseTotals(db.findUser(name)->id, 10, 100 - i));
        }

        const std::string site = "http://127.0.0.1:" + std::to_string(server.port());
        const std::vector<std::string> browser = {"chromium", "--headless", "--no-sandbox", "--disable-gpu",
                                                  "--user-data-dir=" + (dir / "profile").string(),
                                                  "--enable-logging=stderr", "--v=0"};
        for (const char* page : {"/", "/pel-mora", "/pel-mora/istruzioni", "/pel-mora/mercato", "/pel-mora/classifica",
                                 "/privacy", "/condizioni", "/pel-mora/classifica?page=2", "/pel-mora/chef/Maki-2"}) {
            const fs::path shot = dir / "shot.png";
            const fs::path log = dir / "shot.log";
            fs::remove(shot);
            fs::remove(log);
            auto args = browser;
            args.insert(args.end(), {"--screenshot=" + shot.string(), "--window-size=1000,800", site + page});
            ASSERT_EQ(pelmora::rig::runToEnd(args, log), 0) << "chromium failed (installed by scripts/install-deps?)";
            EXPECT_GT(coloursIn(shot), 8u) << page << ": blank screenshot";
            EXPECT_EQ(readAll(log).find("CONSOLE"), std::string::npos) << page << ":\n" << readAll(log);
        }

        auto domOf = [&](const std::string& page) {
            auto args = browser;
            args.insert(args.end(), {"--dump-dom", site + page});
            fs::remove(dir / "dom.log");
            EXPECT_EQ(pelmora::rig::runToEnd(args, dir / "dom.log"), 0) << page;
            return readAll(dir / "dom.log");
        };
        const std::string dom = domOf("/pel-mora/classifica");
        std::size_t at = 0;
        for (const auto& chef : chefs) {
            const std::size_t found = dom.find(">" + chef.first + "</a>");
            ASSERT_NE(found, std::string::npos) << chef.first;
            EXPECT_GT(found, at) << chef.first << " out of order";
            at = found;
        }
        EXPECT_NE(dom.find("Page 1 of 2"), std::string::npos);
        EXPECT_EQ(dom.find("CONSOLE"), std::string::npos);

        // The 64th and last chef, whose name is markup, is on page 2 as text.
        const std::string second = domOf("/pel-mora/classifica?page=2");
        EXPECT_NE(second.find("<td class=\"num rank\">51</td>"), std::string::npos) << second;
        EXPECT_NE(second.find("&lt;img src=x onerror=console.error(1)&gt;</a>"), std::string::npos) << second;
        EXPECT_EQ(second.find("<img src=\"x"), std::string::npos);
        EXPECT_NE(second.find("href=\"/pel-mora/classifica\">"), std::string::npos);

        const std::string chef = domOf("/pel-mora/chef/Maki-2");
        for (const char* shown : {"<h2>Maki-2</h2>", "<dt>Rank</dt><dd>2</dd>", "<dd>400 px</dd>",
                                  "level 2, Shari-tsukuri", "50 px to level 3, Oimawashi"})
            EXPECT_NE(chef.find(shown), std::string::npos) << shown << "\n" << chef;
    }
    fs::remove_all(dir);
}
