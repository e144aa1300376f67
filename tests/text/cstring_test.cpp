// CString: Windows-1252 text, parts, search, changes, formatting and the
// buffer protocol.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/cstring.h"
#include "tests/support/testenv.h"

#ifndef ORV_CP1252_TABLE
#error "ORV_CP1252_TABLE: path of the case table made by make_cp1252_case.py"
#endif

TEST(CStringCase, MatchesPythonCp1252Codec) {
  std::vector<unsigned char> table;
  ASSERT_TRUE(orvtest::ReadFile(orvtest::BinaryDir() + "/" ORV_CP1252_TABLE, table));
  ASSERT_EQ(512u, table.size());
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    char c = static_cast<char>(b);
    CString up(c, 1), low(c, 1);
    up.MakeUpper();
    low.MakeLower();
    EXPECT_EQ(table[b], static_cast<unsigned char>(up[0]));
    EXPECT_EQ(table[256 + b], static_cast<unsigned char>(low[0]));
  }
}

TEST(CStringCase, GermanWords) {
  CString s("Straße über Öl, Ähre, Übung, Œuvre, Šárka, Ÿ");
  CString u(s), l(s);
  u.MakeUpper();
  l.MakeLower();
  EXPECT_STREQ("STRAßE ÜBER ÖL, ÄHRE, ÜBUNG, ŒUVRE, ŠÁRKA, Ÿ", u);
  EXPECT_STREQ("straße über öl, ähre, übung, œuvre, šárka, ÿ", l);
  EXPECT_EQ(0, CString("ÄÖÜ€").CompareNoCase("äöü€"));
  EXPECT_LT(CString("äb").CompareNoCase("ÄC"), 0);
  EXPECT_GT(CString("Ä").Compare("a"), 0);  // byte order: 0xC4 after 'a'
}

TEST(CStringParts, ClampedRanges) {
  CString s("Lösch");
  EXPECT_STREQ("Lö", s.Left(2));
  EXPECT_STREQ("", s.Left(-3));
  EXPECT_STREQ("Lösch", s.Left(99));
  EXPECT_STREQ("sch", s.Mid(2));
  EXPECT_STREQ("ö", s.Mid(1, 1));
  EXPECT_STREQ("", s.Mid(7));
  EXPECT_STREQ("Lö", s.Mid(-4, 2));
  EXPECT_STREQ("sch", s.Right(3));
  EXPECT_STREQ("Lösch", s.Right(50));
  EXPECT_EQ(0, s.GetAt(99));
  EXPECT_EQ('L', s[0]);
  EXPECT_EQ('h', s[4u]);
}

TEST(CStringSearch, FindForwardAndBack) {
  CString s("a\\b\\c.txt");
  EXPECT_EQ(1, s.Find('\\'));
  EXPECT_EQ(3, s.Find('\\', 2));
  EXPECT_EQ(-1, s.Find('\\', 4));
  EXPECT_EQ(3, s.ReverseFind('\\'));
  EXPECT_EQ(5, s.Find(".txt"));
  EXPECT_EQ(-1, s.Find(".txt", 6));
  EXPECT_EQ(-1, s.Find("x", 100));
  EXPECT_EQ(1, s.FindOneOf("\\."));
  EXPECT_EQ(-1, s.FindOneOf("#"));
  EXPECT_EQ(-1, CString().Find('a'));
}

TEST(CStringChange, ReplaceRemoveInsertDelete) {
  CString s("ab ab ab");
  EXPECT_EQ(3, s.Replace("ab", "xyz"));
  EXPECT_STREQ("xyz xyz xyz", s);
  EXPECT_EQ(0, s.Replace("", "q"));
  EXPECT_EQ(2, s.Replace(' ', '_'));
  EXPECT_EQ(2, s.Remove('_'));
  EXPECT_STREQ("xyzxyzxyz", s);
  s.Insert(3, "-");
  s.Insert(100, '!');
  s.Insert(-5, '<');
  EXPECT_STREQ("<xyz-xyzxyz!", s);
  s.Delete(1, 4);
  EXPECT_STREQ("<xyzxyz!", s);
  s.Delete(6, 100);
  EXPECT_STREQ("<xyzxy", s);
}

