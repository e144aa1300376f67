// postclose TITLE-PART [CLASS]: posts WM_CLOSE to the first visible
// top-level window whose title contains TITLE-PART; exit code 0 when one
// was found, 1 otherwise. The e2e scripts close programs with it as a user
// closing the window would.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
struct Search {
  const char* part;
  HWND found;
};

BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam) {
  Search* s = reinterpret_cast<Search*>(lParam);
  char title[512];
  if (!IsWindowVisible(hWnd) || GetWindowTextA(hWnd, title, sizeof title) <= 0) return TRUE;
  if (strstr(title, s->part)) {
    s->found = hWnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: postclose TITLE-PART\n");
    return 2;
  }
  Search s = {argv[1], nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  if (!s.found) {
    fprintf(stderr, "postclose: no window with \"%s\"\n", argv[1]);
    return 1;
  }
  PostMessageA(s.found, WM_CLOSE, 0, 0);
  return 0;
}
