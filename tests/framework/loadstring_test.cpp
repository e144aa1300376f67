// CString against the program's string table and the system's own case
// mapping of Windows-1252.
#include <gtest/gtest.h>

#include "text/cstring.h"

TEST(CStringResource, LongStringWithUmlauts) {
  CString s;
  ASSERT_TRUE(s.LoadString(501));
  EXPECT_GT(s.GetLength(), 255);  // not cut at a fixed buffer
  EXPECT_EQ(0, s.Find("Lange Zeile mit Umlauten äöüß und dem Euro € – "));
  EXPECT_STREQ("Ende", s.Right(4));
  CString missing("alt");
  EXPECT_FALSE(missing.LoadString(502));
  EXPECT_TRUE(missing.IsEmpty());
  CString f;
  f.Format(517u, 3, CString("Müller"));
  EXPECT_STREQ("Zeile 3 von Müller", f);
}

TEST(CStringResource, CaseMappingAgreesWithTheSystem) {
  ASSERT_EQ(1252u, GetACP());
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    char sys[2] = {static_cast<char>(b), 0};
    CharUpperBuffA(sys, 1);
    CString up(static_cast<char>(b), 1);
    up.MakeUpper();
    EXPECT_EQ(static_cast<unsigned char>(sys[0]), static_cast<unsigned char>(up[0]));
  }
}
