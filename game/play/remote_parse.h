// The key box's records: a key digit, a kind letter, eight hexadecimal
// digits and CR and/or LF. The parser holds at most 32 unparsed characters;
// one Step is one cycle of the remote thread between two reads.
#pragma once

#include <stdint.h>

namespace game {

constexpr int kRemoteBuffer = 32;
constexpr int kRemoteMaxCommands = 8;  // commands one step can yield

class RemoteParser {
 public:
  // Parses what is held. Fills commands (at most kRemoteMaxCommands) and
  // returns how many; *wantInput tells whether the cycle goes on to read.
  int Step(int* commands, bool* wantInput);
  // Where received bytes go and how many fit.
  char* InputArea() { return m_buf + m_count; }
  int InputSpace() const { return kRemoteBuffer - m_count; }
  void Received(int n);

  // Feeds a chunk the way the thread would receive it, in reads of at most
  // the free space; calls sink for each command. Returns the commands.
  template <class Sink>
  int Feed(const char* data, int size, Sink sink);

  int Count() const { return m_count; }
  int32_t LastValue() const { return m_last; }
  void SetLastValue(int32_t v) { m_last = v; }

 private:
  void Drop(int n);
  void Resync();
  char m_buf[kRemoteBuffer + 1] = {0};
  int m_count = 0;
  int32_t m_last = 0;
};

template <class Sink>
int RemoteParser::Feed(const char* data, int size, Sink sink) {
  int total = 0, at = 0;
  for (;;) {
    int cmds[kRemoteMaxCommands];
    bool want = false;
    int n = Step(cmds, &want);
    for (int i = 0; i < n; ++i) sink(cmds[i]);
    total += n;
    if (!want) continue;
    if (at >= size) break;
    int take = size - at < InputSpace() ? size - at : InputSpace();
    for (int i = 0; i < take; ++i) InputArea()[i] = data[at + i];
    Received(take);
    at += take;
  }
  return total;
}

}  // namespace game
