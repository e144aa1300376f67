// Command-line probe of the text library for host-driven checks against
// other tools (Python, date, iconv). Reads tab-separated commands from the
// file given as argument, writes one result line per command to stdout.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "text/datetime.h"
#include "text/fmtprint.h"
#include "text/number.h"
#include "text/utf.h"

namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> out;
  size_t p = 0;
  for (;;) {
    size_t t = line.find('\t', p);
    out.push_back(line.substr(p, t == std::string::npos ? std::string::npos : t - p));
    if (t == std::string::npos) break;
    p = t + 1;
  }
  return out;
}

std::string FromHex(const std::string& h) {
  std::string out;
  for (size_t i = 0; i + 1 < h.size(); i += 2) out += (char)strtoul(h.substr(i, 2).c_str(), nullptr, 16);
  return out;
}

std::string ToHex(const void* p, size_t n) {
  std::string out;
  char b[3];
  for (size_t i = 0; i < n; ++i) {
    snprintf(b, sizeof b, "%02x", ((const unsigned char*)p)[i]);
    out += b;
  }
  return out;
}

unsigned long long Bits(double d) {
  unsigned long long u;
  memcpy(&u, &d, sizeof u);
  return u;
}

std::string Run(const std::vector<std::string>& a) {
  char buf[8192];
  const std::string& cmd = a[0];
  if (cmd == "num" && a.size() == 3) {
    int consumed = -1;
    std::string text = FromHex(a[2]);
    double d = NumParseDoubleA(text.c_str(), &consumed, (unsigned)strtoul(a[1].c_str(), nullptr, 16));
    snprintf(buf, sizeof buf, "%d\t%016llx", consumed, Bits(d));
    return buf;
  }
  if (cmd == "fmt" && a.size() == 4) {
    double d;
    unsigned long long u = strtoull(a[3].c_str(), nullptr, 16);
    memcpy(&d, &u, sizeof d);
    std::string f = "%." + a[2] + a[1];
    FmtPrintA(buf, sizeof buf, f.c_str(), d);  // format chosen by the script
    return buf;
  }
  if (cmd == "datefmt" && a.size() == 3) {
    int n = DateFormatTimeA(buf, sizeof buf, strtoll(a[2].c_str(), nullptr, 10),
                            (unsigned)strtoul(a[1].c_str(), nullptr, 16));
    return n < 0 ? "ERR" : buf;
  }
  if (cmd == "dateparse" && a.size() == 3) {
    unsigned rf = 0;
    std::string text = FromHex(a[2]);
    long long s = DateParseTimeA(text.c_str(), (unsigned)strtoul(a[1].c_str(), nullptr, 16), &rf);
    snprintf(buf, sizeof buf, "%lld\t%u", s, rf);
    return buf;
  }
  if (cmd == "u8l1" && a.size() == 2) {
    std::string in = FromHex(a[1]);
    int n = Utf8ToLatin1N(buf, in.data(), sizeof buf, (int)in.size());
    return ToHex(buf, (size_t)n);
  }
  if (cmd == "l1u8" && a.size() == 2) {
    std::string in = FromHex(a[1]), out;
    for (char c : in) {
      char e[4];
      int n = UtfEncodeCharA((unsigned char)c, e, 4);
      out.append(e, (size_t)n);
    }
    return ToHex(out.data(), out.size());
  }
  if (cmd == "u8cp" && a.size() == 2) {
    std::string in = FromHex(a[1]), out;
    for (size_t i = 0; i < in.size();) {
      uint32_t cp;
      int n = UtfDecodeCharA(in.data() + i, &cp, (int)(in.size() - i));
      snprintf(buf, sizeof buf, "%s%x", out.empty() ? "" : ",", (unsigned)cp);
      out += buf;
      i += (size_t)n;
    }
    return out;
  }
  if (cmd == "cpu8" && a.size() == 2) {
    std::string out;
    size_t p = 0;
    while (p < a[1].size()) {
      size_t q = a[1].find(',', p);
      uint32_t cp = (uint32_t)strtoul(a[1].substr(p, q - p).c_str(), nullptr, 16);
      char e[4];
      int n = UtfEncodeCharA(cp, e, 4);
      out.append(e, (size_t)n);
      if (q == std::string::npos) break;
      p = q + 1;
    }
    return ToHex(out.data(), out.size());
  }
  if (cmd == "l1u16" && a.size() == 2) {
    std::string in = FromHex(a[1]);
    std::vector<WideChar> w(in.size() + 1);
    int n = UtfLatin1ToWide(w.data(), in.data(), (int)w.size(), (int)in.size());
    std::string out;
    for (int i = 0; i < n; ++i) {
      unsigned char le[2] = {(unsigned char)(w[(size_t)i] & 0xFF), (unsigned char)(w[(size_t)i] >> 8)};
      out.append((const char*)le, 2);
    }
    return ToHex(out.data(), out.size());
  }
  return "BADCMD";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: text_probe COMMANDFILE\n");
    return 2;
  }
  FILE* f = fopen(argv[1], "rb");
  if (!f) {
    fprintf(stderr, "cannot open %s\n", argv[1]);
    return 2;
  }
  std::string line;
  int c;
  std::string out;
  while ((c = fgetc(f)) != EOF) {
    if (c == '\n') {
      out += Run(Split(line)) + "\n";
      line.clear();
    } else if (c != '\r') {
      line += (char)c;
    }
  }
  fclose(f);
  fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
