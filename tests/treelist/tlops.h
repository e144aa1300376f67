// Random operation sequences on the TreeList logic with a parent that
// deletes, inserts and sorts inside notifications; the state is checked after
// every step. Shared by the native tests and the fuzz target.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace tltest {

// Returns "" or the first inconsistency found.
std::string RunOps(const uint8_t* data, size_t size);

}  // namespace tltest
