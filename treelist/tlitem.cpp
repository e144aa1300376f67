// Set and get on items and cells, group sets, counting, own colours.
#include <stdlib.h>
#include <string.h>
#include <vector>

#include "treelist/tlstate.h"

static bool ColumnOk(const TreeListState* st, uint32_t column) {
  return column == 0 || column < st->columnCount;
}

static void Repaint(TreeListState* st, uint32_t h, int column, bool deferred) {
  TreeListItem* it = TLGet(st, h);
  if (!it || !TLRowOf(st, it)) return;
  if (deferred)
    TreeListQueueAction(st, 10, h, static_cast<uint32_t>(column));
  else
    TreeListInvalidateItem(st, h, column);
}

static int SetCell(TreeListState* st, uint32_t h, uint32_t column, const TLItem* rec) {
  TreeListCell* c = TLGetCell(st, h, column, true);
  if (!c) return 0;
  TreeListItem* it = TLGet(st, h);
  bool deferred = (rec->mask & TLIF_DEFERRED) != 0;
  bool changed = false;
  if (rec->mask & TLIF_PARAM) it->data = rec->lParam;
  if ((rec->mask & TLIF_IMAGE) && c->image != rec->iImage) {
    c->image = rec->iImage;
    if (rec->iImage == -1) c->cbFlags |= TLCB_IMAGE; else c->cbFlags &= ~TLCB_IMAGE;
    if (rec->iImage != -2) c->flags |= TLF_HASIMAGE; else c->flags &= ~TLF_HASIMAGE;
    changed = true;
  }
  if (rec->mask & TLIF_TEXT) {
    if (rec->pszText == TL_TEXTCALLBACK) {
      if (!(c->cbFlags & TLCB_TEXT)) changed = true;
      free(c->text);
      c->text = nullptr;
      c->textLength = 0;
      c->cbFlags |= TLCB_TEXT;
    } else {
      c->cbFlags &= ~TLCB_TEXT;
      uint16_t before = c->textLength;
      char* old = c->text;
      TLSetText(&c->text, &c->textLength, &c->textWidth, rec->pszText ? rec->pszText : "");
      if (c->text != old || c->textLength != before || c->textWidth == 0) changed = true;
    }
  }
  uint32_t itemBits = 0, itemMask = 0;
  if (rec->mask & TLIF_STATE) {
    uint32_t mask = rec->stateMask;
    if (rec->mask & TLIF_CELLSTATE) {
      itemMask = mask & TLIS_ITEMBITS;
      itemBits = rec->state & itemMask;
    }
    mask &= ~TLIS_ITEMBITS;
    uint32_t ns = (c->state & ~mask) | (rec->state & mask);
    if (ns != c->state) {
      if ((ns ^ c->state) & 0x19u) c->textWidth = 0;
      c->state = ns;
      changed = true;
    }
  }
  if (changed) Repaint(st, h, static_cast<int>(column), deferred);
  if (itemMask) {
    TLItem sub = {};
    sub.mask = TLIF_STATE | (rec->mask & TLIF_DEFERRED);
    sub.hItem = h;
    sub.state = itemBits;
    sub.stateMask = itemMask;
    return TreeListSetItem(st, &sub);
  }
  return 1;
}

