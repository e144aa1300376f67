// EPS reading (picture data, TIFF preview) and writing.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/epscodec.h"
#include "image/formats/tiffcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Space(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The end of the line starting at pos (after its CR, LF or CR LF).
size_t NextLine(const uint8_t* d, size_t size, size_t pos) {
  while (pos < size && d[pos] != '\r' && d[pos] != '\n') ++pos;
  if (pos < size && d[pos] == '\r') ++pos;
  if (pos < size && d[pos] == '\n') ++pos;
  return pos;
}

std::string LineAt(const uint8_t* d, size_t size, size_t pos) {
  size_t end = pos;
  while (end < size && d[end] != '\r' && d[end] != '\n') ++end;
  return std::string(reinterpret_cast<const char*>(d + pos), end - pos);
}

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && Space(static_cast<uint8_t>(s[a]))) ++a;
  while (b > a && Space(static_cast<uint8_t>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

void DecodeImageData(const uint8_t* d, size_t size, CPicture& out) {
  // the comment among the header lines
  size_t pos = 0;
  std::string line;
  bool found = false;
  while (pos < size) {
    line = LineAt(d, size, pos);
    pos = NextLine(d, size, pos);
    if (line.compare(0, 11, "%ImageData:") == 0) {
      found = true;
      break;
    }
    if (line.compare(0, 2, "%%") != 0 && line.compare(0, 1, "%") != 0 && !Trim(line).empty()) break;
  }
  if (!found) throw EGraphicsFormatError("EPS: PostScript without picture data is not read");
  long long f[7];
  char start[256] = "";
  int n = std::sscanf(line.c_str() + 11, " %lld %lld %lld %lld %lld %lld %lld \"%255[^\"]\"", &f[0], &f[1], &f[2], &f[3],
                      &f[4], &f[5], &f[6], start);
  if (n < 7) throw EGraphicsDataError("EPS: bad %ImageData: comment");
  const int64_t w = f[0], h = f[1];
  const int bits = static_cast<int>(f[2]), mode = static_cast<int>(f[3]);
  if (f[4] != 0) throw EGraphicsFormatError("EPS: padded channels are not read");
  int channels;
  if (mode == 1 && (bits == 1 || bits == 8))
    channels = 1;
  else if (mode == 3 && bits == 8)
    channels = 3;
  else
    throw EGraphicsFormatError("EPS: picture data of this kind is not read");
  ImgCheckSides(w, h, "EPS");
  // the data follows the line that is the start text
  if (n == 8) {
    const std::string want = Trim(start);
    while (pos < size && Trim(LineAt(d, size, pos)) != want) pos = NextLine(d, size, pos);
    if (pos >= size) throw EGraphicsDataError("EPS: picture data missing");
    pos = NextLine(d, size, pos);
  }
  const size_t rowBytes = static_cast<size_t>((w * channels * bits + 7) / 8);
  const int64_t need = static_cast<int64_t>(rowBytes) * h;
  ImgCheckExpansion(need, size - pos, 1, "EPS");
  // hex or binary, told from the data (some writers say binary and write hex)
  bool hex = true;
  {
    size_t p = pos, digits = 0;
    const size_t probe = static_cast<size_t>(need < 64 ? need * 2 : 128);
    while (p < size && digits < probe) {
      if (Space(d[p])) {
        ++p;
        continue;
      }
      if (HexValue(d[p]) < 0) {
        hex = false;
        break;
      }
      ++digits, ++p;
    }
    if (digits < probe) hex = false;
  }
  CPicture pic;
  const int outBits = channels == 3 ? 24 : bits;
  if (!pic.Create(outBits, static_cast<int>(w), static_cast<int>(h), 0, 0)) throw EGraphicsMemoryError("EPS: out of memory");
  if (outBits <= 8) pic.SetGreyPalette();
  std::vector<uint8_t> row(rowBytes);
  for (int64_t y = 0; y < h; ++y) {
    if (hex) {
      for (size_t i = 0; i < rowBytes; ++i) {
        int v[2];
        for (int k = 0; k < 2; ++k) {
          while (pos < size && Space(d[pos])) ++pos;
          if (pos >= size || (v[k] = HexValue(d[pos])) < 0) throw EGraphicsDataError("EPS: picture data ends early");
          ++pos;
        }
        row[i] = static_cast<uint8_t>(v[0] << 4 | v[1]);
      }
    } else {
      if (rowBytes > size - pos) throw EGraphicsDataError("EPS: picture data ends early");
      std::memcpy(row.data(), d + pos, rowBytes);
      pos += rowBytes;
    }
    uint8_t* dst = pic.Row(static_cast<int>(y));
    if (channels == 3) {
      for (int64_t x = 0; x < w; ++x) dst[3 * x] = row[3 * x + 2], dst[3 * x + 1] = row[3 * x + 1], dst[3 * x + 2] = row[3 * x];
    } else {
      std::memcpy(dst, row.data(), rowBytes);
    }
  }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}

}  // namespace

bool ImgIsDosEps(const uint8_t* data, size_t size) {
  return data && size >= 30 && data[0] == 0xC5 && data[1] == 0xD0 && data[2] == 0xD3 && data[3] == 0xC6;
}

bool ImgIsEps(const uint8_t* data, size_t size) {
  if (!data || size < 11 || std::memcmp(data, "%!PS-Adobe-", 11) != 0) return false;
  std::string first = LineAt(data, size < 256 ? size : 256, 0);
  return first.find(" EPSF") != std::string::npos;
}

void ImgDecodeEps(const uint8_t* data, size_t size, CPicture& out) {
  if (ImgIsDosEps(data, size)) {
    const uint32_t psAt = Le32(data + 4), psLen = Le32(data + 8), wmfLen = Le32(data + 16);
    const uint32_t tiffAt = Le32(data + 20), tiffLen = Le32(data + 24);
    if (tiffLen) {
      if (tiffAt > size || tiffLen > size - tiffAt) throw EGraphicsDataError("EPS: preview past the data");
      if (!ImgIsTiff(data + tiffAt, tiffLen)) throw EGraphicsDataError("EPS: preview is not TIFF");
      ImgDecodeTiff(data + tiffAt, tiffLen, out);
      return;
    }
    if (psAt <= size && psLen <= size - psAt && ImgIsEps(data + psAt, psLen)) {
      try {
        DecodeImageData(data + psAt, psLen, out);
        return;
      } catch (const EGraphicsFormatError&) {
        if (!wmfLen) throw;
      }
    }
    throw EGraphicsFormatError("EPS: a WMF preview is not read");
  }
  if (!ImgIsEps(data, size)) throw EGraphicsFormatError("not an EPS file");
  DecodeImageData(data, size, out);
}

void CEpsWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("EPS: no picture");
  const int w = picture.Width(), h = picture.Height(), bits = picture.Bits();
  bool grey = bits <= 8;
  for (int i = 0, n = picture.PaletteSize(); i < n && grey; ++i) {
    uint32_t e = picture.Palette()[i];
    grey = (e >> 16 & 0xFF) == (e >> 8 & 0xFF) && (e >> 8 & 0xFF) == (e & 0xFF);
  }
  const int channels = grey ? 1 : 3;
  const char* op = grey ? "image" : "false 3 colorimage";
  std::string title;
  if (m_comment && *m_comment) {
    title = "%%Title: ";
    for (const char* p = m_comment; *p; ++p) title += *p == '\r' || *p == '\n' ? ' ' : *p;
    title += "\n";
  }
  // The row buffer is a PostScript string (at most 65535 bytes): wider rows
  // are read in equal parts, so that no read runs past the picture data.
  int rowBytes = w * channels, parts = 1;
  while (rowBytes / parts > 65535 || rowBytes % parts) ++parts;
  char head[1024];
  int n = std::snprintf(head, sizeof(head),
                        "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%Creator: Orvalo\n%%%%BoundingBox: 0 0 %d %d\n%%%%Pages: 1\n"
                        "%%%%EndComments\n%%%%Page: 1 1\n%%ImageData: %d %d 8 %d 0 1 2 \"%s\"\n"
                        "gsave\n/buf %d string def\n%d %d scale\n%d %d 8\n[%d 0 0 -%d 0 %d]\n"
                        "{ currentfile buf readhexstring pop } bind\n%s\n",
                        w, h, w, h, grey ? 1 : 3, op, rowBytes / parts, w, h, w, h, w, h, h, op);
  // the title goes after the first two lines
  std::string text(head, static_cast<size_t>(n));
  size_t second = text.find('\n', text.find('\n') + 1) + 1;
  text.insert(second, title);
  ImgPut(out, text.data(), text.size());
  static const char kHex[] = "0123456789abcdef";
  std::vector<uint32_t> argb(static_cast<size_t>(w));
  std::string line;
  for (int y = 0; y < h; ++y) {
    ImgRowToArgb(picture, y, argb.data());
    line.clear();
    int inLine = 0;
    for (int x = 0; x < w; ++x) {
      const uint32_t c = argb[x];
      const uint8_t v[3] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
      for (int k = 0; k < channels; ++k) {
        line += kHex[v[k] >> 4];
        line += kHex[v[k] & 15];
        if (++inLine == 40) {
          line += '\n';
          inLine = 0;
        }
      }
    }
    if (inLine) line += '\n';
    ImgPut(out, line.data(), line.size());
  }
  const char tail[] = "grestore\n%%EOF\n";
  ImgPut(out, tail, sizeof(tail) - 1);
}
