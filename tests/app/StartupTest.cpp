#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "platform/CrashLog.h"
#include "support/TestGame.h"

using testsupport::bytes;

namespace {

class Startup : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        CMain::registerScreen(CMain::SCREEN_WELCOME, [](const Value&) { return std::make_shared<CScreen>(); });
    }
    void start(const std::string& version, const std::string& build) {
        package({{"assets/version.txt", bytes(version)}, {"assets/build.txt", bytes(build)}});
        MAux::reset();
        Main::main();
    }
};

}  // namespace

TEST_F(Startup, VersionAndBuildComeFromThePackage) {
    start("1.0.0", "42");
    EXPECT_EQ(Main::VERSION, "1.0.0");
    EXPECT_EQ(Main::BUILD, 42);
    EXPECT_STREQ(Main::PLATFORM, "cpp");
    EXPECT_EQ(stage().numChildren(), 1);  // the welcome screen
    EXPECT_EQ(stage().scaleMode(), scene::StageScaleMode::SHOW_ALL);

    start("2.1\n", "");
    EXPECT_EQ(Main::VERSION, "2.1\n");
    EXPECT_EQ(Main::BUILD, 0);
    start("2.1", "build seven");
    EXPECT_EQ(Main::BUILD, 0);
    start("2.1", " 12 ");
    EXPECT_EQ(Main::BUILD, 12);
}

namespace {

// Runs a child that installs the crash logger in dir (or, as start-up does,
// in the state folder dir/state) and then faults.
int crashInChild(const std::filesystem::path& dir, bool asStartUp = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(3);
        if (asStartUp) {
            setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
            Main::set_error_mode();
        } else {
            scene::installCrashLogger("Pelmora.pml");
        }
        // A page that may not be touched: a real processor fault, not undefined behaviour.
        void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED) _exit(5);
        *static_cast<volatile int*>(page) = 1;
        _exit(4);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

std::vector<std::string> lines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

}  // namespace

TEST(CrashLog, EachFaultAppendsOneWellFormedRecord) {
    testsupport::TempDir dir;
    dir.write("Pelmora.pml", bytes("earlier record\n"));
    for (int run = 1; run <= 2; ++run) {
        const int status = crashInChild(dir.path());
        ASSERT_TRUE(WIFSIGNALED(status)) << "the default action must end the process";
        EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    }
    const auto records = lines(dir.path() / "Pelmora.pml");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], "earlier record");  // never truncated

    char self[512] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::regex location("[^ ]+@[0-9a-f]+:[0-9a-f]+");
    const std::regex layout(
        "Exception: b at [0-9A-F]{16} ([^ ]+@[0-9a-f]+:[0-9a-f]+) ([0-9a-f]+) record in stack: (([^ ]+@[0-9a-f]+:[0-9a-f]+ ; )*)");
    for (int i = 1; i <= 2; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(records[i], m, layout)) << records[i];
        EXPECT_EQ(m[1].str().rfind(self, 0), 0u) << "the fault is in the test binary: " << m[1];
        const long n = std::stol(m[2].str(), nullptr, 16);
        EXPECT_GE(n, 1);
        EXPECT_LE(n, 31);
        const std::string stack = m[3].str();
        long count = 0;
        for (std::size_t at = 0; (at = stack.find(" ; ", at)) != std::string::npos; at += 3) ++count;
        EXPECT_EQ(count, n);
    }
}

TEST(CrashLog, AddressesMapToAModuleSection) {
    scene::refreshCrashModules();
    char path[512];
    unsigned section = 0;
    std::uintptr_t offset = 0;
    ASSERT_TRUE(scene::moduleSectionOffset(reinterpret_cast<std::uintptr_t>(&crashInChild), path, sizeof path,
                                           &section, &offset));
    EXPECT_GT(section, 0u);
    EXPECT_NE(std::string(path).find("app_tests"), std::string::npos);
    EXPECT_FALSE(scene::moduleSectionOffset(0x10, path, sizeof path, &section, &offset));
}

TEST(CrashLog, LongestRecordKeepsItsLineBreak) {
    // The test binary again, under a path of about 500 bytes.
    testsupport::TempDir dir;
    std::filesystem::path deep = dir.path();
    while (deep.string().size() < 470) deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    const auto copy = deep / "app_tests_copy";
    std::filesystem::copy_file("/proc/self/exe", copy);
    scene::refreshCrashModules();
    char real[512];
    unsigned section = 0;
    std::uintptr_t offset = 0;
    const auto here = reinterpret_cast<std::uintptr_t>(&crashInChild);
    ASSERT_TRUE(scene::moduleSectionOffset(here, real, sizeof real, &section, &offset));
    ASSERT_TRUE(scene::addCrashModule(copy.c_str(), here - offset - 4096, here + 4096, here - offset - 4096));

    std::uintptr_t returns[31];
    std::fill(std::begin(returns), std::end(returns), here);
    std::vector<char> out(scene::kCrashRecordMax);
    const std::size_t n = scene::formatCrashRecord(11, here, returns, 31, out.data(), out.size());
    scene::clearAddedCrashModules();
    const std::string record(out.data(), n);
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.back(), '\n');
    long entries = 0;
    for (std::size_t at = 0; (at = record.find(copy.string() + "@", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, 32);  // the fault and all 31 returns, none cut

    // A buffer too small for the record still ends it with the break.
    const std::size_t cut = scene::formatCrashRecord(11, here, returns, 31, out.data(), 300);
    EXPECT_EQ(cut, 300u - 1);
    EXPECT_EQ(out[cut - 1], '\n');
}

TEST(CrashLog, StartUpLogsIntoTheStateFolderMadeWhenNeeded) {
    testsupport::TempDir dir;
    ASSERT_TRUE(WIFSIGNALED(crashInChild(dir.path(), true)));
    EXPECT_EQ(lines(dir.path() / "state" / "pelmora" / "Pelmora.pml").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Pelmora.pml"));
}