TEST(CStringChange, AliasingOwnText) {
  CString s("abc");
  s += s;
  EXPECT_STREQ("abcabc", s);
  s.Insert(1, s);
  EXPECT_STREQ("aabcabcbcabc", s);
  s = s.Mid(2, 3);
  EXPECT_STREQ("bca", s);
  s.Append(s.GetString() + 1, 2);
  EXPECT_STREQ("bcaca", s);
  s.Format("%s-%s", s.GetString(), s.GetString());
  EXPECT_STREQ("bcaca-bcaca", s);
}

TEST(CStringChange, TrimAndTokens) {
  CString s(" \t Wert \r\n");
  s.Trim();
  EXPECT_STREQ("Wert", s);
  CString t("xxWertxx");
  t.TrimLeft('x');
  EXPECT_STREQ("Wertxx", t);
  t.TrimRight("x");
  EXPECT_STREQ("Wert", t);
  CString list(";eins;;zwei;drei");
  int pos = 0;
  EXPECT_STREQ("eins", list.Tokenize(";", pos));
  EXPECT_STREQ("zwei", list.Tokenize(";", pos));
  EXPECT_STREQ("drei", list.Tokenize(";", pos));
  EXPECT_STREQ("", list.Tokenize(";", pos));
  EXPECT_EQ(-1, pos);
}

TEST(CStringFormat, CStringArgumentsAndLongResults) {
  CString name("Müller");
  CString s;
  s.Format("%s hat %d Punkte (%.1f km)", name, 3, 12.25);
  EXPECT_STREQ("Müller hat 3 Punkte (12.2 km)", s);
  std::string big(5000, 'x');
  s.Format("<%s>", big.c_str());
  EXPECT_EQ(5002, s.GetLength());
  EXPECT_EQ('>', s[5001]);
  s.AppendFormat("%03i", 7);
  EXPECT_STREQ("007", s.Right(3));
  CString g;
  g.Format("Game%03i\\Info.html", 12);
  EXPECT_STREQ("Game012\\Info.html", g);
}

TEST(CStringBuffer, GetAndReleaseBuffer) {
  CString s;
  char* p = s.GetBuffer(10);
  strcpy(p, "Wert");
  s.ReleaseBuffer();
  EXPECT_EQ(4, s.GetLength());
  p = s.GetBuffer(0);
  p[2] = 0;
  s.ReleaseBuffer();
  EXPECT_STREQ("We", s);
  p = s.GetBuffer(8);
  memcpy(p, "abc\0def", 7);
  s.ReleaseBuffer(7);  // an explicit length keeps embedded zeros
  EXPECT_EQ(7, s.GetLength());
  CString e;
  e.GetBuffer(0)[0] = 0;  // an empty string's buffer is writable
  e.ReleaseBuffer();
  EXPECT_TRUE(e.IsEmpty());
  e.GetBufferSetLength(3);
  EXPECT_EQ(3, e.GetLength());
}

TEST(CStringMisc, ComparisonsAndConcatenation) {
  CString a("Spieler"), b("Spieler");
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a == "Spieler");
  EXPECT_TRUE("Spieler" == a);
  EXPECT_TRUE(a != "spieler");
  EXPECT_TRUE(a < CString("Spielerin"));
  CString c = a + ' ' + "1" + CString("!");
  EXPECT_STREQ("Spieler 1!", c);
  EXPECT_STREQ("xSpieler", 'x' + a);
  CString w(L"Grüße €");
  EXPECT_STREQ("Grüße €", w);
  CString nul(static_cast<const char*>(nullptr));
  EXPECT_TRUE(nul.IsEmpty());
}
