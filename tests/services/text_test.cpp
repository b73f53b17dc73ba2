#include "services/core/text.h"

#include <gtest/gtest.h>

namespace {

// Two ASCII letters, then two double-byte characters: 中 (D6 D0) and 文 (CE C4).
const Text kMixed = "ab中文";

struct FindCase {
    Text text, sought;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, FindsByCharacterAndNeverOnATrailByte) {
    const FindCase cases[] = {
        {kMixed, "文", 1, false, 5},
        {kMixed, "中", 1, false, 3},
        {kMixed, "b", 1, false, 2},
        {kMixed, "B", 1, true, 2},
        {kMixed, "B", 1, false, -1},
        // D0 CE is the trail of 中 followed by the lead of 文: not a character.
        {kMixed, "\xD0\xCE", 1, false, -1},
        {"\xD6\x41"
         "A",
         "A", 1, false, 3},  // 0x41 after a lead byte is a trail
        {"\xD6\x41"
         "A",
         "a", 1, true, 3},
        {"abcabc", "abc", 2, false, 4},
        {"abcabc", "abc", 0, false, 1},  // below 1 counts as 1
        {"abc", "c", 4, false, -1},      // beyond the end
        {"abc", "", 1, false, 1},
        {"", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"ab", "abc", 1, false, -1},
        {"a\xD6", "\xD6", 1, false, 2},  // a lone lead byte at the end still matches
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected) << c.text << " / " << c.sought;
}

TEST(FindText, IgnoringCaseLeavesTrailBytesExact) {
    // 0x61 ('a') as a trail byte must not match 0x41 ('A') as a trail byte.
    EXPECT_EQ(FindText("\x81\x61", "\x81\x41", 1, true), -1);
    EXPECT_EQ(FindText("X\x81\x61", "x\x81\x61", 1, true), 1);
}

TEST(FindTextLast, FindsTheLastOccurrence) {
    EXPECT_EQ(FindTextLast("C:\\dir\\file", "\\"), 7);
    EXPECT_EQ(FindTextLast("C:\\dir\\file", "\\", 7), 3);  // only the first 6 bytes
    EXPECT_EQ(FindTextLast("C:\\dir\\file", "\\", 8), 7);
    EXPECT_EQ(FindTextLast("abcABC", "abc", std::nullopt, true), 4);
    EXPECT_EQ(FindTextLast("abc", "x"), -1);
    EXPECT_EQ(FindTextLast("abc", ""), 1);
    EXPECT_EQ(FindTextLast("abc", "", 1), -1);  // empty region
    // The trail byte 0x5C of a double-byte character is no backslash.
    EXPECT_EQ(FindTextLast("a\\\x95\x5C", "\\"), 2);
}

TEST(ReplaceText, ReplacesWholeCharactersOnly) {
    EXPECT_EQ(ReplaceText("C:/Program Files/tavrin/", "/", "\\"), "C:\\Program Files\\tavrin\\");
    EXPECT_EQ(ReplaceText("C:/Program Files/tavrin/", "/", "\\", 1, 1), "C:\\Program Files/tavrin/");
    EXPECT_EQ(ReplaceText("a/b/c/d", "/", "-", 4), "a/b-c-d");
    EXPECT_EQ(ReplaceText("a/b/c/d", "/", "-", 4, 1), "a/b-c/d");
    EXPECT_EQ(ReplaceText("aAa", "a", "x"), "xxx");  // case ignored by default
    EXPECT_EQ(ReplaceText("aAa", "a", "x", 1, std::nullopt, true), "xAx");
    EXPECT_EQ(ReplaceText("abc", "b"), "ac");                 // empty replacement
    EXPECT_EQ(ReplaceText(kMixed, "\xD0\xCE", "X"), kMixed);  // across a character boundary
    EXPECT_EQ(ReplaceText("\x95\x5C\\", "\\", "/"), "\x95\x5C/");
    EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceText("abc", "b", "x", 9), "abc");
    EXPECT_EQ(ReplaceText("abc", "b", "x", 1, 0), "abc");
    EXPECT_EQ(ReplaceText("ab\xD6", "b", "x"), "ax\xD6");  // lone lead byte kept
}

TEST(TextSlices, LeftMidCharSpace) {
    EXPECT_EQ(LeftText("abcdef", 3), "abc");
    EXPECT_EQ(LeftText("ab", 5), "ab");
    EXPECT_EQ(LeftText("ab", 0), "");
    EXPECT_EQ(LeftText("ab", -1), "");
    EXPECT_EQ(MidText("abcdef", 2, 3), "bcd");
    EXPECT_EQ(MidText("abcdef", 5, 9), "ef");
    EXPECT_EQ(MidText("abcdef", 0, 2), "");
    EXPECT_EQ(MidText("abcdef", 7, 1), "");
    EXPECT_EQ(MidText("abcdef", 6, 0), "");
    EXPECT_EQ(CharText(0x41), "A");
    EXPECT_EQ(CharText(0xD6), "\xD6");
    EXPECT_EQ(SpaceText(3), "   ");
    EXPECT_EQ(SpaceText(0), "");
}

TEST(ToLowerText, LowersAsciiAndLeavesDoubleByteCharacters) {
    EXPECT_EQ(ToLowerText("ABC中文XYZ"), "abc中文xyz");
    // 0x41 and 0x5A as trail bytes stay as they are.
    EXPECT_EQ(ToLowerText("\x81\x41Q\x81\x5A"), "\x81\x41q\x81\x5A");
    EXPECT_EQ(ToLowerText(""), "");
}

}  // namespace