int TreeListSetItem(TreeListState* st, const TLItem* rec) {
  uint32_t h = static_cast<uint32_t>(rec->hItem);
  TreeListItem* it = TLGet(st, rec->hItem);
  if (!it) return 0;
  uint32_t column = (rec->mask & TLIF_COLUMN) ? static_cast<uint32_t>(rec->cChildren) : 0;
  if (!ColumnOk(st, column)) return 0;
  if (column) return SetCell(st, h, column, rec);
  bool deferred = (rec->mask & TLIF_DEFERRED) != 0;
  bool visible = false, widthReset = false;
  uint32_t stateMask = rec->stateMask;
  if (deferred && (rec->mask & TLIF_STATE)) {
    uint32_t held = stateMask & 0xA2u & (it->state ^ rec->state);
    if (held) {
      TreeListQueueAction(st, 1, h, (rec->state & held) | (held << 16));
      stateMask &= ~held;
    }
  }
  if (rec->mask & TLIF_PARAM) it->data = rec->lParam;
  if ((rec->mask & TLIF_IMAGE) && it->image != rec->iImage) {
    it->image = rec->iImage;
    if (rec->iImage == -1) it->cbFlags |= TLCB_IMAGE; else it->cbFlags &= ~TLCB_IMAGE;
    visible = true;
  }
  if ((rec->mask & TLIF_SELECTEDIMAGE) && it->selImage != rec->iSelectedImage) {
    it->selImage = rec->iSelectedImage;
    if (rec->iSelectedImage == -1) it->cbFlags |= TLCB_SELIMAGE; else it->cbFlags &= ~TLCB_SELIMAGE;
    visible = true;
  }
  if (rec->mask & (TLIF_IMAGE | TLIF_SELECTEDIMAGE)) {
    if (st->hasImageList && it->image != -2) it->flags |= TLF_HASIMAGE; else it->flags &= ~TLF_HASIMAGE;
  }
  if (rec->mask & TLIF_CHILDREN) {
    uint8_t f = it->flags & ~(TLF_AUTOCHILDREN | TLF_HASCHILDREN);
    uint8_t cb = it->cbFlags & ~TLCB_CHILDREN;
    if (rec->cChildren == -1) cb |= TLCB_CHILDREN;
    else if (rec->cChildren == 1) f |= TLF_HASCHILDREN;
    else if (rec->cChildren) f |= TLF_AUTOCHILDREN | (it->firstChild ? TLF_HASCHILDREN : 0);
    else f |= TLF_AUTOCHILDREN;
    if (f != it->flags || cb != it->cbFlags) visible = true;
    it->flags = f;
    it->cbFlags = cb;
  }
  if (rec->mask & TLIF_TEXT) {
    if (rec->pszText == TL_TEXTCALLBACK) {
      if (!(it->cbFlags & TLCB_TEXT)) visible = true;
      free(it->text);
      it->text = nullptr;
      it->textLength = 0;
      it->textWidth = 0;
      it->cbFlags |= TLCB_TEXT;
      st->textGen++;
    } else {
      const char* src = rec->pszText ? rec->pszText : "";
      size_t n = strnlen(src, TL_TEXTMAX);
      if ((it->cbFlags & TLCB_TEXT) || !it->text || it->textLength != n || memcmp(it->text, src, n) != 0) {
        it->cbFlags &= ~TLCB_TEXT;
        TLSetText(&it->text, &it->textLength, &it->textWidth, src);
        it->textWidth = 0;
        st->textGen++;
        visible = true;
      }
    }
  }
  if (rec->mask & TLIF_STATE) {
    uint32_t mask = stateMask;
    if (st->style & 0x400u) mask &= ~TLIS_EXPANDED;  // TVS_SINGLEEXPAND
    uint32_t old = it->state;
    uint32_t ns = (old & ~mask) | (rec->state & mask);
    uint32_t diff = old ^ ns;
    // selection and expansion travel through their operations
    uint32_t direct = ns & ~(TLIS_SELECTED | TLIS_EXPANDED);
    it->state = (old & (TLIS_SELECTED | TLIS_EXPANDED)) | direct;
    if (diff & 0xFF0Cu) visible = true;  // state image, overlay, cut, drop mark
    uint32_t checkMask = (st->options & TLOPT_HIDEITEMS) ? 0xB000u : 0xF000u;
    if ((st->options & TLOPT_HIDEITEMS) && (diff & TLIS_HIDDEN)) {
      TreeListItem* pi = TLGet(st, it->prev);
      TreeListLayoutRows(st, TLRowOf(st, pi) ? it->prev : it->parent);
      it = TLGet(st, h);
      if (!it) return 0;
    }
    if (diff & checkMask) {
      bool checked = (st->options & TLOPT_PLAINCHECK) ? (it->state & 0x1000u) != 0
                                                       : (it->state & checkMask) == 0x2000u;
      if (checked) st->checkedItem = h;
      else if (st->checkedItem == h) st->checkedItem = 0;
    }
    if (diff & 0x19u) widthReset = true;
    if ((diff >> 16) & st->mergeMask) {
      if (deferred) TreeListQueueAction(st, 12, h, 0); else TreeListInvalidateItem(st, h, -1);
    }
    if (widthReset) it->textWidth = 0;
    if (visible || widthReset) Repaint(st, h, 0, deferred);
    visible = false;
    if (diff & TLIS_SELECTED) {
      if (ns & TLIS_SELECTED) {
        if (st->options & TLOPT_MULTISELECT)
          TreeListToggleSelect(st, h, 0);
        else
          TreeListSelectItem(st, h, 0, 0);
      } else if (st->options & TLOPT_MULTISELECT) {
        TreeListToggleSelect(st, h, 0);
      } else if (st->selItem == h) {
        TreeListSelectItem(st, 0, 0, 0);
      }
      it = TLGet(st, h);
      if (!it) return 0;
    }
    if (diff & TLIS_EXPANDED) {
      if (it->firstChild || (it->flags & TLF_HASCHILDREN)) {
        uint32_t action = ((ns & TLIS_EXPANDED) ? TLE_EXPAND : TLE_COLLAPSE) | (rec->state & TLIS_EXPANDPARTIAL);
        int r = TreeListExpand(st, h, action);
        if (r <= 0) return 0;
      } else {
        it->state = (it->state & ~TLIS_EXPANDED) | (ns & TLIS_EXPANDED);
      }
      it = TLGet(st, h);
      if (!it) return 0;
    }
  }
  if (visible) Repaint(st, h, 0, deferred);
  return 1;
}

