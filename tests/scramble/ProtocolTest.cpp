#include "scramble/Protocol.h"

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>
#include <string>

using namespace pelmora::scramble;

TEST(Protocol, SharedConstantsHaveTheirAgreedShape) {
    const std::string master = MASTER_KEY;
    EXPECT_EQ(master.size(), 36u);
    for (char c : master) EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)));
}

TEST(Protocol, RequestBodyIsPrefixAndEvenLowercaseHexThatOpens) {
    const auto key = bytesOf(MASTER_KEY);
    const auto rnd = systemRandom();
    for (const std::string& text : {std::string(), std::string("KGR;cpp;1.0.0\n;7null"), std::string(5000, ';')}) {
        const std::string body = requestBody(text, key, rnd);
        ASSERT_EQ(body.rfind("x=", 0), 0u);
        const std::string hex = body.substr(2);
        EXPECT_EQ(hex.size() % 2, 0u);
        EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_EQ(openRequestBody(body, key), text);
        EXPECT_EQ(openMessage(hex, key), text);
    }
}

TEST(Protocol, MessagesThatDoNotOpen) {
    const auto key = bytesOf("sessionkey123");
    const auto rnd = systemRandom();
    const std::string hex = sealMessage("user;password;12;34", key, rnd);
    EXPECT_FALSE(openMessage(hex + "0", key));
    EXPECT_FALSE(openMessage("zz" + hex.substr(2), key));
    EXPECT_FALSE(openMessage(hex, Bytes{}));
    EXPECT_FALSE(openMessage(hex, bytesOf("completely different key")));
    EXPECT_FALSE(openRequestBody(hex, key));
    EXPECT_FALSE(openRequestBody("X=" + hex, key));
    EXPECT_FALSE(openRequestBody("", key));
    EXPECT_EQ(openMessage(hex, key), "user;password;12;34");
}

TEST(Protocol, TextTooLongForOneMessageIsRefused) {
    const auto key = bytesOf(MASTER_KEY);
    const auto rnd = systemRandom();
    EXPECT_EQ(openMessage(sealMessage(std::string(MAX_MESSAGE_TEXT, 'a'), key, rnd), key)->size(), MAX_MESSAGE_TEXT);
    EXPECT_THROW(sealMessage(std::string(MAX_MESSAGE_TEXT + 1, 'a'), key, rnd), std::length_error);
    EXPECT_THROW(sealMessage("x", Bytes{}, rnd), std::invalid_argument);
}

TEST(Protocol, SplitFieldsKeepsEmptyFields) {
    EXPECT_EQ(splitFields(""), (std::vector<std::string>{""}));
    EXPECT_EQ(splitFields(";;"), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(splitFields(";;register"), (std::vector<std::string>{"", "", "register"}));
    EXPECT_EQ(splitFields("a;b"), (std::vector<std::string>{"a", "b"}));
}
