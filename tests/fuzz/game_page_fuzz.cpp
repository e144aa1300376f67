// Game pages from arbitrary bytes: the reader stays within the bytes it was
// given, accepts only usable coordinates and always ends the name.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/play/gamepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  // an exact-size copy, so that a read beyond it is caught
  std::vector<char> page(data, data + size);
  game::PageTarget t;
  game::PageStatus s = game::ReadGamePage(page.data(), static_cast<int>(size), &t);
  if (std::memchr(t.name, 0, sizeof t.name) == nullptr) std::abort();
  if (s == game::PageStatus::Ok) {
    if (!std::isfinite(t.lon) || !std::isfinite(t.lat) || t.lon == 0 || t.lat == 0 || std::fabs(t.lon) > 180 ||
        std::fabs(t.lat) > 90)
      std::abort();
  }
  // what lies beyond the first 254 bytes never matters
  if (size > 254) {
    game::PageTarget u;
    if (game::ReadGamePage(page.data(), 254, &u) != s || std::strcmp(u.name, t.name) != 0) std::abort();
  }
  return 0;
}
