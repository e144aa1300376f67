#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "text/strfield.h"

namespace {

TEST(StrReadField, PlainAndQuotedFields) {
  const char* line = "11.5;\"Name; with \"\"quotes\"\"\";x\r\nnext";
  char f[64];
  int stored = -1;
  int n = StrReadFieldA(line, &stored, f, sizeof f, -1, ';');
  EXPECT_EQ(n, 5);
  EXPECT_STREQ(f, "11.5");
  EXPECT_EQ(stored, 4);
  int m = StrReadFieldA(line + n, &stored, f, sizeof f, -1, ';');
  EXPECT_STREQ(f, "Name; with \"quotes\"");
  EXPECT_EQ(m, 24);
  int k = StrReadFieldA(line + n + m, nullptr, f, sizeof f, -1, ';');
  EXPECT_STREQ(f, "x");
  EXPECT_EQ(k, 1);  // the line break is left for the caller
  EXPECT_EQ(StrReadFieldA(line + n + m + k, nullptr, f, sizeof f, -1, ';'), 0);
  EXPECT_STREQ(f, "");
}

TEST(StrReadField, BoundedStoreAndLength) {
  char f[8];
  memset(f, '#', sizeof f);
  int stored;
  int n = StrReadFieldA("abcdefghijkl;z", &stored, f, 5, -1, ';');
  EXPECT_EQ(n, 13);  // the whole field is consumed
  EXPECT_STREQ(f, "abcd");
  EXPECT_EQ(stored, 4);
  EXPECT_EQ(f[5], '#');
  // an unterminated quote runs to the given length and no further
  const char raw[6] = {'"', 'a', 'b', ';', 'c', 'X'};
  n = StrReadFieldA(raw, &stored, f, sizeof f, 5, ';');
  EXPECT_EQ(n, 5);
  EXPECT_STREQ(f, "ab;c");
}

TEST(StrQuoteField, QuotesOnlyWhenNeeded) {
  char out[64];
  EXPECT_EQ(StrQuoteFieldA("Track 1", out, sizeof out, 0, ';'), 8);
  EXPECT_STREQ(out, "Track 1;");
  StrQuoteFieldA("a;b", out, sizeof out, 0, ';');
  EXPECT_STREQ(out, "\"a;b\";");
  StrQuoteFieldA("say \"hi\"", out, sizeof out, 0, ';');
  EXPECT_STREQ(out, "\"say \"\"hi\"\"\";");
  StrQuoteFieldA(" lead", out, sizeof out, 0, ';');
  EXPECT_STREQ(out, "\" lead\";");
  StrQuoteFieldA("tab\there", out, sizeof out, 0, ';');
  EXPECT_STREQ(out, "\"tab\there\";");
  StrQuoteFieldA("", out, sizeof out, 0, ';');
  EXPECT_STREQ(out, ";");
}

TEST(StrQuoteField, RoundTripsThroughReadField) {
  const char* texts[] = {"plain", "a;b", "\"", "x\"\"y", " both ", "line\r\nbreak", ";;"};
  for (const char* t : texts) {
    char q[64], back[64];
    int n = StrQuoteFieldA(t, q, sizeof q, 0, ';');
    ASSERT_GT(n, 0);
    EXPECT_EQ(StrReadFieldA(q, nullptr, back, sizeof back, -1, ';'), n) << q;
    EXPECT_STREQ(back, t);
  }
}

TEST(StrQuoteField, CutsTheTextNotTheQuoting) {
  char out[16];
  memset(out, '#', sizeof out);
  std::string name(40, 'n');
  name[3] = ';';
  int n = StrQuoteFieldA(name.c_str(), out, 10, 0, ';');
  EXPECT_EQ(n, 9);
  EXPECT_STREQ(out, "\"nnn;nn\";");
  EXPECT_EQ(out[10], '#');
  // a quote is never split from its double
  n = StrQuoteFieldA("ab\"cd", out, 8, 0, ';');
  EXPECT_STREQ(out, "\"ab\"\"\";");
  EXPECT_EQ(StrQuoteFieldA("x", out, 1, 0, ';'), -1);
  EXPECT_STREQ(out, "");
}

TEST(StrNextToken, PlainAndQuotedTokens) {
  const char* s = "  COM3, \"a \\\"b\\\" c\" rest";
  char t[32];
  int n = StrNextTokenA(t, s, sizeof t, '\\', '"', -1);
  EXPECT_STREQ(t, "COM3");
  EXPECT_EQ(n, 6);
  n += 1;  // the comma
  int m = StrNextTokenA(t, s + n, sizeof t, '\\', '"', -1);
  EXPECT_STREQ(t, "a \"b\" c");
  EXPECT_EQ(s[n + m], ' ');
  char small[4];
  StrNextTokenA(small, "abcdefg", sizeof small, 0, 0, -1);
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(StrNextTokenA(small, "abcdefg", sizeof small, 0, 0, 2), 2);
  EXPECT_STREQ(small, "ab");
}

}  // namespace
