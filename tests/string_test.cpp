// The growable string and its formatter.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "util/String.h"

namespace {

TEST(StringTest, GrowsFromItsOwnTextAndFormatsIntegersAndText) {
    String t;
    t.Cat('a');
    t.Cat("bc");
    t.Cat(t.GetReference());  // appending itself
    EXPECT_STREQ(t.GetReference(), "abcabc");
    t.Set(t.GetReference() + 4);  // setting from its own text, to a smaller buffer
    t.Cat('d');
    EXPECT_STREQ(t.GetReference(), "bcd");
    for (int size : {0, -5, INT_MIN}) {  // a size below one acts as one
        String tiny(size);
        tiny.Cat('x');
        EXPECT_STREQ(tiny.GetReference(), "x");
    }
    String s("%s%d", "old", 7);
    EXPECT_FALSE(s.printf(nullptr));
    EXPECT_STREQ(s.GetReference(), "old7") << "unchanged without a format";
    // Other conversions pass through; a lone '%' at the end stands for itself.
    EXPECT_TRUE(s.printf("%d %d %d %d x=%s %q%%%5d %", -305, 0, INT_MIN, INT_MAX, "ab"));
    EXPECT_STREQ(s.GetReference(), "-305 0 -2147483648 2147483647 x=ab %q%%%5d %");
}

TEST(StringTest, TrimsPopsComparesAndCopiesOut) {
    String s(" \tab c\r\n");
    s.Trim();
    s.Reverse();
    EXPECT_EQ(s.PeekChar(), 'a');
    EXPECT_EQ(s.PopChar(), 'a');
    EXPECT_STREQ(s.GetReference(), "c b");
    EXPECT_LT(s.Cmp("c c"), 0);
    // A count compares the first characters, a negative one the last; a tail longer than
    // the text is the whole text.
    for (const auto& [text, count] : {std::pair{"b", -1}, {"c ", 2}, {"c b", -10}, {"c b", INT_MIN}})
        EXPECT_EQ(s.Cmp(text, count), 0) << text << count;
    // Exactly count bytes, unterminated after a longer text and zero-filled after a shorter
    // one; -1 the whole text with its end; below that nothing.
    char out[] = "xxxxxxxxxxxxx";
    s.Get(out, 2);
    s.Get(out + 2, 6);
    s.Get(out + 8, -1);
    s.Get(out, -7);
    EXPECT_EQ(std::memcmp(out, "c c b\0\0\0c b\0x", 13), 0);
    s.Clear();
    EXPECT_EQ(s.PopChar(), 0);
    EXPECT_EQ(s.Cmp(""), 1) << "an empty text matches nothing";
    EXPECT_EQ(s.Cmp(&s), 1);
}

}  // namespace
