// Text library against the C library on the same data.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "text/fmtprint.h"
#include "text/number.h"
#include "text/strfind.h"

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  orvbench::Random rnd;

  // 1024 coordinate-like numbers as "%.6f" texts
  std::vector<std::string> texts;
  std::vector<double> values;
  for (int i = 0; i < 1024; ++i) {
    double v = rnd.Uniform(-180, 180);
    char b[64];
    snprintf(b, sizeof b, "%.6f", v);
    texts.push_back(b);
    values.push_back(v);
  }
  orvbench::Compare(
      "text.parse.double", "NumParseDoubleA",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += NumParseDoubleA(texts[(size_t)(i & 1023)].c_str(), nullptr, 3);
        return s;
      },
      "strtod",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += strtod(texts[(size_t)(i & 1023)].c_str(), nullptr);
        return s;
      });
  orvbench::Compare(
      "text.format.double", "FmtPrintA %.6f",
      [&](long n) {
        double s = 0;
        char b[64];
        for (long i = 0; i < n; ++i) s += FmtPrintA(b, sizeof b, "%.6f", values[(size_t)(i & 1023)]);
        return s;
      },
      "snprintf %.6f",
      [&](long n) {
        double s = 0;
        char b[64];
        for (long i = 0; i < n; ++i) s += snprintf(b, sizeof b, "%.6f", values[(size_t)(i & 1023)]);
        return s;
      });

  // a 64 KB GPX-like text, searched for a tag near its end
  std::string doc;
  while (doc.size() < 65536) doc += "<trkpt lat=\"48.123456\" lon=\"11.654321\"><ele>520</ele></trkpt>\n";
  doc += "<TrkSeg>";
  orvbench::Compare(
      "text.find.nocase", "StrFindNoCaseA",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += StrFindNoCaseA(doc.c_str() + (i & 63), "<trkseg>");
        return s;
      },
#ifdef _WIN32
      "strstr (case-sensitive)",
#else
      "strcasestr",
#endif
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          const char* start = doc.c_str() + (i & 63);
#ifdef _WIN32
          s += (double)(strstr(start, "<TrkSeg>") - start);
#else
          s += (double)(strcasestr(start, "<trkseg>") - start);
#endif
          orvbench::Sink() = orvbench::Sink() + s;  // keeps each search in the loop
        }
        return s;
      });
  return 0;
}
