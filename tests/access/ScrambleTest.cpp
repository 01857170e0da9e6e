#include "access/Scramble.h"

#include <gtest/gtest.h>
#include <random>

namespace envio {
namespace {

unsigned char at(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s.at(i));
}

unsigned char low8(long long v) {
    return static_cast<unsigned char>(v & 0xFF);
}

TEST(Scramble, KeysAreSmallAndNonNegative) {
    for (std::size_t i = 1; i < ScrambleKeys.size(); ++i) {
        EXPECT_GE(ScrambleKeys[i], 0);
        EXPECT_LT(ScrambleKeys[i], 256);
    }
}

TEST(Scramble, EmptyTextStaysEmpty) {
    EXPECT_EQ(ScrambleText(""), "");
    EXPECT_EQ(UnscrambleText(""), "");
}

TEST(Scramble, OneByteIsShiftedByLengthPositionAndFirstKey) {
    const std::string scrambled = ScrambleText("a");
    ASSERT_EQ(scrambled.size(), 1u);
    EXPECT_EQ(at(scrambled, 0), low8('a' + 1 + 1 + ScrambleKeys[1]));
    EXPECT_EQ(UnscrambleText(scrambled), "a");
}

TEST(Scramble, KeysFollowThePositionsOneTwoThree) {
    const std::string scrambled = ScrambleText("abc");
    ASSERT_EQ(scrambled.size(), 3u);
    EXPECT_EQ(at(scrambled, 0), low8('a' + 3 + 1 + ScrambleKeys[1]));
    EXPECT_EQ(at(scrambled, 1), low8('b' + 3 + 2 + ScrambleKeys[2]));
    EXPECT_EQ(at(scrambled, 2), low8('c' + 3 + 3 + ScrambleKeys[3]));

    // Positions 4, 5 and 6 use the entries 1, 2 and 3 again.
    const std::string six = ScrambleText("AAAAAA");
    for (int p = 1; p <= 6; ++p) {
        const int entry = p % 3 == 0 ? 3 : p % 3;
        EXPECT_EQ(at(six, p - 1), low8('A' + 6 + p + ScrambleKeys[entry])) << "position " << p;
    }
}

TEST(Scramble, ShiftsWrapPastTheTopByte) {
    const std::string top("\xFF\xFA", 2);
    const std::string scrambled = ScrambleText(top);
    EXPECT_EQ(at(scrambled, 0), low8(0xFF + 2 + 1 + ScrambleKeys[1]));
    EXPECT_LT(at(scrambled, 0), 0xFF);
    EXPECT_EQ(at(scrambled, 1), low8(0xFA + 2 + 2 + ScrambleKeys[2]));
    EXPECT_EQ(UnscrambleText(scrambled), top);

    // Unscrambling a low byte wraps below zero to the top.
    const std::string low("\x01", 1);
    EXPECT_EQ(at(UnscrambleText(low), 0), low8(1 - 1 - 1 - ScrambleKeys[1]));
}

TEST(Scramble, ZeroBytesInsideTheScrambledTextAreKept) {
    // Pick the plain byte of position 2 (of 4) so that it scrambles to zero.
    std::string plain = "pwd!";
    plain[1] = static_cast<char>(low8(-(4 + 2 + ScrambleKeys[2])));
    const std::string scrambled = ScrambleText(plain);
    ASSERT_EQ(scrambled.size(), 4u);
    EXPECT_EQ(scrambled[1], '\0');
    EXPECT_EQ(UnscrambleText(scrambled), plain);
    // And a zero byte in the plain text is scrambled like any other.
    const std::string withZero("a\0b", 3);
    EXPECT_EQ(UnscrambleText(ScrambleText(withZero)), withZero);
}

TEST(Scramble, AddingACharacterChangesEveryByte) {
    const std::string shorter = ScrambleText("secreto");
    const std::string longer = ScrambleText("secreto1");
    ASSERT_EQ(shorter.size() + 1, longer.size());
    for (std::size_t i = 0; i < shorter.size(); ++i)
        EXPECT_NE(shorter[i], longer[i]) << "byte " << i;
}

TEST(Scramble, RoundTripOverRandomByteStrings) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> byteDist(0, 255);
    for (std::size_t length = 0; length <= 600; ++length) {
        std::string plain;
        for (std::size_t i = 0; i < length; ++i)
            plain.push_back(static_cast<char>(byteDist(random)));
        const std::string scrambled = ScrambleText(plain);
        ASSERT_EQ(scrambled.size(), length);
        ASSERT_EQ(UnscrambleText(scrambled), plain) << "length " << length;
    }
}

} // namespace
} // namespace envio
