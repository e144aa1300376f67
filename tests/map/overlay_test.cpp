// Markers, tracks, highlights and their geometry, without a window.
#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <thread>
#include <vector>

#include "map/geo.h"
#include "map/mapoverlay.h"

namespace {

struct RecordingSink : MapRedrawSink {
  std::vector<MapRect> rects;
  void InvalidateBufferRect(const MapRect& r) override { rects.push_back(r); }
};

class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.Init(4096, 2048);
    view.ApplyZoom(9);
    view.originX = 0x22000000u, view.originY = 0x16000000u;
    view.clientW = 800, view.clientH = 600;
    view.scrollX = 1648, view.scrollY = 724;
    ov.Bind(&view, &sink);
  }
  // the world point of a buffer pixel
  void World(int px, int py, uint32_t* x, uint32_t* y) { view.ClientToWorld(px, py, x, y); }
  void Geo(int px, int py, double* lon, double* lat) { view.ClientToGeo(px, py, lon, lat); }

  MapView view;
  RecordingSink sink;
  MapOverlay ov;
};

TEST_F(OverlayTest, DefaultMarkerIsAnchoredAt12By31) {
  double lon, lat;
  Geo(2000, 1000, &lon, &lat);
  int i = ov.InsertMarker(-1, "", lon, lat, MAPMK_VISIBLE, 0xFFFFFF, true);
  ASSERT_EQ(0, i);
  ASSERT_EQ(1u, sink.rects.size());
  MapRect r = sink.rects[0];
  EXPECT_EQ(2000 - 12, r.left);
  EXPECT_EQ(1000 - 31, r.top);
  EXPECT_EQ(32, r.Width());
  EXPECT_EQ(32, r.Height());
}

TEST_F(OverlayTest, LabelWidensTheRectangle) {
  double lon, lat;
  Geo(2000, 1000, &lon, &lat);
  ov.InsertMarker(-1, "Wien", lon, lat, MAPMK_VISIBLE | MAPMK_LABEL, 0xFFFFFF, true);
  MapRect r = sink.rects.at(0);
  EXPECT_EQ(1000 - 31 - 4, r.top);
  EXPECT_EQ(32 + 4 * 16 + 20, r.Width());
}

TEST_F(OverlayTest, IconSlotsKeepSizesInBytes) {
  EXPECT_TRUE(ov.SetIconInfo(5, 20, 40, 10, 39));
  EXPECT_FALSE(ov.SetIconInfo(64, 20, 20, 0, 0));
  EXPECT_FALSE(ov.SetIconInfo(6, 256, 20, 0, 0));  // would wrap to 0 in a byte
  EXPECT_FALSE(ov.SetIconInfo(6, 20, 300, 0, 0));
  EXPECT_FALSE(ov.SetIconInfo(6, 20, 20, 256, 0));
  double lon, lat;
  Geo(2000, 1000, &lon, &lat);
  ov.InsertMarker(-1, "", lon, lat, MAPMK_VISIBLE | (5u << MAPMK_KIND_SHIFT), 0, true);
  MapRect r = sink.rects.at(0);
  EXPECT_EQ(1990, r.left);
  EXPECT_EQ(961, r.top);
  EXPECT_EQ(20, r.Width());
  EXPECT_EQ(40, r.Height());
  // kind 6 never got an icon: the default square
  EXPECT_FALSE(ov.GetIconInfo(6).set);
  EXPECT_EQ(32, ov.GetIconInfo(6).width);
}

TEST_F(OverlayTest, InsertIndexIsClamped) {
  EXPECT_EQ(0, ov.InsertMarker(-1, "a", 1, 1, 1, 0, false));
  EXPECT_EQ(1, ov.InsertMarker(-1, "b", 1, 1, 1, 0, false));
  EXPECT_EQ(2, ov.InsertMarker(100, "c", 1, 1, 1, 0, false));
  EXPECT_EQ(3, ov.InsertMarker(-7, "d", 1, 1, 1, 0, false));
  EXPECT_EQ(4, ov.GetMarkerCount());
  EXPECT_EQ(0, ov.InsertTrackPoint(0, 1, 1, 5, false));
  EXPECT_EQ(1, ov.InsertTrackPoint(0, 2, 2, 99, false));
  EXPECT_EQ(0, ov.InsertTrackPoint(0, 3, 3, 0, false));
  EXPECT_EQ(-1, ov.InsertTrackPoint(16, 3, 3, 0, false));
  EXPECT_EQ(-1, ov.InsertTrackPoint(-1, 3, 3, 0, false));
}

