// The tile server that with_tileserver.sh starts around a test program:
// its ports, its gate, and a clock the tests set by hand.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "comm/httpclient.h"
#include "tests/support/testenv.h"

namespace orvtest {

inline int TileEnvPort(const char* name) { return atoi(getenv(name) ? getenv(name) : "0"); }
inline int TileServerPort() { return TileEnvPort("ORV_TILE_PORT"); }
// A second server: the same paths, every plain tile in the "alt" colour.
inline int TileServerPort2() { return TileEnvPort("ORV_TILE_PORT2"); }
// Refuses connections until the gate is opened.
inline int TileGatePort() { return TileEnvPort("ORV_TILE_GATE_PORT"); }

inline void SetTileGate(bool open) {
  CHttpClient c;
  ASSERT_EQ(0, c.Connect(("127.0.0.1:" + std::to_string(TileServerPort())).c_str(), 0));
  std::string f = MakeTempDir("gate") + "\\r.txt";
  ASSERT_GT(c.Get(f.c_str(), open ? "/gate/open" : "/gate/close", 5000, 0), 0);
}

// A millisecond clock that moves only when a test moves it.
struct HandClock {
  static DWORD& Now() {
    static DWORD now = 5000;
    return now;
  }
  static DWORD WINAPI Read() { return Now(); }
};

}  // namespace orvtest
