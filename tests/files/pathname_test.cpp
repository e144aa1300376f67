#include "files/pathname.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "tests/support/testenv.h"

namespace {

std::string S(char c) { return std::string(1, c); }
const std::string kSep = S(FIO_SEP);

TEST(PathParts, FindNameAndTitle) {
  int n = -1;
  const char* p = "C:\\maps\\tiles/Osm.Layer.png";
  EXPECT_STREQ(PathFindNameA(-1, p, &n), "Osm.Layer.png");
  EXPECT_EQ(n, 13);
  EXPECT_STREQ(PathFindNameA(-1, "D:name", &n), "name");
  EXPECT_STREQ(PathFindNameA(-1, "folder\\", &n), "");
  EXPECT_EQ(n, 0);
  // the length bounds the scan
  EXPECT_EQ(PathFindNameA(8, "C:\\a\\bcd\\efg", &n) - "C:\\a\\bcd\\efg", 5);
  EXPECT_EQ(n, 3);

  char t[8];
  EXPECT_EQ(PathGetTitleA(t, -1, p, sizeof t), 7);  // "Osm.Lay" cut to the size
  EXPECT_STREQ(t, "Osm.Lay");
  char t2[64];
  EXPECT_EQ(PathGetTitleA(t2, -1, p, sizeof t2), 9);
  EXPECT_STREQ(t2, "Osm.Layer");
  EXPECT_EQ(PathGetTitleA(t2, -1, "x\\.profile", sizeof t2), 8);
  EXPECT_STREQ(t2, ".profile");
  EXPECT_EQ(PathGetTitleA(t2, -1, "x.y\\noext", sizeof t2), 5);
  EXPECT_STREQ(t2, "noext");

  const WideChar wp[] = {'a', '\\', 'T', 'r', 'k', '.', 'g', 'p', 'x', 0};
  EXPECT_EQ(PathFindNameW(-1, wp, &n), wp + 2);
  EXPECT_EQ(n, 7);
  WideChar wt[4];
  EXPECT_EQ(PathGetTitleW(wt, -1, wp, 4), 3);
  EXPECT_EQ(wt[0], 'T');
  EXPECT_EQ(wt[3], 0);
  EXPECT_EQ(PathGetTitleW(wt, -1, wp, 0), 0);  // no room: nothing written
}

TEST(PathParts, Extensions) {
  CString ext;
  EXPECT_EQ(PathGetExt(ext, "a.b\\track.GPX"), 3);
  EXPECT_STREQ(ext, "GPX");
  EXPECT_EQ(PathGetExt(ext, "a.b\\track"), 0);
  EXPECT_STREQ(ext, "");

  const char* list = "zip;zoo;arc;lzh;arj;gz;cab;bz2;tgz;rar;rpm;gzip;7z;k";
  EXPECT_EQ(PathFindExtInListA("x\\a.ZIP", list, -1), 1);
  EXPECT_EQ(PathFindExtInListA("a.gzip", list, -1), 12);
  EXPECT_EQ(PathFindExtInListA("a.k", list, -1), 14);
  EXPECT_EQ(PathFindExtInListA("a.g", list, -1), 0);  // no prefix match
  EXPECT_EQ(PathFindExtInListA("a", list, -1), 0);
  EXPECT_EQ(PathFindExtInListA("a.zoo", list, 5), 0);  // list cut to "zip;z"
  EXPECT_EQ(PathFindExtInListA("a.tk", "gpx; trk ;tk", -1), 3);

  char d[32];
  EXPECT_EQ(PathReplaceExtA(-1, d, "dir.x\\map.jpg", "*.png", sizeof d), 13);
  EXPECT_STREQ(d, "dir.x\\map.png");
  EXPECT_EQ(PathReplaceExtA(-1, d, "dir.x\\map", ".png", sizeof d), 13);
  EXPECT_STREQ(d, "dir.x\\map.png");
  EXPECT_EQ(PathReplaceExtA(-1, d, "map.tar.gz", "bz2", sizeof d), 11);
  EXPECT_STREQ(d, "map.tar.bz2");
  EXPECT_EQ(PathReplaceExtA(-1, d, "map.png", "", sizeof d), 3);
  EXPECT_STREQ(d, "map");
  // in place, and too small a buffer
  char in[16] = "a\\b.txt";
  EXPECT_EQ(PathReplaceExtA(-1, in, in, "html", sizeof in), 8);
  EXPECT_STREQ(in, "a\\b.html");
  char small[8];
  memset(small, 'X', sizeof small);
  EXPECT_EQ(PathReplaceExtA(-1, small, "abc.txt", "jpeg", sizeof small), -1);
  EXPECT_EQ(small[0], 0);
}

TEST(PathParts, SeparatorsJoinStrip) {
  char p[8] = "ab";
  EXPECT_EQ(PathAddSeparatorA(p, sizeof p), 3);
  EXPECT_EQ(p[2], FIO_SEP);
  EXPECT_EQ(PathAddSeparatorA(p, sizeof p), 3);  // already there
  char q[4] = "abc";
  EXPECT_EQ(PathAddSeparatorA(q, sizeof q), -1);  // no room
  EXPECT_STREQ(q, "abc");
  char r[4] = "a/";
  EXPECT_EQ(PathAddSeparatorA(r, sizeof r), 2);

  CString s("C:\\dir");
  PathAddSeparator(s);
  EXPECT_EQ(std::string(s), "C:\\dir" + kSep);
  PathRemoveSeparator(s);
  EXPECT_STREQ(s, "C:\\dir");
  CString root("C:\\");
  PathRemoveSeparator(root);
  EXPECT_STREQ(root, "C:\\");

  EXPECT_EQ(std::string(PathJoin("C:\\a", "b.txt")), "C:\\a" + kSep + "b.txt");
  EXPECT_STREQ(PathJoin("C:\\a\\", "\\b.txt"), "C:\\a\\b.txt");
  EXPECT_STREQ(PathJoin("", "b.txt"), "b.txt");
  EXPECT_STREQ(PathJoin("C:\\a/", ""), "C:\\a/");

  CString t("C:\\a\\b\\c.txt");
  PathStripName(t);
  EXPECT_STREQ(t, "C:\\a\\b");
  PathStripName(t);
  EXPECT_STREQ(t, "C:\\a");
  PathStripName(t);
  EXPECT_STREQ(t, "C:\\");
  PathStripName(t);
  EXPECT_STREQ(t, "C:\\");
  CString u("name");
  PathStripName(u);
  EXPECT_STREQ(u, "");
  CString v("/usr/lib/");
  PathStripName(v);
  EXPECT_STREQ(v, "/usr");

  char w[] = "a/b\\c/d";
  EXPECT_EQ(PathSetSeparatorsA(w, 0), 7);
  EXPECT_STREQ(w, "a\\b\\c\\d");
  EXPECT_EQ(PathSetSeparatorsA(w, '/'), 7);
  EXPECT_STREQ(w, "a/b/c/d");
}

TEST(PathCompare, CaseAndSeparators) {
  EXPECT_EQ(PathCompareNoCaseA("C:\\Maps/Äpfel", "c:/maps\\äPFEL"), 0);
  EXPECT_NE(PathCompareNoCaseA("C:\\Maps", "C:\\Maps2"), 0);
  EXPECT_LT(PathCompareNoCaseA("a", "b"), 0);
  EXPECT_EQ(PathCompareNA("dir\\file.txtXYZ", 12, "DIR/FILE.TXT", -1), 0);
  EXPECT_NE(PathCompareNA("dir\\file.txt", -1, "dir\\file.tx", -1), 0);
  EXPECT_NE(PathCompareExA("A\\b", "a/b", 0), 0);
  EXPECT_EQ(PathCompareExA("A\\b", "a/b", PATHCMP_NOCASE), 0);
}

TEST(PathCompare, FullPaths) {
  char cwd[1024];
  ASSERT_GT(FioFullPath(cwd, sizeof cwd, "x"), 0);
  std::string full(cwd);  // the current folder + separator + "x"
  EXPECT_EQ(PathCompareExA("x", full.c_str(), PATHCMP_FULL_A), 0);
  EXPECT_EQ(PathCompareExA(full.c_str(), "x", PATHCMP_FULL_B), 0);
  EXPECT_NE(PathCompareExA("x", full.c_str(), 0), 0);
}

TEST(PathKind, FilesFoldersRoots) {
  std::string dir = orvtest::MakeTempDir("path");
  std::string file = dir + kSep + "f.txt";
  ASSERT_TRUE(orvtest::WriteFile(file, "1", 1));
  EXPECT_EQ(PathGetKindA(file.c_str()), 1);
  EXPECT_EQ(PathGetKindA(dir.c_str()), 2);
  EXPECT_EQ(PathGetKindA((dir + kSep).c_str()), 2);
  EXPECT_EQ(PathGetKindA((dir + kSep + "missing").c_str()), 0);
  EXPECT_EQ(PathGetKindA(""), 0);
#ifdef _WIN32
  EXPECT_EQ(PathGetKindA("C:"), 3);
  EXPECT_EQ(PathGetKindA("c:\\"), 3);
  EXPECT_EQ(PathGetKindA("Q:\\"), (GetLogicalDrives() >> 16) & 1 ? 3 : 0);
  EXPECT_EQ(PathGetKindA("1:"), 0);
#endif
  CString mod;
  PathGetModuleDir(mod);
  EXPECT_EQ(PathGetKindA(mod), 2) << (const char*)mod;
}

}  // namespace