TEST_F(OverlayTest, GetMarkerCopiesTheLabel) {
  ov.InsertMarker(-1, "Salzburg", 13.05, 47.8, 1, 0, false);
  char buf[5];
  double lon = 0, lat = 0;
  EXPECT_EQ(8, ov.GetMarker(0, &lon, &lat, buf, sizeof buf));
  EXPECT_STREQ("Salz", buf);
  EXPECT_DOUBLE_EQ(13.05, lon);
  EXPECT_DOUBLE_EQ(47.8, lat);
  EXPECT_EQ(-1, ov.GetMarker(1, &lon, &lat, buf, sizeof buf));
  EXPECT_STREQ("", buf);
  // the copy stays valid while another thread rewrites the list
  char big[64];
  std::thread writer([&] {
    for (int i = 0; i < 2000; i++) ov.SetMarker(0, i % 2 ? "Linz an der Donau" : "Graz", -1000, -1000, -1, -1, false);
  });
  for (int i = 0; i < 2000; i++) {
    int n = ov.GetMarker(0, nullptr, nullptr, big, sizeof big);
    ASSERT_TRUE((n == 4 && !strcmp(big, "Graz")) || (n == 17 && !strcmp(big, "Linz an der Donau")) ||
                (n == 8 && !strcmp(big, "Salzburg")))
        << big;
  }
  writer.join();
}

TEST_F(OverlayTest, SetMarkerKeepsPositionAtMinus1000) {
  ov.InsertMarker(-1, "A", 16.37, 48.21, MAPMK_VISIBLE, 0x00FF00, false);
  ASSERT_EQ(1, ov.SetMarker(0, "B", -1000, 12, -1, 0x0000FF, true));
  MapMarker m;
  ASSERT_TRUE(ov.GetMarkerData(0, &m));
  EXPECT_DOUBLE_EQ(16.37, m.lon);
  EXPECT_DOUBLE_EQ(48.21, m.lat);
  EXPECT_EQ(0x0000FFu, m.colour);
  EXPECT_EQ((uint32_t)MAPMK_VISIBLE, m.flags);
  char buf[8];
  ov.GetMarker(0, nullptr, nullptr, buf, sizeof buf);
  EXPECT_STREQ("B", buf);
  EXPECT_EQ(0, ov.SetMarker(1, "C", 0, 0, -1, -1, true));
}

TEST_F(OverlayTest, SetMarkerWithinOnePixelDoesNotRedraw) {
  double lon, lat;
  Geo(2000, 1000, &lon, &lat);
  ov.InsertMarker(-1, "A", lon, lat, MAPMK_VISIBLE, 0, false);
  // a hair away: same pixel at zoom 9
  ASSERT_EQ(1, ov.SetMarker(0, "A", lon + 1e-7, lat, -1, -1, true));
  EXPECT_TRUE(sink.rects.empty());
  MapMarker m;
  ov.GetMarkerData(0, &m);
  EXPECT_DOUBLE_EQ(lon + 1e-7, m.lon);
  // a different pixel: the old and the new rectangle
  double lon2, lat2;
  Geo(2100, 1000, &lon2, &lat2);
  ov.SetMarker(0, "A", lon2, lat2, -1, -1, true);
  ASSERT_EQ(2u, sink.rects.size());
  EXPECT_EQ(1988, sink.rects[0].left);
  EXPECT_EQ(2088, sink.rects[1].left);
}

TEST_F(OverlayTest, MarkerRepeatsWithTheWorld) {
  view.ApplyZoom(0);  // a world of 256 pixels, origin 0
  view.scrollX = 100;
  view.clientW = 800;
  ov.InsertMarker(-1, "", 0, 0, MAPMK_VISIBLE, 0, true);
  // 800 pixels of client hold the 32-pixel marker 3 or 4 times
  ASSERT_GE(sink.rects.size(), 3u);
  for (size_t i = 1; i < sink.rects.size(); i++) EXPECT_EQ(256, sink.rects[i].left - sink.rects[i - 1].left);
  EXPECT_GT(sink.rects.front().right, 100);
  EXPECT_LT(sink.rects.back().left, 900);
}

