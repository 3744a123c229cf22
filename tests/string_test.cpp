// The growable string and its formatter.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "util/String.h"

namespace {

TEST(StringTest, GrowthAndOwnText) {
    String t;
    t.Cat('a');
    t.Cat("bc");
    t.Cat(t.GetReference());  // appending itself
    EXPECT_STREQ(t.GetReference(), "abcabc");
    EXPECT_EQ(t.Length(), 6);
    t.Set(t.GetReference() + 4);  // setting from its own text
    EXPECT_STREQ(t.GetReference(), "bc");
    for (int size : {0, -5, INT_MIN}) {  // a size below one acts as one
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
}

TEST(StringTest, TrimPeekPopReverse) {
    String s(" \tab c\r\n");
    s.Trim();
    s.Reverse();
    EXPECT_STREQ(s.GetReference(), "c ba");
    EXPECT_EQ(s.PeekChar(), 'a');
    EXPECT_EQ(s.PopChar(), 'a');
    EXPECT_STREQ(s.GetReference(), "c b");
    s.Clear();
    EXPECT_EQ(s.PopChar(), 0);
}

TEST(StringTest, ComparisonsAndCopies) {
    String s("abc");
    EXPECT_LT(s.Cmp("abd"), 0);
    EXPECT_EQ(s.Cmp("bc", -2), 0);
    EXPECT_EQ(s.Cmp("ab", 2), 0);
    EXPECT_EQ(s.Cmp("abc", -10), 0) << "a tail longer than the text is the whole text";
    EXPECT_EQ(s.Cmp("abc", INT_MIN), 0);
    String empty;
    EXPECT_EQ(empty.Cmp(""), 1);
    char out[8];
    std::memset(out, 'x', sizeof out);
    s.Get(out, 6);
    EXPECT_EQ(std::memcmp(out, "abc\0\0\0x", 7), 0) << "zero-filled after a shorter text";
    std::memset(out, 'x', sizeof out);
    s.Get(out, 2);
    s.Get(out, -7);
    EXPECT_EQ(std::memcmp(out, "abx", 3), 0) << "unterminated when the text is longer";
}

}  // namespace