int TreeListGetItem(TreeListState* st, TLItem* rec) {
  uint32_t h = static_cast<uint32_t>(rec->hItem);
  TreeListItem* it = TLGet(st, rec->hItem);
  if (!it) return 0;
  uint32_t column = (rec->mask & TLIF_COLUMN) ? static_cast<uint32_t>(rec->cChildren) : 0;
  if (!ColumnOk(st, column)) return 0;
  const char* text = it->text;
  uint32_t length = it->textLength;
  bool callbackText = (it->cbFlags & TLCB_TEXT) != 0;
  uint32_t state = it->state;
  int32_t image = it->image, selImage = it->selImage;
  if (column) {
    TreeListCell* c = TLGetCell(st, h, column, true);
    if (!c) return 0;
    text = c->text;
    length = c->textLength;
    callbackText = (c->cbFlags & TLCB_TEXT) != 0;
    state = c->state & ~TLIS_ITEMBITS;
    if (rec->mask & TLIF_CELLSTATE) state |= it->state & TLIS_ITEMBITS;
    image = selImage = c->image;
  }
  if (rec->mask & TLIF_PARAM) rec->lParam = it->data;
  if (rec->mask & TLIF_IMAGE) rec->iImage = image;
  if (rec->mask & TLIF_SELECTEDIMAGE) rec->iSelectedImage = selImage;
  if ((rec->mask & TLIF_CHILDREN) && !column)
    rec->cChildren = (it->cbFlags & TLCB_CHILDREN) ? -1 : (it->firstChild ? 1 : 0);
  if (rec->mask & TLIF_STATE) rec->state = state & rec->stateMask;
  if (rec->mask & TLIF_TEXT) {
    if (callbackText) {
      rec->pszText = TL_TEXTCALLBACK;
    } else if (rec->mask & TLIF_TEXTPOINTER) {
      rec->pszText = const_cast<char*>(text ? text : "");
      rec->cchTextMax = static_cast<int32_t>(length + 1);
    } else if (rec->pszText && rec->pszText != TL_TEXTCALLBACK && rec->cchTextMax > 0) {
      uint32_t n = length;
      if (n + 1 > static_cast<uint32_t>(rec->cchTextMax)) n = static_cast<uint32_t>(rec->cchTextMax) - 1;
      if (n) memcpy(rec->pszText, text, n);
      rec->pszText[n] = 0;
    }
  }
  return 1;
}

