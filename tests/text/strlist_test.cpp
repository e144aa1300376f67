#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "text/strlist.h"

namespace {

std::string Text(const CStrList& l, int i) {
  const char* p = l.GetTextPtr(i);
  return p ? std::string(p, (size_t)l.GetLength(i)) : "<bad>";
}

TEST(StrList, InsertWithDataAndReplaceText) {
  CStrList l;
  EXPECT_EQ(l.SetDataSize(32), 32);
  unsigned char marker[32];
  for (int i = 0; i < 32; ++i) marker[i] = (unsigned char)(i + 1);
  EXPECT_EQ(l.Insert("Berlin", -1, marker), 0);
  EXPECT_EQ(l.Insert("Paris"), 1);
  EXPECT_EQ(l.InsertLen(3, "Romexxx", 1, nullptr), 1);
  EXPECT_EQ(l.Insert("end", 99), 3);  // clamped to the count
  EXPECT_EQ(l.SetDataSize(4), -1);    // not while items exist
  EXPECT_EQ(Text(l, 1), "Rom");
  EXPECT_EQ(l.SetAtLen(0, -1, "Berlin-Mitte"), 1);
  unsigned char back[40];
  memset(back, 0xEE, sizeof back);
  ASSERT_NE(l.GetData(0, back, sizeof back), nullptr);
  EXPECT_EQ(memcmp(back, marker, 32), 0);  // data kept
  EXPECT_EQ(back[32], 0xEE);               // no more than the data size copied
  EXPECT_EQ(l.GetLength(0), 12);
  unsigned char* zeros = (unsigned char*)l.GetData(2);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(zeros[i], 0);
  EXPECT_EQ(l.GetData(4), nullptr);
  EXPECT_EQ(l.GetData(-1), nullptr);
}

TEST(StrList, GetTextNeedsRoom) {
  CStrList l;
  l.Insert("abcdef");
  char b[8];
  EXPECT_EQ(l.GetText(0, b, 7), 6);
  EXPECT_STREQ(b, "abcdef");
  EXPECT_EQ(l.GetText(0, b, 6), -1);
  EXPECT_STREQ(b, "");
  EXPECT_EQ(l.GetText(1, b, 8), -1);
}

TEST(StrList, TextsMayHoldZeroBytes) {
  CStrList l(4);
  l.InsertLen(3, "a\0b", -1, nullptr);
  EXPECT_EQ(l.GetLength(0), 3);
  EXPECT_EQ(l.Find(3, "a\0b"), 0);
  EXPECT_EQ(l.Find(1, "a"), -1);
}

TEST(StrList, RemoveAtRangeAndAll) {
  CStrList l;
  for (const char* t : {"a", "b", "c", "d", "e"}) l.Insert(t);
  EXPECT_EQ(l.RemoveAt(5), 0);
  EXPECT_EQ(l.RemoveAt(1), 1);
  EXPECT_EQ(l.RemoveRange(1, 3), 2);
  EXPECT_EQ(l.GetCount(), 2);
  EXPECT_EQ(Text(l, 1), "e");
  EXPECT_EQ(l.RemoveRange(3, 1), 0);
  EXPECT_EQ(l.RemoveAll(), 1);
  EXPECT_EQ(l.GetCount(), 0);
  EXPECT_EQ(l.SetDataSize(16), 16);
}

TEST(StrList, FindAndValues) {
  CStrList l(4);
  l.Insert("OpenStreetMap");
  l.Insert("Topo");
  l.Insert("openstreetmap");
  EXPECT_EQ(l.Find(-1, "openstreetmap", 0, -1, 0), 2);
  EXPECT_EQ(l.Find(-1, "OPENSTREETMAP", 0, -1, 1), 0);
  EXPECT_EQ(l.Find(-1, "OPENSTREETMAP", 1, -1, 1), 2);
  EXPECT_EQ(l.Find(-1, "openstreetmap", 0, 2, 0), -1);
  EXPECT_EQ(l.SetValue(1, 1), 0u);
  EXPECT_EQ(l.SetValue(1, 7), 1u);
  EXPECT_EQ(l.FindValue(7), 1);
  EXPECT_EQ(l.FindValue(0, 1), 2);
  EXPECT_EQ(l.FindValue(9), -1);
  EXPECT_EQ(l.SetValue(3, 1), 0u);
  CStrList small(2);
  small.Insert("x");
  EXPECT_EQ(small.SetValue(0, 5), 0u);  // the data block is too small
  EXPECT_EQ(small.FindValue(0), -1);
  CStrList ptrs((int)sizeof(uintptr_t));
  ptrs.Insert("p");
  int anchor = 0;
  EXPECT_EQ(ptrs.SetValuePtr(0, (uintptr_t)&anchor), 0u);
  EXPECT_EQ(ptrs.SetValuePtr(0, 1), (uintptr_t)&anchor);
}

TEST(StrList, FindSortedVariants) {
  CStrList s;
  for (const char* t : {"apple", "b", "b", "b", "cherry"}) s.Insert(t);
  EXPECT_EQ(s.FindSorted(-1, "b", 0, -1, 2), 1);
  EXPECT_EQ(s.FindSorted(-1, "b", 0, -1, 4), 3);
  EXPECT_EQ(s.FindSorted(-1, "banana", 0, -1, 0), -1);
  EXPECT_EQ(s.FindSorted(-1, "banana", 0, -1, 8), 4);
  EXPECT_EQ(s.FindSorted(-1, "zzz", 0, -1, 8), 5);
  EXPECT_EQ(s.FindSorted(-1, "B", 0, -1, 1 | 2), 1);
  CStrList r;  // descending
  for (const char* t : {"z", "m", "m", "a"}) r.Insert(t);
  EXPECT_EQ(r.FindSorted(-1, "m", 0, -1, 0x10 | 4), 2);
  EXPECT_EQ(r.FindSorted(-1, "q", 0, -1, 0x10 | 8), 1);
  EXPECT_EQ(r.FindSorted(-1, "m", 2, 4, 0x10 | 2), 2);
}

TEST(StrList, RecentItems) {
  CStrList l;
  for (const char* t : {"C:\\A", "c:\\b", "C:\\a", "D:\\x", "C:\\B"}) l.Insert(t);
  EXPECT_EQ(l.SetRecentLimit(2, 1), 2);
  EXPECT_EQ(Text(l, 0), "C:\\A");
  EXPECT_EQ(Text(l, 1), "c:\\b");
  EXPECT_EQ(l.BringToFront("C:\\B"), 0);
  EXPECT_EQ(Text(l, 0), "c:\\b");
  EXPECT_EQ(l.BringToFront("E:\\"), 1);
  // a new entry goes first, its duplicate and the oldest go
  EXPECT_EQ(l.Insert("e:\\new", 0), 0);
  EXPECT_EQ(l.GetCount(), 2);
  EXPECT_EQ(Text(l, 1), "c:\\b");
  EXPECT_EQ(l.Insert("C:\\B", 0), 0);
  EXPECT_EQ(l.GetCount(), 2);
  EXPECT_EQ(Text(l, 1), "e:\\new");
  EXPECT_EQ(l.Insert("late", -1), -1);  // behind the limit
  EXPECT_EQ(l.Insert("E:\\NEW", -1), 1);  // an appended duplicate goes
  EXPECT_EQ(Text(l, 1), "e:\\new");
  EXPECT_EQ(l.GetCount(), 2);
}

TEST(StrList, MultiStrings) {
  CStrList l;
  const char multi[] = "one\0two\0\0";
  EXPECT_EQ(l.InsertSplit(multi, 0, -1), 0);
  EXPECT_EQ(l.GetCount(), 2);
  EXPECT_EQ(l.InsertSplit("x;;y", ';', 1), 1);
  EXPECT_EQ(l.GetCount(), 5);
  EXPECT_EQ(Text(l, 2), "");
  EXPECT_EQ(Text(l, 4), "two");
  int size = 0;
  char* block = l.JoinMultiString(0, -1, &size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(size, 14);
  EXPECT_EQ(memcmp(block, "one\0x\0\0y\0two\0\0", 14), 0);
  free(block);
  block = l.JoinMultiString(2, 2, &size);
  EXPECT_EQ(size, 2);
  EXPECT_EQ(memcmp(block, "\0\0", 2), 0);
  free(block);
  CStrList back;
  block = l.JoinMultiString(0, 2, &size);
  back.InsertSplit(block, 0, -1);
  free(block);
  EXPECT_EQ(back.GetCount(), 2);
  EXPECT_EQ(Text(back, 1), "x");
}

}  // namespace
