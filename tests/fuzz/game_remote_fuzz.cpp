// The key box's records from arbitrary bytes in arbitrary reads: the
// parser's buffer never overflows, it only posts the game's ids, and a good
// record after any garbage and a line end still acts.
#include <cstdint>
#include <cstdlib>

#include "game/play/remote_parse.h"

namespace {

void Check(int id) {
  if (id != 32805 && id != 32806 && (id < 33024 || id > 33028)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 8192) return 0;
  game::RemoteParser p;
  // the first byte chooses the read size
  int chunk = data[0] % 33 + 1;
  const char* text = reinterpret_cast<const char*>(data + 1);
  int left = static_cast<int>(size - 1);
  while (left > 0) {
    int n = left < chunk ? left : chunk;
    p.Feed(text, n, Check);
    if (p.Count() < 0 || p.Count() > game::kRemoteBuffer) std::abort();
    text += n, left -= n;
  }
  // the garbage's tail may complete a record of its own with the CR; the
  // good record still comes last
  int last = 0;
  p.Feed("\r\n7D00000000\r\n", 14, [&](int id) { last = id; });
  if (last != 33027) std::abort();
  return 0;
}
