// The remembered settings: the text form, and the file under the user's configuration folder.

#include <cstdlib>
#include <fstream>

#include "app/CSettings.h"
#include "support/TestGame.h"

namespace {

TEST(SettingsText, ReadsWhatItWritesAndRefusesDamage) {
    using namespace std::string_literals;
    const Settings chosen{"tedesco", false, true};
    EXPECT_EQ(parseSettings(formatSettings(chosen)), chosen);
    // Comments, CR LF, blanks and names of a newer version are fine; left-out names keep their defaults.
    EXPECT_EQ(parseSettings("# x\r\n\r\n  sound = off \r\nvolume=7\n"), (Settings{"italiano", false, false}));
    for (const std::string& damaged : {"language=klingon\n"s, "sound=yes\n"s, "fullscreen\n"s, "sound=on\nsound=off\n"s,
                                       "language=inglese\n\0"s, std::string(Settings::MAX_BYTES + 1, '#')}) {
        EXPECT_FALSE(parseSettings(damaged)) << damaged;
    }
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
        setenv("XDG_CONFIG_HOME", (std::string(std::getenv("PELMORA_BUILD_DIR")) + "/test-config").c_str(), 1);
        GameFixture::TearDown();
    }
    std::optional<Settings> stored() {
        std::ifstream in(CSettings::path());
        return parseSettings(std::string(std::istreambuf_iterator<char>(in), {}));
    }
};

}  // namespace

TEST_F(SettingsFile, ChangesAreWrittenAtomicallyAndReadAtTheNextStart) {
    EXPECT_EQ(CSettings::path(), dir_.path() / "config" / "pelmora" / "settings.txt");
    CSettings::load();  // no file: the defaults, silently
    CML::setLanguage("francese");
    CSound::disable();
    stage().setFullScreen(true, true);  // the window's F11 saves by itself
    EXPECT_EQ(stored(), (Settings{"francese", false, true}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(CSettings::path().parent_path()), {}), 1);

    testsupport::resetStatics();
    stage().setFullScreen(false);
    CSettings::load();
    EXPECT_EQ(CML::text("A"), "b");
    EXPECT_EQ(CSettings::current(), (Settings{"francese", false, true}));
}

TEST_F(SettingsFile, ADamagedFileGivesTheDefaultsWithOneWarningAndIsRepairedByTheNextChange) {
    std::filesystem::create_directories(CSettings::path().parent_path());
    std::ofstream(CSettings::path()) << "language=inglese\nsound=loud\n";
    testing::internal::CaptureStderr();
    CSettings::load();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    CSound::disable();
    CSettings::save();  // the defaults were in force: only the sound changed
    EXPECT_EQ(stored(), (Settings{"italiano", false, false}));
}
