// The growable string and its formatter.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "util/String.h"

namespace {

TEST(StringTest, Growth) {
    String s;
    EXPECT_EQ(s.Capacity(), 1);
    s.Cat('a');
    EXPECT_EQ(s.Capacity(), 2);
    s.Cat('b');
    EXPECT_EQ(s.Capacity(), 4);
    s.Cat("cd");
    EXPECT_STREQ(s.GetReference(), "abcd");
    EXPECT_EQ(s.Capacity(), 9) << "each text takes twice its length and one more";
    String t;
    t.Cat("abc");
    EXPECT_EQ(t.Capacity(), 8);
    EXPECT_EQ(t.Length(), 3);
    t.Cat(t.GetReference());  // appending itself
    EXPECT_STREQ(t.GetReference(), "abcabc");
    t.Set(t.GetReference() + 4);  // setting from its own text
    EXPECT_STREQ(t.GetReference(), "bc");
    EXPECT_EQ(t.Capacity(), 3);
    for (int size : {0, -5, INT_MIN}) {
        String tiny(size);
        EXPECT_EQ(tiny.Capacity(), 1);
        tiny.Cat('x');
        EXPECT_STREQ(tiny.GetReference(), "x");
    }
}

TEST(StringTest, IntegersAndFormatting) {
    String s;
    for (int n : {-305, 0, INT_MIN, INT_MAX}) {
        s.CatInt(n);
        s.Cat(' ');
    }
    EXPECT_STREQ(s.GetReference(), "-305 0 -2147483648 2147483647 ");
    EXPECT_TRUE(s.printf("x=%d,%s", 5, "ab"));
    EXPECT_STREQ(s.GetReference(), "x=5,ab");
    EXPECT_TRUE(s.printf("%q%%%5d"));
    EXPECT_STREQ(s.GetReference(), "%q%%%5d");
    EXPECT_TRUE(s.printf("end %d%", -1));
    EXPECT_STREQ(s.GetReference(), "end -1%") << "a lone '%' at the end stands for itself";
    EXPECT_FALSE(s.printf(nullptr));
    EXPECT_STREQ(s.GetReference(), "end -1%");
    String made("%s-%d", "n", 42);
    EXPECT_STREQ(made.GetReference(), "n-42");
}

TEST(StringTest, TrimPeekPopReverse) {
    String s(" \tab c\r\n");
    s.Trim();
    EXPECT_STREQ(s.GetReference(), "ab c");
    EXPECT_EQ(s.Length(), 4);
    s.Reverse();
    EXPECT_STREQ(s.GetReference(), "c ba");
    s.Set("ab");
    EXPECT_EQ(s.PeekChar(), 'b');
    EXPECT_EQ(s.PopChar(), 'b');
    EXPECT_STREQ(s.GetReference(), "a");
    s.Clear();
    EXPECT_EQ(s.PopChar(), 0);
    EXPECT_EQ(s.PeekChar(), 0);
}

TEST(StringTest, ComparisonsAndCopies) {
    String s("abc");
    EXPECT_LT(s.Cmp("abd"), 0);
    EXPECT_EQ(s.Cmp("bc", -2), 0);
    EXPECT_EQ(s.Cmp("ab", 2), 0);
    EXPECT_EQ(s.Cmp("zz", 0), 1);
    EXPECT_EQ(s.Cmp("abc", -10), 0) << "a tail longer than the text is the whole text";
    EXPECT_EQ(s.Cmp("abc", INT_MIN), 0);
    String other("abd");
    EXPECT_LT(s.Cmp(&other), 0);
    String empty;
    EXPECT_EQ(empty.Cmp(""), 1);
    EXPECT_EQ(empty.Cmp(&other), 1);
    char out[8];
    std::memset(out, 'x', sizeof out);
    s.Get(out, 6);
    EXPECT_EQ(std::memcmp(out, "abc\0\0\0x", 7), 0) << "zero-filled after a shorter text";
    std::memset(out, 'x', sizeof out);
    s.Get(out, 2);
    s.Get(out, -7);
    EXPECT_EQ(std::memcmp(out, "abx", 3), 0) << "unterminated when the text is longer";
    s.Get(out, -1);
    EXPECT_STREQ(out, "abc");
}

}  // namespace
