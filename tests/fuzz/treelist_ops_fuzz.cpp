// Each input is an operation sequence; the tree's links, rows and counts are
// checked after every step.
#include <stdio.h>
#include <stdlib.h>

#include "tests/treelist/tlops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string err = tltest::RunOps(data, size);
  if (!err.empty()) {
    fprintf(stderr, "inconsistent tree: %s\n", err.c_str());
    abort();
  }
  return 0;
}