TEST_F(OverlayTest, TrackPensAndFlags) {
  uint32_t c;
  int w;
  ASSERT_EQ(1, ov.GetTrackStyle(0, &c, &w));
  EXPECT_EQ(0xFF0000u, c);
  EXPECT_EQ(3, w);
  ov.GetTrackStyle(7, &c, &w);
  EXPECT_EQ(0x4040C0u, c);
  EXPECT_EQ(0, ov.GetTrackStyle(16, &c, &w));
  EXPECT_FALSE(ov.GetTrackInfo(2).penMade);
  ov.InsertTrackPoint(2, 100, 100, -1, false);
  EXPECT_TRUE(ov.GetTrackInfo(2).penMade);
  EXPECT_TRUE(ov.TakePenChange(2));
  EXPECT_FALSE(ov.TakePenChange(2));
  ov.SetTrackModified(2);
  ov.InsertTrackPoint(2, 200, 200, -1, false);
  EXPECT_TRUE(ov.IsTrackModified(2));
  ov.DeleteTrackPoint(2, 0, false);
  ov.DeleteTrackPoint(2, 0, false);
  EXPECT_FALSE(ov.GetTrackInfo(2).penMade);  // an emptied track loses its pen
  EXPECT_TRUE(ov.TakePenChange(2));
  ov.InsertTrackPoint(2, 100, 100, -1, false);
  EXPECT_TRUE(ov.GetTrackInfo(2).penMade);
  EXPECT_FALSE(ov.IsTrackModified(2));  // a first point starts unmodified
  EXPECT_EQ(0, ov.ClearTrack(3, false));  // empty
  EXPECT_EQ(1, ov.ClearTrack(2, false));
}

TEST_F(OverlayTest, SetTrackVisibleReturnsThePreviousFlag) {
  EXPECT_EQ(1, ov.SetTrackVisible(1, 1));
  EXPECT_EQ(1, ov.SetTrackVisible(1, 0));
  EXPECT_EQ(0, ov.SetTrackVisible(1, 0));
  EXPECT_EQ(0, ov.SetTrackVisible(1, 5));
  EXPECT_TRUE(ov.IsTrackVisible(1));
  EXPECT_EQ(0, ov.SetTrackVisible(16, 1));
}

TEST_F(OverlayTest, DeletingMovesTheSelection) {
  for (int i = 0; i < 5; i++) ov.InsertTrackPoint(4, 1000 * i, 1000, -1, false);
  ov.selTrack = 4, ov.selIndex = 3;
  ov.DeleteTrackPoint(4, 1, false);  // before it: one back
  EXPECT_EQ(2, ov.selIndex);
  ov.DeleteTrackPoint(4, 3, false);  // after it: unchanged
  EXPECT_EQ(2, ov.selIndex);
  ov.DeleteTrackPoint(4, 2, false);  // itself: gone
  EXPECT_EQ(-1, ov.selTrack);
  EXPECT_EQ(-1, ov.selIndex);
  ov.selTrack = 4, ov.selIndex = 0;
  ov.ClearTrack(4, false);
  EXPECT_EQ(-1, ov.selTrack);
}

TEST_F(OverlayTest, RedrawCoversThePointAndItsNeighbours) {
  uint32_t x[3], y[3];
  World(2000, 1000, &x[0], &y[0]);
  World(2100, 1050, &x[1], &y[1]);
  World(2200, 900, &x[2], &y[2]);
  for (int i = 0; i < 3; i++) ov.InsertTrackPoint(0, x[i], y[i], -1, false);
  sink.rects.clear();
  ov.DeleteTrackPoint(0, 1, true);
  ASSERT_EQ(1u, sink.rects.size());
  MapRect r = sink.rects[0];
  EXPECT_LE(r.left, 2000 - 5);
  EXPECT_GE(r.right, 2200 + 5);
  EXPECT_LE(r.top, 900 - 5);
  EXPECT_GE(r.bottom, 1050 + 5);
}

