// Reading the target from a game page's first bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/play/gamepage.h"

using game::PageStatus;
using game::PageTarget;
using game::ReadGamePage;

namespace {

PageStatus Read(const std::string& page, PageTarget* t) { return ReadGamePage(page.data(), (int)page.size(), t); }

TEST(GamePage, ReadsTagsInAnyCase) {
  PageTarget t;
  ASSERT_EQ(Read("<html><!--refx 13.377704 --><!--RefY\t52.516275--><!--nAmE \"Brandenburger Tor\" -->", &t),
            PageStatus::Ok);
  EXPECT_DOUBLE_EQ(t.lon, 13.377704);
  EXPECT_DOUBLE_EQ(t.lat, 52.516275);
  EXPECT_STREQ(t.name, "Brandenburger Tor");
}

TEST(GamePage, SignsExponentsAndStopCharacters) {
  PageTarget t;
  ASSERT_EQ(Read("<!--REFX -7.5e1--><!--REFY +1.25E+1x-->", &t), PageStatus::Ok);
  EXPECT_DOUBLE_EQ(t.lon, -75);
  EXPECT_DOUBLE_EQ(t.lat, 12.5);
  EXPECT_STREQ(t.name, "");
}

TEST(GamePage, TagsOnlyCountWithinTheFirst254Bytes) {
  PageTarget t;
  std::string page = std::string(240, ' ') + "<!--REFX 10 --><!--REFY 20 -->";  // REFY at byte 255
  EXPECT_EQ(Read(page, &t), PageStatus::NoCoordinates);
  std::string after = std::string(255, ' ') + "<!--REFX 10 --><!--REFY 20 -->";
  EXPECT_EQ(Read(after, &t), PageStatus::NoCoordinates);
  // a tag cut by the limit is no tag
  std::string cut = std::string(240, ' ') + "<!--REFY 2 <!--REFX 10";
  EXPECT_EQ(Read(cut, &t), PageStatus::NoCoordinates);
  std::string fits = std::string(200, ' ') + "<!--REFX 10 <!--REFY 20";
  ASSERT_LE(fits.size(), 254u);
  EXPECT_EQ(Read(fits, &t), PageStatus::Ok);
}

TEST(GamePage, ZeroInfiniteAndOutOfRangeCoordinatesAreInvalid) {
  PageTarget t;
  EXPECT_EQ(Read("<!--REFX 0.0 --><!--REFY 52 -->", &t), PageStatus::BadCoordinates);
  EXPECT_EQ(Read("<!--REFX 13 --><!--REFY -0 -->", &t), PageStatus::BadCoordinates);
  EXPECT_EQ(Read("<!--REFX 1e999 --><!--REFY 52 -->", &t), PageStatus::BadCoordinates);
  EXPECT_EQ(Read("<!--REFX 13 --><!--REFY abc -->", &t), PageStatus::BadCoordinates);
  EXPECT_EQ(Read("<!--REFX 180.5 --><!--REFY 52 -->", &t), PageStatus::BadCoordinates);
  EXPECT_EQ(Read("<!--REFX 13 --><!--REFY -90.01 -->", &t), PageStatus::BadCoordinates);
  EXPECT_EQ(Read("<!--REFX -180 --><!--REFY 90 -->", &t), PageStatus::Ok);
}

TEST(GamePage, MissingTagsAndUnreadablePages) {
  PageTarget t;
  EXPECT_EQ(Read("<!--REFX 13 -->", &t), PageStatus::NoCoordinates);
  EXPECT_EQ(Read("<!--REFY 13 -->", &t), PageStatus::NoCoordinates);
  EXPECT_EQ(ReadGamePage(nullptr, 0, &t), PageStatus::NoCoordinates);
  EXPECT_EQ(ReadGamePage("<!--REFX 1 <!--REFY 2", -1, &t), PageStatus::NoCoordinates);
  // a zero byte ends the text
  std::string nul("<!--REFX 1 ", 11);
  nul += '\0';
  nul += "<!--REFY 2";
  EXPECT_EQ(Read(nul, &t), PageStatus::NoCoordinates);
}

TEST(GamePage, NamesQuotedWithEscapesOrPlainWords) {
  PageTarget t;
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME \"Caf\\\"e \\\\ Bar\" -->", &t), PageStatus::Ok);
  EXPECT_STREQ(t.name, "Caf\"e \\ Bar");
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME   Berlin Mitte -->", &t), PageStatus::Ok);
  EXPECT_STREQ(t.name, "Berlin");
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME Köln-->", &t), PageStatus::Ok);
  EXPECT_STREQ(t.name, "Köln-->");
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME Rom;Paris-->", &t), PageStatus::Ok);
  EXPECT_STREQ(t.name, "Rom");
  // an unterminated quote runs to the end of the looked-at bytes
  std::string page = "<!--REFX 1 --><!--REFY 2 --><!--NAME \"" + std::string(300, 'x');
  ASSERT_EQ(Read(page, &t), PageStatus::Ok);
  EXPECT_EQ(std::string(t.name), std::string(254 - 38, 'x'));
}

TEST(GamePage, OnlyUpperCaseFinEndsTheGame) {
  PageTarget t;
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME FIN -->", &t), PageStatus::Ok);
  EXPECT_TRUE(game::IsFinalPage(t));
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME fin -->", &t), PageStatus::Ok);
  EXPECT_FALSE(game::IsFinalPage(t));
  ASSERT_EQ(Read("<!--REFX 1 --><!--REFY 2 --><!--NAME FINAL -->", &t), PageStatus::Ok);
  EXPECT_FALSE(game::IsFinalPage(t));
}

}  // namespace
