// Reading a game page: the target's coordinates and name from the HTML
// comments in the page's first bytes.
#pragma once

namespace game {

constexpr int kPageHeadBytes = 254;  // only this much of a page is searched
constexpr int kTargetNameSize = 256;

enum class PageStatus {
  Ok,
  NoCoordinates,   // "<!--REFX" or "<!--REFY" missing (or the page unreadable)
  BadCoordinates,  // zero, not finite, or outside +-180 / +-90
};

struct PageTarget {
  double lon = 0;
  double lat = 0;
  char name[kTargetNameSize] = {0};  // empty when there is none
};

// head: the page's first bytes (length of them, at most kPageHeadBytes are
// looked at; a length below 0 is an unreadable page).
PageStatus ReadGamePage(const char* head, int length, PageTarget* target);

// The name that ends the game.
bool IsFinalPage(const PageTarget& target);

}  // namespace game
