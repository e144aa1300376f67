// Reads tracks of world points ("x y" per line, a blank line between
// tracks) and prints each track's length as the map window measures it.
#include <stdio.h>

#include "map/mapoverlay.h"

int main(int argc, char** argv) {
  FILE* f = argc > 1 ? fopen(argv[1], "r") : nullptr;
  if (!f) return 2;
  MapOverlay ov;
  char line[128];
  bool any = false;
  auto flush = [&] {
    if (!any) return;
    printf("%.6f\n", ov.GetTrackLength(0));
    ov.ClearTrack(0, false);
    any = false;
  };
  while (fgets(line, sizeof line, f)) {
    unsigned x, y;
    if (sscanf(line, "%u %u", &x, &y) == 2) {
      if (ov.InsertTrackPoint(0, x, y, -1, false) < 0) return 3;
      any = true;
    } else {
      flush();
    }
  }
  flush();
  fclose(f);
  return 0;
}
