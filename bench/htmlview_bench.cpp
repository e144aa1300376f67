// The page viewer's parser and layout on a 1 MB page against Python's
// html.parser reading the same page (natively, where Python is at hand).
// Layout measures with a fixed grid here; the window measures with GDI.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/benchlib.h"
#include "htmlview/htmldom.h"
#include "htmlview/htmllayout.h"

namespace {

struct Grid : HtmlFontMetrics {
  int TextWidth(const HtmlFont& f, const WideChar*, int n) override { return n * (f.size / 2); }
  int LineHeight(const HtmlFont& f) override { return f.size + 3; }
  int Ascent(const HtmlFont& f) override { return f.size; }
};

std::string MakePage(size_t bytes) {
  std::string s = "<html><head><meta charset=\"utf-8\"><title>Gro\xc3\x9f</title></head><body>\n";
  for (int i = 0; s.size() < bytes; ++i) {
    s += "<h2>Abschnitt " + std::to_string(i) + "</h2>\n<p>Ein <b>Absatz</b> mit <i>Text</i> &amp; Umlauten "
         "\xc3\xa4\xc3\xb6\xc3\xbc, einem <a href=\"x.html\">Verweis</a> und <font color=red>Farbe</font>, "
         "der lang genug ist, um mehrmals umbrochen zu werden, wenn das Fenster schmal ist.</p>\n"
         "<ul><li>eins<li>zwei<li>drei</ul>\n<table border=1><tr><td>Stadt<td>Land<tr><td>Rom<td>Italien</table>\n";
  }
  return s + "</body></html>\n";
}

// Python's parser on the file, best of a few rounds: pages per second.
double PythonPagesPerSecond(const char* path) {
  std::string cmd =
      "python3 -c \"import html.parser,sys,time\n"
      "d=open(sys.argv[1],encoding='utf-8').read()\n"
      "best=1e9\n"
      "for i in range(5):\n"
      "  t=time.perf_counter(); p=html.parser.HTMLParser(); p.feed(d); p.close(); best=min(best,time.perf_counter()-t)\n"
      "print(1/best)\" ";
  cmd += path;
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return 0;
  double v = 0;
  if (fscanf(f, "%lf", &v) != 1) v = 0;
  pclose(f);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  std::string page = MakePage(1 << 20);
  auto parseLayout = [&](long n) {
    double sum = 0;
    for (long i = 0; i < n; ++i) {
      HtmlDocument doc;
      HtmlParseBytes(reinterpret_cast<const uint8_t*>(page.data()), page.size(), doc);
      Grid g;
      HtmlLayout lay;
      HtmlLayoutPage(doc, 1000, g, nullptr, lay);
      sum += lay.height;
    }
    return sum;
  };
  const char* filter = orvbench::Settings().filter;
  if (filter && !strstr("htmlview.parse_layout_1mb", filter)) return 0;
#ifdef _WIN32
  // no Python beside the program here: the speed alone
  long n = orvbench::Calibrate(parseLayout);
  double best = 1e300;
  for (int i = 0; i < orvbench::Settings().rounds; ++i) best = std::min(best, orvbench::TimeOnce(parseLayout, n) / n);
  std::printf("BENCH htmlview.parse_layout_1mb: parse+layout %.4g pages/s (Python is compared natively)\n", 1 / best);
#else
  char path[] = "/tmp/orvbench-page-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return 1;
  FILE* f = fdopen(fd, "wb");
  fwrite(page.data(), 1, page.size(), f);
  fclose(f);
  long n = orvbench::Calibrate(parseLayout);
  double best = 1e300;
  for (int i = 0; i < orvbench::Settings().rounds; ++i) best = std::min(best, orvbench::TimeOnce(parseLayout, n) / n);
  double python = PythonPagesPerSecond(path);
  remove(path);
  std::printf("BENCH htmlview.parse_layout_1mb: parse+layout %.4g pages/s, Python html.parser %.4g pages/s, ratio %.3f\n",
              1 / best, python, python > 0 ? (1 / best) / python : 0.0);
#endif
  return 0;
}
