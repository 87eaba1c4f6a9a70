// Whole-game runs through pelmora-headless: start-up from a real package,
// fatal package errors, and the crash-log hand-over to the real service.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Server.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome run(const std::string& command) {
    Outcome r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    while (std::fgets(buf.data(), buf.size(), p)) r.out += buf.data();
    const int s = pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

class HeadlessGame : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("pelmora-e2e-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "game");
        fs::copy_file(fs::path(PELMORA_GAME_DIR) / "assets.dat", dir_ / "game" / "assets.dat");
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string headless(const std::string& args) {
        return "XDG_STATE_HOME=" + (dir_ / "state").string() + " " + PELMORA_HEADLESS + " --data " +
               (dir_ / "game").string() + " " + args;
    }
    fs::path dir_;
};

}  // namespace

TEST_F(HeadlessGame, StartsFromThePackageAndSavesAFrame) {
    const fs::path shot = dir_ / "welcome.png";
    const Outcome r = run(headless("--website http://127.0.0.1:9 --seed 4 --frames 5 --shot " + shot.string() + "@4"));
    EXPECT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(fs::exists(shot)) << r.out;
    EXPECT_GT(fs::file_size(shot), 10000u);  // a real picture, not an empty frame
    const Outcome listed = run(std::string(PELMORA_PACK) + " list " + (dir_ / "game" / "assets.dat").string());
    EXPECT_NE(listed.out.find("assets/version.txt\t5"), std::string::npos);
}

TEST_F(HeadlessGame, AMissingOrDamagedPackageStopsWithAClearError) {
    fs::remove(dir_ / "game" / "assets.dat");
    Outcome r = run(headless("--frames 2"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Error : "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("assets.dat"), std::string::npos) << r.out;

    std::ofstream(dir_ / "game" / "assets.dat", std::ios::binary) << std::string(64, '\x07');
    r = run(headless("--frames 2"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Error : "), std::string::npos) << r.out;
}

TEST_F(HeadlessGame, CrashRecordsReachTheServiceAndLeaveTheFolder) {
    const std::string record = "Exception: b at 0000000000401000 /opt/pelmora@e:1a 0 record in stack: \n";
    const fs::path log = dir_ / "state" / "pelmora" / "Pelmora.pml";
    fs::create_directories(log.parent_path());
    std::ofstream(log) << record;

    // Offline: the records stay for a later run.
    Outcome offline = run(headless("--website http://127.0.0.1:9 --frames 40"));
    EXPECT_EQ(offline.status, 0) << offline.out;
    EXPECT_TRUE(fs::exists(log));

    pelmora::server::ServerConfig config;
    config.port = 0;
    config.dataDir = dir_ / "db";
    config.service.passwordCost = pelmora::server::PasswordCost::Minimal;
    pelmora::server::Server server(config);
    const int port = server.bind();
    std::thread serving([&] { server.listen(); });
    Outcome online = run(headless("--website http://127.0.0.1:" + std::to_string(port) + " --frames 90"));
    server.stop();
    serving.join();
    EXPECT_EQ(online.status, 0) << online.out;
    EXPECT_FALSE(fs::exists(log));
}

// The settings file between runs: a flag chosen in one run is the next run's
// first language; a damaged file starts on the defaults with one warning.
TEST_F(HeadlessGame, TheLanguageOfAFlagIsTheNextRunsAndADamagedFileIsIgnored) {
    const fs::path settings = dir_ / "config" / "pelmora" / "settings.txt";
    const auto firstScreen = [&](const std::string& args, Outcome* r = nullptr) {
        const Outcome o = run("XDG_CONFIG_HOME=" + (dir_ / "config").string() + " " +
                              headless("--website http://127.0.0.1:9 --seed 4 --shot " + (dir_ / "s.png").string() + "@2 " + args));
        EXPECT_EQ(o.status, 0) << o.out;
        if (r) *r = o;
        std::ifstream in(dir_ / "s.png", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string italian = firstScreen("--frames 3");
    firstScreen("--frames 30 --click 772,21@20");  // the German flag
    std::ifstream in(settings);
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(in), {}).find("language=tedesco\n"), std::string::npos);
    const std::string german = firstScreen("--frames 3");
    EXPECT_NE(german, italian);

    std::ofstream(settings, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0", 10);
    Outcome damaged;
    EXPECT_EQ(firstScreen("--frames 3", &damaged), italian);
    EXPECT_NE(damaged.out.find("settings file"), std::string::npos) << damaged.out;
}
