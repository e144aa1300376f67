#include "game/play/remote_parse.h"

#include <cstring>

#include "text/number.h"
#include "text/strclass.h"

namespace game {

namespace {

bool IsKind(char c) { return c == 'U' || c == 'S' || c == 'D'; }
bool IsHex(char c) { return (StrCharClass(c) & STRCLS_XDIGIT) != 0; }
bool IsEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

void RemoteParser::Drop(int n) {
  if (n >= m_count || n < 0) {
    m_count = 0;
  } else {
    std::memmove(m_buf, m_buf + n, static_cast<size_t>(m_count - n));
    m_count -= n;
  }
  m_buf[m_count] = 0;
}

void RemoteParser::Received(int n) {
  if (n > 0) m_count += n > InputSpace() ? InputSpace() : n;
  m_buf[m_count] = 0;
}

// Drops everything before the first hex digit that is the last character
// held or stands before a kind letter.
void RemoteParser::Resync() {
  int p = 0;
  for (; p < m_count; ++p)
    if (IsHex(m_buf[p]) && (p + 1 == m_count || IsKind(m_buf[p + 1]))) break;
  Drop(p);
}

int RemoteParser::Step(int* commands, bool* wantInput) {
  int n = 0;
  *wantInput = false;
  if (m_count > 0) Resync();
  m_buf[m_count] = 0;
  while (m_count >= 3) {
    int r = StrSpanClassA(m_buf + 2, STRCLS_XDIGIT);
    if (r > 8) {
      Drop(r + 2);
      return n;
    }
    if (r < 8) {
      if (r + 2 == m_count) {
        *wantInput = true;
        return n;
      }
      Drop(r + 2);
      return n;
    }
    if (m_count == 10) {
      *wantInput = true;
      return n;
    }
    if (!IsEnd(m_buf[10])) {
      Drop(10);
      return n;
    }
    int key = m_buf[0] - '0';
    uint32_t value = NumParseHexNA(m_buf + 2, 8);
    if (m_buf[1] == 'D' && key >= 0 && key <= 8 && n < kRemoteMaxCommands) {
      if (key >= 4) {
        commands[n++] = 33020 + key;
      } else if (key <= 2) {
        // unsigned difference read as signed: a counter may wrap
        int32_t diff = static_cast<int32_t>(value - static_cast<uint32_t>(m_last));
        if (diff > 100 || diff < -10) {
          commands[n++] = key == 0 ? 32805 : 32806;
          m_last = static_cast<int32_t>(value);
        }
      }
    }
    Drop(m_buf[11] == '\n' ? 10 : 11);
    if (m_count < 3) break;
    if (!(m_buf[0] >= '0' && m_buf[0] <= '7' && IsKind(m_buf[1]))) return n;
  }
  *wantInput = true;
  return n;
}

}  // namespace game
