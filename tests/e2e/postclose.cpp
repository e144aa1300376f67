// postclose TITLE-PART: posts WM_CLOSE to the first visible top-level
// window whose title contains TITLE-PART; exit code 0 when one was found,
// 1 otherwise. The e2e scripts close programs with it as a user closing the
// window would.
#include <windows.h>

#include <cstdio>

#include "tests/e2e/findwindow.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: postclose TITLE-PART\n");
    return 2;
  }
  HWND found = e2e::FindTopWindow(argv[1]);
  if (!found) {
    fprintf(stderr, "postclose: no window with \"%s\"\n", argv[1]);
    return 1;
  }
  PostMessageA(found, WM_CLOSE, 0, 0);
  return 0;
}
