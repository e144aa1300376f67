#include <gtest/gtest.h>

#include <string.h>

#include "text/strcopy.h"
#include "text/strfind.h"

namespace {

// A buffer with guard bytes behind size so that overruns show.
struct Guarded {
  char buf[32];
  Guarded() { memset(buf, '#', sizeof buf); }
  bool IntactFrom(int i) const {
    for (int k = i; k < (int)sizeof buf; ++k) {
      if (buf[k] != '#') return false;
    }
    return true;
  }
};

TEST(StrCopy, CutsToSizeAndAlwaysTerminates) {
  Guarded g;
  EXPECT_EQ(StrCopyA(g.buf, "abcdefgh", 5), 4);
  EXPECT_STREQ(g.buf, "abcd");
  EXPECT_TRUE(g.IntactFrom(5));
  EXPECT_EQ(StrCopyA(g.buf, "xy", 5), 2);
  EXPECT_STREQ(g.buf, "xy");
  Guarded z;
  EXPECT_EQ(StrCopyA(z.buf, "abc", 0), 0);
  EXPECT_EQ(StrCopyA(z.buf, "abc", -3), 0);
  EXPECT_TRUE(z.IntactFrom(0));
  EXPECT_EQ(StrCopyA(z.buf, "abc", 1), 0);
  EXPECT_EQ(z.buf[0], 0);
  EXPECT_TRUE(z.IntactFrom(1));
}

TEST(StrCopy, CountLimitsTheSource) {
  Guarded g;
  EXPECT_EQ(StrCopyNA(g.buf, "abcdef", 10, 3), 3);
  EXPECT_STREQ(g.buf, "abc");
  Guarded h;
  EXPECT_EQ(StrCopyNA(h.buf, "abcdef", 3, 5), 2);
  EXPECT_STREQ(h.buf, "ab");
  EXPECT_TRUE(h.IntactFrom(3));
  const char raw[3] = {'x', 'y', 'z'};  // no terminator: n must bound the read
  EXPECT_EQ(StrCopyNA(g.buf, raw, 10, 3), 3);
  EXPECT_STREQ(g.buf, "xyz");
}

TEST(StrCopy, AppendNeverOverflows) {
  Guarded g;
  StrCopyA(g.buf, "abc", 8);
  EXPECT_EQ(StrAppendA(g.buf, "defgh", 8), 7);
  EXPECT_STREQ(g.buf, "abcdefg");
  EXPECT_TRUE(g.IntactFrom(8));
  EXPECT_EQ(StrAppendA(g.buf, "more", 8), 7);
  char full[4] = {'a', 'b', 'c', 'd'};  // not terminated within size
  EXPECT_EQ(StrAppendA(full, "x", 4), -1);
  EXPECT_EQ(memcmp(full, "abcd", 4), 0);
}

TEST(StrCopy, TrimCopyInPlaceAndBounded) {
  char t[32] = " \t two words \r\n";
  EXPECT_EQ(StrTrimCopyA(t, t, sizeof t), 9);
  EXPECT_STREQ(t, "two words");
  Guarded g;
  EXPECT_EQ(StrTrimCopyA(g.buf, "  abcdef  ", 4), 3);
  EXPECT_STREQ(g.buf, "abc");
  EXPECT_TRUE(g.IntactFrom(4));
  EXPECT_EQ(StrTrimCopyA(g.buf, " \t\n", 8), 0);
  EXPECT_STREQ(g.buf, "");
}

TEST(StrCopy, ReplaceChar) {
  char t[] = "a\\b\\c";
  EXPECT_EQ(StrReplaceCharA(t, '\\', '/'), 2);
  EXPECT_STREQ(t, "a/b/c");
}

TEST(StrFind, CharSpans) {
  EXPECT_EQ(StrSpanToCharA("name.ext", '.'), 4);
  EXPECT_EQ(StrSpanToCharA("name", '.'), 4);
  EXPECT_EQ(StrSpanPastCharA("a.b.c", '.'), 2);
  EXPECT_EQ(StrSpanPastCharA("abc", '.'), 3);
  EXPECT_EQ(StrSpanPastCharNA("abc.d", '.', 3), 3);
  EXPECT_EQ(StrSpanPastCharNA("abc.d", '.', 4), 4);
  EXPECT_EQ(StrSpanPastCharNA("ab", '.', 10), 2);
}

TEST(StrFind, Substrings) {
  EXPECT_EQ(StrFindNA("<trkpt lat", "lat", -1), 7);
  EXPECT_EQ(StrFindNA("<trkpt lat", "lat", 9), -1);  // must lie wholly within n
  EXPECT_EQ(StrFindNA("<trkpt lat", "lat", 10), 7);
  EXPECT_EQ(StrFindNA("abc", "", 0), 0);
  EXPECT_EQ(StrFindNoCaseA("<GPX><TrkPt", "<trkpt"), 5);
  EXPECT_EQ(StrFindNoCaseA("abc", "abcd"), -1);
  EXPECT_EQ(StrFindNoCaseA("abc", ""), 0);
  // only ASCII letters fold: Ä and ä stay different
  EXPECT_EQ(StrFindNoCaseA("x\xC4y", "\xE4"), -1);
  EXPECT_EQ(StrFindNoCaseNA("aaaaB", "ab", 4), -1);
  EXPECT_EQ(StrFindNoCaseNA("aaaaB", "ab", 5), 3);
  const char raw[4] = {'a', 'b', 'c', 'd'};  // n bounds the read
  EXPECT_EQ(StrFindNoCaseNA(raw, "CD", 4), 2);
  EXPECT_EQ(StrFindNoCaseNA(raw, "DE", 4), -1);
}

}  // namespace
