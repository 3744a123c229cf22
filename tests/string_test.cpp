// The growable string and its formatter.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "util/String.h"

namespace {

TEST(StringTest, CharactersDoubleTheBufferWhenFull) {
    String s;
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Capacity(), 1);
    EXPECT_STREQ(s.GetReference(), "");
    s.Cat('a');
    EXPECT_STREQ(s.GetReference(), "a");
    EXPECT_EQ(s.Capacity(), 2);
    s.Cat('b');
    EXPECT_EQ(s.Capacity(), 4);
    s.Cat('c');
    EXPECT_EQ(s.Capacity(), 4);
    EXPECT_STREQ(s.GetReference(), "abc");
    EXPECT_EQ(s.Length(), 3);
    for (char c : {'d', 'e', 'f', 'g'}) s.Cat(c);
    EXPECT_STREQ(s.GetReference(), "abcdefg");
    EXPECT_EQ(s.Length(), 7);
    EXPECT_EQ(s.Capacity(), 8);
}

TEST(StringTest, TextsAppendAndSetReplaces) {
    String s;
    s.Cat("abc");
    EXPECT_EQ(s.Length(), 3);
    EXPECT_EQ(s.Capacity(), 8) << "each text appended takes twice its length and one more";
    s.Cat("");
    s.Cat(static_cast<const char*>(nullptr));
    s.Cat("de");
    EXPECT_STREQ(s.GetReference(), "abcde");
    s.Cat(s.GetReference());  // appending itself
    EXPECT_STREQ(s.GetReference(), "abcdeabcde");
    s.Set("xy");
    EXPECT_STREQ(s.GetReference(), "xy");
    EXPECT_EQ(s.Length(), 2);
    EXPECT_EQ(s.Capacity(), 3);
    s.Cat('z');  // the set buffer is exactly full
    EXPECT_STREQ(s.GetReference(), "xyz");
    s.Set(s.GetReference() + 1);  // setting from its own text
    EXPECT_STREQ(s.GetReference(), "yz");
    s.Clear();
    EXPECT_EQ(s.Length(), 0);
    EXPECT_STREQ(s.GetReference(), "");
    s.Cat('q');
    EXPECT_STREQ(s.GetReference(), "q");
}

TEST(StringTest, SizedStringsHoldAtLeastOneByte) {
    String sized(16);
    EXPECT_EQ(sized.Length(), 0);
    EXPECT_EQ(sized.Capacity(), 16);
    for (int i = 0; i < 20; ++i) sized.Cat('x');
    EXPECT_EQ(sized.Length(), 20);
    EXPECT_EQ(sized.Capacity(), 32) << "full at 15 characters, then doubled";
    for (int size : {0, -5, INT_MIN}) {
        String tiny(size);
        EXPECT_EQ(tiny.Capacity(), 1);
        ASSERT_NE(tiny.GetReference(), nullptr);
        EXPECT_STREQ(tiny.GetReference(), "");
        tiny.Cat('a');
        tiny.Cat('b');
        EXPECT_STREQ(tiny.GetReference(), "ab");
    }
}

TEST(StringTest, IntegersInDecimal) {
    String s;
    s.CatInt(-305);
    EXPECT_STREQ(s.GetReference(), "-305");
    s.Clear();
    s.CatInt(0);
    EXPECT_STREQ(s.GetReference(), "0");
    s.Clear();
    s.CatInt(INT_MIN);
    EXPECT_STREQ(s.GetReference(), "-2147483648");
    s.Clear();
    s.CatInt(INT_MAX);
    EXPECT_STREQ(s.GetReference(), "2147483647");
    s.Cat(',');
    s.CatInt(7);
    EXPECT_STREQ(s.GetReference(), "2147483647,7");
}