// ---------------------------------------------------------------- groups

static void CollectScope(TreeListState* st, uintptr_t h, uint32_t mask, std::vector<uint32_t>& out) {
  if (h == TLI_ROOT) {
    for (uint32_t r = st->firstRoot; r; r = TLNextInTree(st, r, true)) out.push_back(r);
    return;
  }
  TreeListItem* it = TLGet(st, h);
  uint32_t handle = static_cast<uint32_t>(h);
  if (mask & TLIF_SCOPESELF) out.push_back(handle);
  if (mask & TLIF_SCOPEANCESTORS)
    for (uint32_t p = it->parent; p; p = TLGet(st, p)->parent) out.push_back(p);
  if (mask & TLIF_SCOPESIBLINGS) {
    for (uint32_t s = it->prev; s; s = TLGet(st, s)->prev) out.push_back(s);
    for (uint32_t s = it->next; s; s = TLGet(st, s)->next) out.push_back(s);
  }
  if (mask & TLIF_SCOPEDESCENDANTS) {
    uint32_t end = TLNextInTree(st, handle, false);
    for (uint32_t d = it->firstChild; d && d != end; d = TLNextInTree(st, d, true)) out.push_back(d);
  }
}

int TreeListSetItemGroup(TreeListState* st, const TLItem* rec) {
  if (rec->hItem == TLI_ROOT) {
    if (!st->firstRoot) return 0;
  } else if (!TLGet(st, rec->hItem)) {
    return -1;
  }
  std::vector<uint32_t> targets;
  uint32_t scope = rec->mask;
  if (rec->hItem == TLI_ROOT) scope = TLIF_SCOPEDESCENDANTS;
  CollectScope(st, rec->hItem, scope, targets);
  uint32_t high = rec->stateMask >> 16;
  // 0x10000 is also the if-low mode; off the window's thread every set waits
  // for the window's thread to select, expand and lay out
  bool deferred = (rec->mask & TLIF_DEFERRED) || !st->host->HostOnWindowThread();
  int changed = 0;
  for (uint32_t t : targets) {
    TreeListItem* it = TLGet(st, t);
    if (!it) continue;
    TLItem r = *rec;
    r.mask &= ~(TLIF_SCOPESELF | TLIF_SCOPEANCESTORS | TLIF_SCOPESIBLINGS | TLIF_SCOPEDESCENDANTS | TLIF_GROUPIFLOW |
                TLIF_GROUPIFHIGH | TLIF_GROUPFROMLOW | TLIF_GROUPFROMHIGH);
    if (deferred) r.mask |= TLIF_DEFERRED;
    r.hItem = t;
    uint32_t cur = it->state;
    if (high && (rec->mask & TLIF_GROUPFROMHIGH)) {
      // record bit b (b in H) takes the target's bit b-16
      uint32_t bits = (high << 16) & ~0xFFFFu;
      r.state = (r.state & ~bits) | ((cur << 16) & bits);
    }
    if (high && (rec->mask & TLIF_GROUPFROMLOW)) {
      r.state = (r.state & ~high) | ((cur >> 16) & high);
      r.stateMask |= high;
    }
    if (high && (rec->mask & (TLIF_GROUPIFHIGH | TLIF_GROUPIFLOW))) {
      bool any = false;
      for (int b = 0; b < 16; b++) {
        if (!(high & (1u << b))) continue;
        bool recBit = (rec->state >> (b + 16)) & 1u;
        bool tBit = (rec->mask & TLIF_GROUPIFHIGH) ? (cur >> b) & 1u : (cur >> (b + 16)) & 1u;
        if (recBit == tBit) any = true;
      }
      if (!any) continue;
      r.stateMask &= 0xFFFFu;
    }
    if (TreeListSetItem(st, &r)) changed++;
    if (st->dead) break;
  }
  return changed;
}

