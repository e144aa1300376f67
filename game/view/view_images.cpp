#include "game/view/view_images.h"

#include "game/view/view_art.h"
#include "map/mapwnd.h"
#include "toolkit/dibfx.h"

namespace view {

namespace {

HBITMAP TintedDib(const EmbeddedImage& src, game::Colour colour, bool tint) {
  uint32_t* bits = nullptr;
  HBITMAP b = DibNewSection32(src.width, src.height, &bits);
  if (!b) return nullptr;
  int n = src.width * src.height;
  for (int i = 0; i < n; i++) bits[i] = tint ? TintPixel(src.pixels[i], colour) : src.pixels[i];
  GdiFlush();
  return b;
}

HCURSOR MakeCursor(game::Colour colour) {
  const EmbeddedImage& src = CursorSource();
  HBITMAP colourBits = TintedDib(src, colour, true);
  if (!colourBits) return nullptr;
  // with a 32-bit colour image the mask only has to exist
  HBITMAP mask = CreateBitmap(src.width, src.height, 1, 1, nullptr);
  HCURSOR c = nullptr;
  if (mask) {
    ICONINFO ii;
    ii.fIcon = FALSE;
    ii.xHotspot = kCursorHot;
    ii.yHotspot = kCursorHot;
    ii.hbmMask = mask;
    ii.hbmColor = colourBits;
    c = CreateIconIndirect(&ii);
    DeleteObject(mask);
  }
  DeleteObject(colourBits);
  return c;
}

}  // namespace

const EmbeddedImage& MarkerSource(int kind) {
  if (kind == kTargetKind) return kArtTarget;
  switch (kind / game::kMaxPlayers) {
    case 0: return kArtPin;
    case 1: return kArtDone;
    case 2: return kArtCurrent;
    default: return kArtBox;
  }
}

const EmbeddedImage& CursorSource() { return kArtCursor; }

ViewImages::ViewImages() {
  for (int i = 0; i < kMarkerKinds; i++) {
    m_bitmaps[i] = nullptr;
    m_dcs[i] = nullptr;
    m_oldInDC[i] = nullptr;
    // no colour a player can have: the first make always draws
    m_colours[i] = kNoColour;
  }
  for (int i = 0; i < game::kMaxPlayers; i++) {
    m_cursors[i] = nullptr;
    m_pens[i] = nullptr;
  }
}

ViewImages::~ViewImages() { FreeAll(); }

bool ViewImages::MakeMarker(int kind, game::Colour colour, CMapWnd* map) {
  if (kind < 0 || kind >= kMarkerKinds) return false;
  colour &= 0xFFFFFF;
  if (m_bitmaps[kind] && m_colours[kind] == colour) return false;
  HBITMAP fresh = TintedDib(MarkerSource(kind), colour, kind != kTargetKind);
  if (!fresh) return false;
  HBITMAP old = m_bitmaps[kind];
  if (GivenToMap(kind)) {
    // the map selects the icon into a DC of its own: the new one goes in
    // (and the old one out) before the old bitmap is deleted
    if (map) {
      int slot = kind == kTargetKind ? kMapIconTarget : kind;
      int hx = kind == kTargetKind ? kTargetHotX : kMarkerHotX;
      int hy = kind == kTargetKind ? kTargetHotY : kMarkerHotY;
      map->SetMarkerIcon(slot, fresh, hx, hy, TRUE);
    }
  } else {
    if (!m_dcs[kind]) m_dcs[kind] = CreateCompatibleDC(nullptr);
    if (m_dcs[kind]) {
      HGDIOBJ prev = SelectObject(m_dcs[kind], fresh);
      if (!m_oldInDC[kind]) m_oldInDC[kind] = prev;
    }
  }
  if (old) DeleteObject(old);
  m_bitmaps[kind] = fresh;
  m_colours[kind] = colour;

  if (kind < game::kMaxPlayers) {
    HCURSOR c = MakeCursor(colour);
    if (c) {
      // the map may be showing the old one
      if (map && m_cursors[kind] && map->WindowCursor() == m_cursors[kind]) map->SetWindowCursor(c);
      if (m_cursors[kind]) DestroyCursor(m_cursors[kind]);
      m_cursors[kind] = c;
    }
    COLORREF half = ((colour >> 1) & 0x7F7F7F);
    HPEN pen = CreatePen(PS_SOLID, 2, half);
    if (pen) {
      if (m_pens[kind]) DeleteObject(m_pens[kind]);
      m_pens[kind] = pen;
    }
  }
  return true;
}

void ViewImages::FreeAll() {
  for (int i = 0; i < kMarkerKinds; i++) {
    if (m_dcs[i]) {
      SelectObject(m_dcs[i], m_oldInDC[i]);
      DeleteDC(m_dcs[i]);
      m_dcs[i] = nullptr;
      m_oldInDC[i] = nullptr;
    }
    if (m_bitmaps[i]) DeleteObject(m_bitmaps[i]);
    m_bitmaps[i] = nullptr;
    m_colours[i] = kNoColour;
  }
  for (int i = 0; i < game::kMaxPlayers; i++) {
    if (m_cursors[i]) DestroyCursor(m_cursors[i]);
    if (m_pens[i]) DeleteObject(m_pens[i]);
    m_cursors[i] = nullptr;
    m_pens[i] = nullptr;
  }
}

}  // namespace view