TEST_F(OverlayTest, TrackLengthAlongTheEquator) {
  view.ApplyZoom(9);
  uint32_t x0 = MapLonToWorldX(0), x1 = MapLonToWorldX(1), y = MapLatToWorldY(0);
  ov.InsertTrackPoint(5, x0, y, -1, false);
  ov.InsertTrackPoint(5, x1, y, -1, false);
  // one degree of the WGS 84 equator is 2 pi a / 360
  EXPECT_NEAR(111319.49, ov.GetTrackLength(5), 0.5);
  EXPECT_EQ(0, ov.GetTrackLength(6));
  EXPECT_EQ(0, ov.GetTrackLength(16));
}

TEST_F(OverlayTest, HighlightCornersAreOrdered) {
  ov.SetHighlightRect(500, 900, 100, 200, 0x12345678);
  MapOverlay::Highlight h = ov.GetHighlight(0);
  EXPECT_EQ(0x345678, h.colour);
  EXPECT_EQ(100u, h.x1);
  EXPECT_EQ(200u, h.y1);
  EXPECT_EQ(500u, h.x2);
  EXPECT_EQ(900u, h.y2);
  ov.ClearHighlightRect();
  EXPECT_EQ(-1, ov.GetHighlight(0).colour);
}

// The line's corners are ordered like the rectangle's; setting and clearing
// it redraws where it was and is, and leaves the rectangle alone.
TEST_F(OverlayTest, SecondRectIsOrderedRedrawnAndCleared) {
  uint32_t ax, ay, bx, by;
  World(1900, 1100, &ax, &ay);
  World(2100, 1000, &bx, &by);
  ov.SetHighlightRect(ax, ay, bx, by, 0x00FF00);
  sink.rects.clear();
  ov.SetSecondRect(ax, ay, bx, by, 0x120000FF);
  MapOverlay::Highlight h = ov.GetHighlight(1);
  EXPECT_EQ(0x0000FF, h.colour);
  EXPECT_EQ(ax, h.x1);
  EXPECT_EQ(by, h.y1);
  EXPECT_EQ(bx, h.x2);
  EXPECT_EQ(ay, h.y2);
  ASSERT_EQ(1u, sink.rects.size());
  MapRect r = sink.rects[0];
  EXPECT_TRUE(r.left <= 1900 && r.top <= 1000 && r.right > 2100 && r.bottom > 1100);
  EXPECT_LT(r.Width(), 210);
  sink.rects.clear();
  ov.ClearSecondRect();
  EXPECT_EQ(-1, ov.GetHighlight(1).colour);
  ASSERT_EQ(1u, sink.rects.size());
  EXPECT_EQ(r.left, sink.rects[0].left);
  EXPECT_EQ(r.bottom, sink.rects[0].bottom);
  EXPECT_EQ(0x00FF00, ov.GetHighlight(0).colour);
  // cleared again: nothing to redraw
  ov.ClearSecondRect();
  EXPECT_EQ(1u, sink.rects.size());
}

TEST_F(OverlayTest, GetMarkerWorldAndDeleteMarker) {
  double lon, lat;
  Geo(2000, 1000, &lon, &lat);
  // the start centre: its position is the world point (0x22000000, 0x16000000)
  ov.InsertMarker(-1, "Mitte", 11.25, 48.92249926375824, MAPMK_VISIBLE, 0, false);
  ov.InsertMarker(-1, "Hier", lon, lat, MAPMK_VISIBLE, 0, false);
  ov.InsertMarker(-1, "Null", 0, 0, MAPMK_VISIBLE, 0, false);
  uint32_t x = 1, y = 1;
  char text[16];
  EXPECT_EQ(5, ov.GetMarkerWorld(0, &x, &y, text, sizeof text));
  EXPECT_STREQ("Mitte", text);
  EXPECT_EQ(0x22000000u, x);
  EXPECT_EQ(0x16000000u, y);
  EXPECT_EQ(4, ov.GetMarkerWorld(2, &x, &y, text, sizeof text));
  EXPECT_EQ(0x20000000u, x);
  EXPECT_EQ(0x20000000u, y);
  EXPECT_EQ(-1, ov.GetMarkerWorld(3, &x, &y, text, sizeof text));
  EXPECT_STREQ("", text);
  // with redraw the marker's square is redrawn; the ones behind move up
  sink.rects.clear();
  EXPECT_EQ(1, ov.DeleteMarker(1, true));
  ASSERT_EQ(1u, sink.rects.size());
  EXPECT_EQ(2000 - 12, sink.rects[0].left);
  EXPECT_EQ(1000 - 31, sink.rects[0].top);
  EXPECT_EQ(2, ov.GetMarkerCount());
  EXPECT_EQ(4, ov.GetMarkerWorld(1, &x, &y, text, sizeof text));
  EXPECT_STREQ("Null", text);
  EXPECT_EQ(0, ov.DeleteMarker(2, true));
  EXPECT_EQ(1, ov.DeleteMarker(0, false));
  EXPECT_EQ(1u, sink.rects.size());
  EXPECT_EQ(1, ov.GetMarkerCount());
}

