// Archives among the program's own resources (Windows build).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/zipfile.h"

namespace {

std::string Extract(CZipFile& z, int32_t index) {
  std::vector<char> buf(256);
  if (z.ExtractToMemory(index, buf.data(), (uint32_t)buf.size(), nullptr)) return "<error>";
  return std::string(buf.data(), (size_t)z.GetEntrySize(index, 0));
}

}  // namespace

TEST(ZipResource, OpenedByNameAndReadOnly) {
  CZipFile z;
  ASSERT_EQ(0, z.Open("RES://HTML/page", ZIP_OPEN_READ));
  EXPECT_STREQ("res:\\\\23-page", z.GetArchiveName());
  ASSERT_EQ(1, z.GetEntryCount());
  EXPECT_EQ("resource entry\n", Extract(z, 0));
  // a resource never becomes writable
  EXPECT_EQ(24, z.SetMode(2));
  EXPECT_EQ(1, z.GetMode());
  EXPECT_EQ(0, z.Close());
}

TEST(ZipResource, NumericNameOfTheDefaultType) {
  CZipFile z;
  ASSERT_EQ(0, z.OpenResource("42", nullptr, 0));
  EXPECT_STREQ("res:\\\\DATA-42", z.GetArchiveName());
  EXPECT_EQ("resource entry\n", Extract(z, 0));
  // the write modes are refused from the name as well
  CZipFile w;
  EXPECT_EQ(0, w.Open("res://DATA/42", ZIP_OPEN_UPDATE));
  EXPECT_EQ(1, w.GetMode());
  EXPECT_EQ(ZIPERR_NOT_FOUND, w.Open("res://DATA/43", ZIP_OPEN_READ));
}