int TreeListCountItems(TreeListState* st, const TLItem* rec) {
  if (rec->hItem != TLI_ROOT && !TLGet(st, rec->hItem)) return -1;
  std::vector<uint32_t> targets;
  if (rec->hItem == TLI_ROOT) {
    for (uint32_t r = st->firstRoot; r; r = TLGet(st, r)->next) targets.push_back(r);
  } else {
    CollectScope(st, rec->hItem, rec->mask, targets);
  }
  int n = 0;
  for (uint32_t t : targets) {
    TreeListItem* it = TLGet(st, t);
    bool m = (rec->mask & TLIF_COUNTANY) != 0;
    if ((rec->mask & TLIF_STATE) && (it->state & rec->stateMask) == (rec->state & rec->stateMask)) m = true;
    if ((rec->mask & TLIF_PARAM) && it->data == rec->lParam) m = true;
    if ((rec->mask & TLIF_IMAGE) && it->image == rec->iImage) m = true;
    if (m) n++;
  }
  return n;
}

// ---------------------------------------------------------------- colours

uint32_t TreeListGetOwnColor(TreeListState* st, uint32_t h, uint32_t column, int text) {
  TreeListItem* it = TLGet(st, h);
  if (!it || !ColumnOk(st, column)) return 0xFFFFFFFFu;
  uint8_t flag = text ? TLF_OWNTEXTCOLOR : TLF_OWNBKCOLOR;
  if (column == 0) return (it->flags & flag) ? (text ? it->textColor : it->bkColor) : 0xFFFFFFFFu;
  TreeListCell* c = TLGetCell(st, h, column, false);
  if (!c || !(c->flags & flag)) return 0xFFFFFFFFu;
  return text ? c->textColor : c->bkColor;
}

static uint32_t SetOne(TreeListState* st, uint32_t h, uint32_t column, uint32_t color, uint32_t flags) {
  bool text = (flags & TLC_TEXT) != 0;
  uint8_t flag = text ? TLF_OWNTEXTCOLOR : TLF_OWNBKCOLOR;
  uint8_t* f;
  uint32_t* slot;
  if (column == 0) {
    TreeListItem* it = TLGet(st, h);
    f = &it->flags;
    slot = text ? &it->textColor : &it->bkColor;
  } else {
    TreeListCell* c = TLGetCell(st, h, column, true);
    if (!c) return 0xFFFFFFFFu;
    f = &c->flags;
    slot = text ? &c->textColor : &c->bkColor;
  }
  uint32_t prev = (*f & flag) ? *slot : 0xFFFFFFFFu;
  if (color == 0xFFFFFFFFu)
    *f &= ~flag;
  else
    *f |= flag, *slot = color;
  if (prev != color) {
    Repaint(st, h, static_cast<int>(column), (flags & TLC_DEFERRED) != 0);
    if (!text && column + 1 < st->columnCount && st->columns[column + 1].position == st->columns[column].position + 1)
      Repaint(st, h, static_cast<int>(column + 1), (flags & TLC_DEFERRED) != 0);
  }
  return prev;
}

uint32_t TreeListSetOwnColor(TreeListState* st, uint32_t h, uint32_t column, uint32_t color, uint32_t flags) {
  if (!TLGet(st, h)) return 0xFFFFFFFFu;
  if (column >= 255) {
    for (uint32_t c = st->columnCount; c-- > 1;) SetOne(st, h, c, color, flags);
    return SetOne(st, h, 0, color, flags);
  }
  if (!ColumnOk(st, column)) return 0xFFFFFFFFu;
  return SetOne(st, h, column, color, flags);
}
