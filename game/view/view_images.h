// The images of the game view: 33 tinted marker images, the players'
// cursors and pens (the star and the glyph strip are the results').
#pragma once

#include <windows.h>

#include <stdint.h>

#include "game/gamestate.h"
#include "game/view/view_logic.h"

class CMapWnd;

namespace view {

constexpr int kMarkerKinds = 33;  // 0-7 map markers, 8-15 done, 16-23 current, 24-31 boxes, 32 target
constexpr int kTargetKind = 32;
constexpr int kMapIconTarget = 8;  // marker icon of the map window for the target
constexpr int kMarkerSize = 32;
constexpr int kBoxSize = 42;
constexpr int kCursorHot = 15;
constexpr int kMarkerHotX = 12, kMarkerHotY = 31;
constexpr int kTargetHotX = 11, kTargetHotY = 31;
constexpr game::Colour kNoColour = 0xFFFFFFFFu;  // no player colour is ever this

// Which embedded image each kind tints (kind 32: the target, untinted).
const EmbeddedImage& MarkerSource(int kind);
const EmbeddedImage& CursorSource();

// Owned by the view and declared before its map window, so that the map
// (destroyed first) has let go of the icons before their bitmaps go.
class ViewImages {
 public:
  ViewImages();
  ~ViewImages();
  ViewImages(const ViewImages&) = delete;
  ViewImages& operator=(const ViewImages&) = delete;

  // Makes kind's image (and for kinds 0..7 the cursor and pen) in colour,
  // unless it already has that colour; kinds 0..7 and 32 are handed to map
  // (a new bitmap first, then the old one deleted). True when remade.
  bool MakeMarker(int kind, game::Colour colour, CMapWnd* map);
  void FreeAll();

  HBITMAP Marker(int kind) const { return kind >= 0 && kind < kMarkerKinds ? m_bitmaps[kind] : nullptr; }
  // Kinds the map does not draw (8..31) have a device context of their own.
  HDC MarkerDC(int kind) const { return kind >= 0 && kind < kMarkerKinds ? m_dcs[kind] : nullptr; }
  game::Colour MarkerColour(int kind) const { return kind >= 0 && kind < kMarkerKinds ? m_colours[kind] : kNoColour; }
  HCURSOR Cursor(int player) const { return player >= 0 && player < game::kMaxPlayers ? m_cursors[player] : nullptr; }
  HPEN Pen(int player) const { return player >= 0 && player < game::kMaxPlayers ? m_pens[player] : nullptr; }

 private:
  static bool GivenToMap(int kind) { return kind < game::kMaxPlayers || kind == kTargetKind; }
  HBITMAP m_bitmaps[kMarkerKinds];
  HDC m_dcs[kMarkerKinds];
  HGDIOBJ m_oldInDC[kMarkerKinds];
  game::Colour m_colours[kMarkerKinds];
  HCURSOR m_cursors[game::kMaxPlayers];
  HPEN m_pens[game::kMaxPlayers];
};

}  // namespace view