TEST(StringTest, FormatterKnowsOnlyDecimalAndText) {
    String s;
    EXPECT_TRUE(s.printf("x=%d,%s", 5, "ab"));
    EXPECT_STREQ(s.GetReference(), "x=5,ab");
    EXPECT_TRUE(s.printf("%q"));
    EXPECT_STREQ(s.GetReference(), "%q") << "printf replaces the text";
    EXPECT_TRUE(s.printf("100%% %5d", 3));
    EXPECT_STREQ(s.GetReference(), "100%% %5d");
    EXPECT_TRUE(s.printf("end %d%", -1));
    EXPECT_STREQ(s.GetReference(), "end -1%") << "a lone '%' at the end stands for itself";
    EXPECT_TRUE(s.printf("%"));
    EXPECT_STREQ(s.GetReference(), "%");
    EXPECT_FALSE(s.printf(nullptr));
    EXPECT_STREQ(s.GetReference(), "%");

    String made("%s-%d", "n", 42);
    EXPECT_STREQ(made.GetReference(), "n-42");
    String none(static_cast<const char*>(nullptr));
    EXPECT_STREQ(none.GetReference(), "");
}

TEST(StringTest, TrimStripsBothEndsOnly) {
    String s(" \tab c\r\n");
    s.Trim();
    EXPECT_STREQ(s.GetReference(), "ab c");
    EXPECT_EQ(s.Length(), 4);
    String blank(" \t\r\n");
    blank.Trim();
    EXPECT_EQ(blank.Length(), 0);
    String zeros;
    zeros.Cat('\0');
    zeros.Cat('k');
    zeros.Cat('\0');
    zeros.Trim();
    EXPECT_EQ(zeros.Length(), 1);
    EXPECT_EQ(zeros.PeekChar(), 'k');
}

TEST(StringTest, PeekPopAndReverse) {
    String s("ab");
    EXPECT_EQ(s.PeekChar(), 'b');
    EXPECT_EQ(s.PopChar(), 'b');
    EXPECT_STREQ(s.GetReference(), "a");
    EXPECT_EQ(s.PopChar(), 'a');
    EXPECT_EQ(s.PopChar(), 0);
    EXPECT_EQ(s.PeekChar(), 0);
    EXPECT_EQ(s.Length(), 0);
    s.Set("abcd");
    s.Reverse();
    EXPECT_STREQ(s.GetReference(), "dcba");
    s.Set("abc");
    s.Reverse();
    EXPECT_STREQ(s.GetReference(), "cba");
}

TEST(StringTest, Comparisons) {
    String s("abc");
    EXPECT_EQ(s.Cmp("abc"), 0);
    EXPECT_LT(s.Cmp("abd"), 0);
    EXPECT_GT(s.Cmp("ab"), 0);
    EXPECT_EQ(s.Cmp(static_cast<const char*>(nullptr)), 1);
    EXPECT_EQ(s.Cmp("bc", -2), 0);
    EXPECT_EQ(s.Cmp("ab", 2), 0);
    EXPECT_NE(s.Cmp("ab", 3), 0);
    EXPECT_EQ(s.Cmp("zz", 0), 1);
    EXPECT_EQ(s.Cmp("abc", -3), 0);
    // A tail longer than the text is the whole text.
    EXPECT_EQ(s.Cmp("abc", -10), 0);
    EXPECT_EQ(s.Cmp("abc", INT_MIN), 0);
    EXPECT_NE(s.Cmp("xabc", -4), 0);

    String same("abc");
    String other("abd");
    EXPECT_EQ(s.Cmp(&same), 0);
    EXPECT_LT(s.Cmp(&other), 0);
    EXPECT_EQ(s.Cmp(static_cast<const String*>(nullptr)), 1);

    String empty;
    EXPECT_EQ(empty.Cmp(""), 1);
    EXPECT_EQ(empty.Cmp(&same), 1);
    EXPECT_EQ(empty.Cmp("", 1), 1);
}

TEST(StringTest, GetCopiesLikeTheBoundedCopy) {
    String s("abc");
    char out[8];
    std::memset(out, 'x', sizeof out);
    s.Get(out, -1);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(out[4], 'x');
    std::memset(out, 'x', sizeof out);
    s.Get(out, 6);
    EXPECT_EQ(std::memcmp(out, "abc\0\0\0x", 7), 0) << "zero-filled after a shorter text";
    std::memset(out, 'x', sizeof out);
    s.Get(out, 2);
    EXPECT_EQ(std::memcmp(out, "abx", 3), 0) << "unterminated when the text is longer";
    std::memset(out, 'x', sizeof out);
    s.Get(out, 0);
    s.Get(out, -7);
    s.Get(nullptr, 5);
    EXPECT_EQ(out[0], 'x');
}

}  // namespace
