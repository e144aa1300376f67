// The key box's records, fed in every split.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/play/remote_parse.h"

using game::RemoteParser;

namespace {

std::vector<int> Feed(RemoteParser& p, const std::string& s) {
  std::vector<int> out;
  p.Feed(s.data(), (int)s.size(), [&](int c) { out.push_back(c); });
  return out;
}

std::vector<int> FeedSplit(const std::string& s, const std::vector<size_t>& cuts, int32_t last = 0) {
  RemoteParser p;
  p.SetLastValue(last);
  std::vector<int> out;
  size_t at = 0;
  for (size_t c : cuts) {
    auto part = Feed(p, s.substr(at, c - at));
    out.insert(out.end(), part.begin(), part.end());
    at = c;
  }
  auto rest = Feed(p, s.substr(at));
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

struct Case {
  const char* text;
  int32_t last;
  std::vector<int> commands;
};

const Case kCases[] = {
    {"0D00000200\r\n0D00000200\r\n", 0, {32805}},       // a repeat posts once
    {"0D00000064\r", 0, {}},                              // +100 is a repeat
    {"0D00000065\r", 0, {32805}},                         // +101
    {"1D00000000\r", 0x30, {32806}},                      // fell back by 48
    {"2D00000026\r", 0x30, {}},                           // fell back by 10 only
    {"5D12345678\n5D12345678\n", 0, {33025, 33025}},      // keys 4..8 always
    {"8D00000000\r\n4d00000000\r", 0, {33028}},           // "d" is no kind
    {"0S00000500\r0U00000500\r3D00000500\r", 0, {}},      // S, U and key 3
    {"xy0D00000200\r", 0, {32805}},                       // junk before
    {"0D123456789\r0D00000200\r", 0, {32805}},            // nine digits dropped
    {"0D0000020\r0D00000200\n", 0, {32805}},              // seven digits dropped
    {"0D00000200X0D00000400\r", 0, {32805}},              // no end: dropped
    {"0DFFFFFFFF\r", 0x7FFFFFF0, {32805}},                // wraps: 0x80000010 apart
    {"0D80000000\r", 0x7FFFFFF0, {}},                     // 16 apart across the sign
    {"0D7FFFFFF5\r", 0x7FFFFFF0, {}},                     // +5
};

TEST(RemoteParser, EveryRecordInEverySplit) {
  for (const Case& c : kCases) {
    std::string s = c.text;
    EXPECT_EQ(FeedSplit(s, {}, c.last), c.commands) << s;
    for (size_t i = 1; i < s.size(); ++i) EXPECT_EQ(FeedSplit(s, {i}, c.last), c.commands) << s << " cut " << i;
    for (size_t i = 1; i < s.size(); ++i)
      for (size_t j = i + 1; j < s.size(); ++j)
        ASSERT_EQ(FeedSplit(s, {i, j}, c.last), c.commands) << s << " cuts " << i << "," << j;
    std::vector<size_t> bytes;
    for (size_t i = 1; i < s.size(); ++i) bytes.push_back(i);
    EXPECT_EQ(FeedSplit(s, bytes, c.last), c.commands) << s << " byte by byte";
  }
}

TEST(RemoteParser, ValueOfAcceptedRecordsOnly) {
  RemoteParser p;
  EXPECT_TRUE(Feed(p, "0D00000064\r").empty());
  EXPECT_EQ(p.LastValue(), 0);
  EXPECT_EQ(Feed(p, "0D00000065\r"), std::vector<int>{32805});
  EXPECT_EQ(p.LastValue(), 0x65);
  // keys 4..8 leave the value alone
  EXPECT_EQ(Feed(p, "6D00000000\r"), std::vector<int>{33026});
  EXPECT_EQ(p.LastValue(), 0x65);
}

TEST(RemoteParser, GarbageNeverOverflowsAndAGoodRecordStillActs) {
  RemoteParser p;
  std::string junk;
  unsigned seed = 12345;
  for (int i = 0; i < 10240; ++i) {
    seed = seed * 1103515245 + 12345;
    junk += (char)(seed >> 16);
  }
  Feed(p, junk);
  EXPECT_LE(p.Count(), game::kRemoteBuffer);
  // what the junk left behind is dropped with the end of a record at worst
  auto out = Feed(p, "\r\n7D00000000\r\n7D00000000\r\n");
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), 33027);
}

}  // namespace
