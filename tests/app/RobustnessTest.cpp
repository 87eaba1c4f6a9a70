#include <gtest/gtest.h>

#include <random>

#include "support/TestGame.h"

using testsupport::bytes;

namespace {

// Damaged packages: every read either works, warns, or stops with FatalError;
// nothing reads outside the file.
class DamagedPackage : public testsupport::GameFixture {};

}  // namespace

TEST_F(DamagedPackage, RandomDamageIsReportedNeverFatalToTheProcess) {
    const auto good = testsupport::buildPackage({{"assets/version.txt", bytes("1.0.0")},
                                                 {"assets/p.png", testsupport::pngBytes(6, 6)},
                                                 {"assets/languages/italiano.txt", bytes("A:=b\r\nC:=d^Me\r\n")}});
    std::mt19937 rng(2024);
    int fatal = 0, readable = 0;
    for (int round = 0; round < 300; ++round) {
        auto file = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) file[rng() % file.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
        if (round % 10 == 0) file.resize(rng() % file.size());  // cut short too
        dir_.write("assets.dat", file);
        MAux::reset();
        CML::reset();
        testing::internal::CaptureStderr();
        try {
            const std::string v = MAux::getText("assets/version.txt");
            auto picture = MAux::getBitmapData("assets/p.png");
            ASSERT_TRUE(picture);
            EXPECT_GE(picture->width(), 1);
            CML::text("A");
            readable += v == "1.0.0";
        } catch (const MAux::FatalError&) {
            ++fatal;
        }
        testing::internal::GetCapturedStderr();
    }
    // Both outcomes occur: damage to the directory is fatal, damage to an entry is not.
    EXPECT_GT(fatal, 0);
    EXPECT_GT(readable, 0);
}

TEST(Robustness, LanguageTextsFromArbitraryBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string junk(rng() % 400, '\0');
        for (auto& c : junk) c = static_cast<char>(rng() % 256);
        if (round % 3 == 0) junk += ":=x:=y^M\r\n:=\r\n^M:=";
        testsupport::TempDir dir;
        const auto file = testsupport::buildPackage({{"assets/languages/italiano.txt", bytes(junk)}});
        dir.write("assets.dat", file);
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        MAux::reset();
        CML::reset();
        EXPECT_EQ(CML::text("surely no such key"), "surely no such key");
        std::filesystem::current_path(previous);
    }
    MAux::reset();
    CML::reset();
}
