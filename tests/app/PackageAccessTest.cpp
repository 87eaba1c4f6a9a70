#include <gtest/gtest.h>

#include "support/TestGame.h"

using testsupport::bytes;

class PackageAccess : public testsupport::GameFixture {};

TEST_F(PackageAccess, ScramblingRoundTripsAndDetectsDamage) {
    const MAux::Bytes key = MAux::fromHex(MAux::PACKAGE_KEY_HEX);
    ASSERT_EQ(key.size(), 93u);
    EXPECT_EQ(MAux::basic_checksum(bytes("abc")), 0x0123);
    EXPECT_EQ(MAux::basic_checksum({}), 0);
    for (const std::string& plain : std::vector<std::string>{"", "x", "Pelmora sushi bar", std::string(1000, '\xE8')}) {
        const auto block = MAux::basic_encrypt(bytes(plain), key);
        ASSERT_EQ(block.size(), plain.size() + 3);
        EXPECT_LE(block[0], 46);  // starts in the first half of the key
        auto back = MAux::basic_decrypt(block, key);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, bytes(plain));
    }
    auto block = MAux::basic_encrypt(bytes("a longer message to damage"), key);
    block[block.size() - 5] ^= 0x01;  // the checksum covers the last 16 bytes
    EXPECT_FALSE(MAux::basic_decrypt(block, key).has_value());
    EXPECT_FALSE(MAux::basic_decrypt({1, 2}, key).has_value());
    EXPECT_EQ(MAux::fromHex("0aFf1"), (MAux::Bytes{0x0A, 0xFF}));  // the odd last digit is ignored
}

TEST_F(PackageAccess, TextsAndPicturesComeFromThePackage) {
    package({{"assets/version.txt", bytes("1.0.0\n")},
             {"assets/p.png", testsupport::pngBytes(3, 2)},
             {"assets/bad.png", bytes("not a picture")}});
    EXPECT_EQ(MAux::getText("assets/version.txt"), "1.0.0\n");  // kept exactly, line break included
    const auto where = MAux::assets_get_offset_and_len_of("assets/version.txt");
    ASSERT_TRUE(where.offset && where.len);
    EXPECT_EQ(*where.len, 6 + 3);
    const auto nowhere = MAux::assets_get_offset_and_len_of("assets/none.txt");
    EXPECT_FALSE(nowhere.offset.has_value());
    EXPECT_FALSE(nowhere.len.has_value());

    auto first = MAux::getBitmapData("assets/p.png");
    auto again = MAux::getBitmapData("assets/p.png");
    EXPECT_EQ(first.get(), again.get());  // decoded once, shared
    EXPECT_EQ(first->width(), 3);
    EXPECT_EQ(first->height(), 2);

    // Decoding ahead takes every other picture once, and later asks find them;
    // then the work queued to make other pictures, each task once, in order.
    std::string done;
    MAux::prepareAhead([&] { done += "a"; });
    MAux::prepareAhead([&] { done += "b"; });
    while (MAux::decodeAhead(1000)) {}
    EXPECT_EQ(done, "ab");
    EXPECT_EQ(MAux::decodedPictures(), (std::vector<std::string>{"assets/bad.png", "assets/p.png"}));
    EXPECT_EQ(MAux::getBitmapData("assets/p.png").get(), first.get());
    EXPECT_FALSE(MAux::decodeAhead(1000));
}

TEST_F(PackageAccess, MissingOrDamagedEntriesGiveEmptyResultsAndAWarning) {
    package({{"assets/version.txt", bytes("1.0.0")}, {"assets/bad.png", bytes("not a picture")}});
    testing::internal::CaptureStderr();
    EXPECT_EQ(MAux::getText("assets/nothing.txt"), "");
    auto missing = MAux::getBitmapData("assets/nothing.png");
    auto broken = MAux::getBitmapData("assets/bad.png");
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("assets/nothing.txt"), std::string::npos);
    EXPECT_NE(warnings.find("assets/nothing.png"), std::string::npos);
    EXPECT_NE(warnings.find("assets/bad.png"), std::string::npos);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->getPixel32(0, 0) >> 24, 0u);  // transparent stand-in
    EXPECT_EQ(MAux::getBitmapData("assets/nothing.png").get(), missing.get());
}

TEST_F(PackageAccess, AMissingOrDamagedPackageIsFatalWithAClearMessage) {
    try {
        MAux::getText("assets/version.txt");
        FAIL() << "no package must not pass silently";
    } catch (const MAux::FatalError& e) {
        EXPECT_NE(std::string(e.what()).find("assets.dat"), std::string::npos);
    }
    auto file = testsupport::buildPackage({{"assets/version.txt", bytes("1.0.0")}});
    file[file.size() - 1] ^= 0x55;  // the directory block sits at the end: break its checksum
    dir_.write("assets.dat", file);
    MAux::reset();
    EXPECT_THROW(MAux::getText("assets/version.txt"), MAux::FatalError);
    dir_.write("assets.dat", {1, 2, 3});
    MAux::reset();
    EXPECT_THROW(MAux::getText("assets/version.txt"), MAux::FatalError);
}

TEST_F(PackageAccess, SoundsAndBackgrounds) {
    scene::SoundRegistry::registerSound("ordine.mp3", "ordine.mp3");
    auto sound = MAux::getSound("assets/music/ordine.mp3");
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->path(), "ordine.mp3");
    EXPECT_EQ(MAux::getSound("assets/music/unknown.mp3"), nullptr);
    scene::SoundRegistry::clear();

    package({{"assets/bgs.png", testsupport::pngBytes(4, 4)}, {"assets/welcome01.png", testsupport::pngBytes(8, 8)},
             {"assets/welcome02.png", testsupport::pngBytes(8, 8)}, {"assets/welcome03.png", testsupport::pngBytes(8, 8)},
             {"assets/welcome04.png", testsupport::pngBytes(8, 8)}, {"assets/welcome05.png", testsupport::pngBytes(8, 8)}});
    scene::Sprite one;
    auto only = std::make_shared<scene::Sprite>();
    one.addChild(only);
    MAux::lightBackground(one, true);  // one child: nothing is replaced
    ASSERT_EQ(one.numChildren(), 2);
    EXPECT_EQ(one.getChildAt(0), only);
    EXPECT_DOUBLE_EQ(one.getChildAt(1)->width(), 800);
    EXPECT_DOUBLE_EQ(one.getChildAt(1)->height(), 480);
    MAux::lightBackground(one, true);  // two children: the overlay is replaced
    EXPECT_EQ(one.numChildren(), 2);

    scene::Sprite screen;
    MAux::randomBackground(screen);
    EXPECT_EQ(screen.numChildren(), 2);
    scene::Sprite plain;
    MAux::randomBackground(plain, false);
    EXPECT_EQ(plain.numChildren(), 1);
}
