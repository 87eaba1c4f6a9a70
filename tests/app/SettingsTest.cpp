// The remembered settings: the text form, and the file under the user's configuration folder.

#include <cstdlib>
#include <fstream>

#include "app/CSettings.h"
#include "support/TestGame.h"

namespace {

TEST(SettingsText, ReadsWhatItWritesAndRefusesDamage) {
    const Settings chosen{"tedesco", false, true};
    EXPECT_EQ(parseSettings(formatSettings(chosen)), chosen);
    EXPECT_EQ(parseSettings(""), Settings{});
    // Comments, CR LF, blanks and names of a newer version are fine; left-out names keep their defaults.
    EXPECT_EQ(parseSettings("# x\r\n\r\n  sound = off \r\nvolume=7\n"), (Settings{"italiano", false, false}));
    using namespace std::string_literals;
    for (const std::string& damaged : {"language=klingon\n"s, "sound=yes\n"s, "fullscreen\n"s, "sound=on\nsound=off\n"s,
                                       "\x89PNG\r\n\x1a\n"s, "language=inglese\n\0"s}) {
        EXPECT_FALSE(parseSettings(damaged)) << damaged;
    }
    EXPECT_FALSE(parseSettings(std::string(Settings::MAX_BYTES + 1, '#')));
}

class SettingsFile : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        setenv("XDG_CONFIG_HOME", (dir_.path() / "config").c_str(), 1);
        CSettings::reset();
        package({{"assets/languages/italiano.txt", testsupport::bytes("A:=a\r\n")},
                 {"assets/languages/francese.txt", testsupport::bytes("A:=b\r\n")}});
    }
    void TearDown() override {
        CSettings::reset();
        const char* build = std::getenv("PELMORA_BUILD_DIR");
        setenv("XDG_CONFIG_HOME", (std::string(build ? build : "/tmp") + "/test-config").c_str(), 1);
        GameFixture::TearDown();
    }
    std::string stored() {
        std::ifstream in(CSettings::path());
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

}  // namespace

TEST_F(SettingsFile, ChangesAreWrittenAtomicallyAndReadAtTheNextStart) {
    EXPECT_EQ(CSettings::path(), dir_.path() / "config" / "pelmora" / "settings.txt");
    CSettings::save();  // before the start-up's load nothing is written
    EXPECT_FALSE(std::filesystem::exists(CSettings::path()));
    CSettings::load();  // no file: the defaults, silently
    EXPECT_EQ(CSettings::current(), Settings{});
    CML::setLanguage("francese");
    CSound::disable();
    stage().setFullScreen(true, true);  // the window's F11 saves by itself
    EXPECT_EQ(parseSettings(stored()), (Settings{"francese", false, true}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(CSettings::path().parent_path()), {}), 1);

    testsupport::resetStatics();
    stage().setFullScreen(false);
    CSettings::reset();
    CSettings::load();
    EXPECT_EQ(CML::text("A"), "b");
    EXPECT_FALSE(CSound::isEnabled());
    EXPECT_TRUE(stage().fullScreen());

    // Without XDG_CONFIG_HOME the file lives under ~/.config.
    unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(CSettings::path(), std::filesystem::path(home ? home : "") / ".config" / "pelmora" / "settings.txt");
}

TEST_F(SettingsFile, ADamagedFileGivesTheDefaultsWithOneWarningAndIsRepairedByTheNextChange) {
    std::filesystem::create_directories(CSettings::path().parent_path());
    std::ofstream(CSettings::path()) << "language=inglese\nsound=loud\n";
    testing::internal::CaptureStderr();
    CSettings::load();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CML::getLanguage(), "italiano");
    EXPECT_TRUE(CSound::isEnabled());
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("settings"), std::string::npos);
    CSound::disable();
    CSettings::save();
    EXPECT_EQ(parseSettings(stored()), (Settings{"italiano", false, false}));
}
