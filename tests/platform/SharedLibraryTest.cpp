#include <gtest/gtest.h>

#include "platform/SharedLibrary.h"

using scene::detail::SharedLibrary;

TEST(SharedLibrary, PreloadedLibraryBindsAndAMissingLibraryOrFunctionLeavesItUnusable) {
    SharedLibrary::preload("libm.so.6");
    SharedLibrary math("libm.so.6", "test");
    EXPECT_TRUE(SharedLibrary::preloaded("libm.so.6"));
    double (*hypotenuse)(double, double) = nullptr;
    math.bind(hypotenuse, "hypot");
    ASSERT_TRUE(math.usable());
    EXPECT_DOUBLE_EQ(hypotenuse(3, 4), 5);
    void (*none)() = nullptr;
    math.bind(none, "pelmora_no_such_function");
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(math.usable());

    SharedLibrary missing("libpelmora-no-such-library.so.0", "test");
    missing.bind(none, "anything");
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(missing.usable());
}