TEST_F(OverlayTest, WorldRectToBufferOrdersClipsAndRefusesEmpty) {
  uint32_t ax, ay, bx, by;
  World(3000, 1500, &ax, &ay);
  World(2000, 1000, &bx, &by);
  MapRect r;
  ASSERT_TRUE(ov.WorldRectToBuffer(ax, ay, bx, by, &r));
  EXPECT_EQ(2000, r.left);
  EXPECT_EQ(1000, r.top);
  EXPECT_EQ(3000, r.right);
  EXPECT_EQ(1500, r.bottom);
  World(-500, 1500, &ax, &ay);  // beyond the buffer's left edge
  ASSERT_TRUE(ov.WorldRectToBuffer(ax, ay, bx, by, &r));
  EXPECT_EQ(0, r.left);
  EXPECT_FALSE(ov.WorldRectToBuffer(bx, by, bx, by, &r));
  EXPECT_FALSE(ov.WorldRectToBuffer(bx, by, bx + 100, by, &r));
}

TEST_F(OverlayTest, VisibleWorldRectIsTheClientCorners) {
  uint32_t x1, y1, x2, y2, ex, ey;
  ov.GetVisibleWorldRect(&x1, &y1, &x2, &y2);
  World(1648, 724, &ex, &ey);
  EXPECT_EQ(ex, x1);
  EXPECT_EQ(ey, y1);
  World(1648 + 800, 724 + 600, &ex, &ey);
  EXPECT_EQ(ex, x2);
  EXPECT_EQ(ey, y2);
}

TEST_F(OverlayTest, MetresToPixels) {
  // at the equator and zoom 9 one pixel is 2 pi a / 2^17 metres
  view.ApplyZoom(9);
  double px = 2 * 3.141592653589793 * 6378137.0 / (1 << 17);
  int n = ov.MetresToPixels(0.0, 0.0, px * 100.5, 0);
  EXPECT_NEAR(100, n, 1);
  EXPECT_EQ(n, ov.MetresToPixels(0.0, 0.0, -px * 100.5, 0));
  int d = ov.MetresToPixels(0.0, 0.0, px * 100.5, 3);
  // the diagonal pixel is sqrt(2) long and the metres count 0.7071 of themselves
  EXPECT_NEAR(50, d, 1);
  EXPECT_NEAR(100, ov.MetresToPixels(0.0, 0.0, px * 100.5, 2), 1);
  // above the world's top both pixels clamp to its edge: no length, no division
  EXPECT_EQ(0, ov.MetresToPixels(0.0, 89.9, 1000, 2));
  EXPECT_EQ(INT_MAX, ov.MetresToPixels(0.0, 0.0, 1e15, 0));
  EXPECT_EQ(0, ov.MetresToPixels(0.0, 0.0, 0.0 / 0.0, 0));
}

TEST_F(OverlayTest, GeoPixelDistance) {
  double lon1, lat1, lon2, lat2;
  Geo(2000, 1000, &lon1, &lat1);
  Geo(2030, 1040, &lon2, &lat2);
  EXPECT_EQ(50, ov.GeoPixelDistance(lon1, lat1, lon2, lat2));
}

}  // namespace
