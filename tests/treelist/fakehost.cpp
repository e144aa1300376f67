#include "tests/treelist/fakehost.h"

#include <string.h>

#include <functional>
#include <string>

namespace tltest {

FakeHost::FakeHost() {
  st = TreeListCreateState(this);
  st->clientW = 300;
  st->clientH = 160;
  st->rowHeight = 16;
  TreeListUpdateView(st, true);
}

FakeHost::~FakeHost() {
  {
    TreeListLock lock(st);
    TreeListDeleteItem(st, TLI_ROOT, TLDEL_RENUMBER | TLDEL_QUIET);
    st->dead = 1;
  }
  TreeListRelease(st);
}

uint32_t FakeHost::HostThreadId() {
  return static_cast<uint32_t>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

intptr_t FakeHost::HostNotify(TLNmHdr* rec) {
  codes.push_back(static_cast<int>(rec->code));
  return parent ? parent(rec) : 0;
}

void FakeHost::HostSetScroll(int bar, int maxValue, int page, int pos, bool) {
  if (bar == 1) vmax = maxValue, vpage = page, vpos = pos;
}

std::string FakeHost::Check() const {
  const TreeListState* s = st;
  uint32_t counted = 0;
  for (uint32_t h = 1; h <= s->capacity; h++) {
    const TreeListItem* it = s->items[h];
    if (!it) continue;
    counted++;
    const TreeListItem* p = it->parent ? s->items[it->parent] : nullptr;
    if (it->parent && !p) return "parent missing " + std::to_string(h);
    if (it->level != (p ? p->level + 1 : 0)) return "level " + std::to_string(h);
    if (it->next && (!s->items[it->next] || s->items[it->next]->prev != h)) return "next link " + std::to_string(h);
    if (it->prev && (!s->items[it->prev] || s->items[it->prev]->next != h)) return "prev link " + std::to_string(h);
    if (!it->prev && (p ? p->firstChild : s->firstRoot) != h) return "first " + std::to_string(h);
    if (!it->next && (p ? p->lastChild : s->lastRoot) != h) return "last " + std::to_string(h);
    if (it->textLength && (!it->text || strlen(it->text) != it->textLength)) return "text " + std::to_string(h);
  }
  if (counted != s->count) return "count";
  // rows: display order of the expanded tree
  uint32_t row = 0;
  std::string err;
  std::function<void(uint32_t)> walk;
  uint32_t x = s->firstRoot;
  std::vector<uint32_t> stack;
  while (x) {
    const TreeListItem* it = s->items[x];
    bool hidden = (s->options & TLOPT_HIDEITEMS) && (it->state & TLIS_HIDDEN);
    if (!hidden) {
      row++;
      if (row > s->shownRows || s->rows[row - 1] != x || it->row != row) return "row of " + std::to_string(x);
    }
    uint32_t nx = 0;
    if (!hidden && (it->state & TLIS_EXPANDED) && it->firstChild) {
      nx = it->firstChild;
    } else {
      const TreeListItem* y = it;
      while (y) {
        if (y->next) {
          nx = y->next;
          break;
        }
        y = y->parent ? s->items[y->parent] : nullptr;
      }
    }
    x = nx;
  }
  if (row != s->shownRows) return "shown rows " + std::to_string(row) + " vs " + std::to_string(s->shownRows);
  if (s->selItem && !s->items[s->selItem]) return "selection dangling";
  if (s->caretItem && !s->items[s->caretItem]) return "caret dangling";
  uint32_t sel = 0;
  for (uint32_t h = 1; h <= s->capacity; h++)
    if (s->items[h] && (s->items[h]->state & TLIS_SELECTED)) sel++;
  if (sel != s->selCount) return "selected count";
  return "";
}

}  // namespace tltest
