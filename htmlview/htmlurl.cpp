#include "htmlview/htmlurl.h"

#include <vector>

namespace {

bool StartsNoCase(const HtmlString& s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= s.size()) return false;
    WideChar c = s[i];
    if (c >= 'A' && c <= 'Z') c += 32;
    if (c != static_cast<WideChar>(prefix[i])) return false;
  }
  return true;
}

bool IsDrivePath(const HtmlString& s) {
  return s.size() >= 2 && ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z')) && s[1] == ':' &&
         (s.size() == 2 || s[2] == '\\' || s[2] == '/');
}

bool IsUncPath(const HtmlString& s) { return s.size() >= 2 && s[0] == '\\' && s[1] == '\\'; }

HtmlString Ascii(const char* s) {
  HtmlString out;
  while (*s) out.push_back(static_cast<WideChar>(*s++));
  return out;
}

int HexValue(WideChar c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

HtmlString PercentDecode(const HtmlString& s) {
  HtmlString out;
  std::string bytes;
  auto flush = [&]() {
    if (bytes.empty()) return;
    out += HtmlDecodeBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), HtmlCharset::kUtf8);
    bytes.clear();
  };
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() + 0 && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
      i += 2;
      continue;
    }
    flush();
    out.push_back(s[i]);
  }
  flush();
  return out;
}

// Removes "." and ".." segments of the part after prefixLength.
HtmlString Normalise(const HtmlString& url, size_t prefixLength) {
  std::vector<HtmlString> parts;
  HtmlString seg;
  for (size_t i = prefixLength; i <= url.size(); ++i) {
    if (i == url.size() || url[i] == '/') {
      if (seg == Ascii("..")) {
        if (!parts.empty()) parts.pop_back();
      } else if (seg != Ascii(".")) {
        parts.push_back(seg);
      }
      seg.clear();
    } else {
      seg.push_back(url[i]);
    }
  }
  // a trailing "." or ".." leaves a folder
  HtmlString tail = url.size() >= 2 ? url.substr(url.size() - 2) : url;
  HtmlString out = url.substr(0, prefixLength);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out.push_back('/');
    out += parts[i];
  }
  if ((tail == Ascii("/.") || tail == Ascii("..")) && !parts.empty()) out.push_back('/');
  return out;
}

HtmlString StripFragment(const HtmlString& s) {
  size_t h = s.find('#');
  return h == HtmlString::npos ? s : s.substr(0, h);
}

}  // namespace

HtmlUrlKind HtmlUrlClassify(const HtmlString& url) {
  if (IsDrivePath(url) || IsUncPath(url) || StartsNoCase(url, "file:")) return HtmlUrlKind::kFile;
  if (StartsNoCase(url, "res:")) return HtmlUrlKind::kRes;
  if (StartsNoCase(url, "http:") || StartsNoCase(url, "https:") || StartsNoCase(url, "ftp:")) return HtmlUrlKind::kRemote;
  if (StartsNoCase(url, "mailto:")) return HtmlUrlKind::kMailto;
  if (StartsNoCase(url, "javascript:") || StartsNoCase(url, "vbscript:")) return HtmlUrlKind::kScript;
  // any other scheme (two or more letters before ':')
  size_t colon = url.find(':');
  if (colon != HtmlString::npos && colon >= 2) {
    bool scheme = true;
    for (size_t i = 0; i < colon && scheme; ++i) {
      WideChar c = url[i];
      scheme = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    }
    if (scheme) return HtmlUrlKind::kOther;
  }
  return HtmlUrlKind::kRelative;
}

HtmlString HtmlFileUrl(const HtmlString& path) {
  HtmlString out = Ascii(IsUncPath(path) ? "file:" : "file:///");
  for (WideChar c : path) {
    if (c == '\\') out.push_back('/');
    else if (c == ' ') out += Ascii("%20");
    else if (c == '%') out += Ascii("%25");
    else if (c == '#') out += Ascii("%23");
    else out.push_back(c);
  }
  return out;
}

HtmlString HtmlUrlToPath(const HtmlString& url) {
  if (IsDrivePath(url) || IsUncPath(url)) return StripFragment(url);
  if (!StartsNoCase(url, "file:")) return HtmlString();
  HtmlString rest = url.substr(5);
  size_t cut = rest.find_first_of(Ascii("#?"));
  if (cut != HtmlString::npos) rest.resize(cut);
  for (WideChar& c : rest)
    if (c == '\\') c = '/';
  size_t slashes = 0;
  while (slashes < rest.size() && rest[slashes] == '/') ++slashes;
  HtmlString body = rest.substr(slashes);
  HtmlString path = PercentDecode(body);
  bool drive = IsDrivePath(path) || (path.size() >= 2 && path[1] == '|');
  if (drive && path[1] == '|') path[1] = ':';
  for (WideChar& c : path)
    if (c == '/') c = '\\';
  // "file://server/share" names a network path
  if (!drive && slashes == 2) path = Ascii("\\\\") + path;
  return path;
}

bool HtmlSplitResUrl(const HtmlString& url, HtmlString* module, HtmlString* name) {
  if (!StartsNoCase(url, "res://")) return false;
  HtmlString rest = StripFragment(url.substr(6));
  size_t slash = rest.rfind('/');
  if (slash == HtmlString::npos || slash == 0 || slash + 1 >= rest.size()) return false;
  if (module) *module = PercentDecode(rest.substr(0, slash));
  if (name) *name = PercentDecode(rest.substr(slash + 1));
  return true;
}

HtmlString HtmlResolveUrl(const HtmlString& base, const HtmlString& hrefIn) {
  HtmlString href;
  size_t b = 0, e = hrefIn.size();
  while (b < e && (hrefIn[b] == ' ' || hrefIn[b] == '\t' || hrefIn[b] == '\n' || hrefIn[b] == '\r')) ++b;
  while (e > b && (hrefIn[e - 1] == ' ' || hrefIn[e - 1] == '\t' || hrefIn[e - 1] == '\n' || hrefIn[e - 1] == '\r')) --e;
  href = hrefIn.substr(b, e - b);
  if (IsDrivePath(href) || IsUncPath(href)) return HtmlFileUrl(StripFragment(href));
  HtmlUrlKind kind = HtmlUrlClassify(href);
  if (kind != HtmlUrlKind::kRelative) {
    if (kind == HtmlUrlKind::kFile) {
      HtmlString p = HtmlUrlToPath(href);
      return p.empty() ? href : HtmlFileUrl(p);
    }
    return kind == HtmlUrlKind::kRes ? StripFragment(href) : href;
  }
  HtmlString rel = StripFragment(href);
  for (WideChar& c : rel)
    if (c == '\\') c = '/';
  HtmlString baseUrl = HtmlUrlClassify(base) == HtmlUrlKind::kFile && !StartsNoCase(base, "file:") ? HtmlFileUrl(base) : StripFragment(base);
  if (rel.empty()) return baseUrl;
  size_t q = baseUrl.find('?');
  if (q != HtmlString::npos) baseUrl.resize(q);
  size_t prefix;
  if (StartsNoCase(baseUrl, "file:///")) {
    prefix = 8;
    if (baseUrl.size() >= prefix + 2 && baseUrl[prefix + 1] == ':') prefix += 2;  // the drive stays
  } else if (StartsNoCase(baseUrl, "res://")) {
    HtmlString module;
    if (!HtmlSplitResUrl(baseUrl, &module, nullptr)) return rel;
    prefix = baseUrl.rfind('/');
    if (rel[0] == '/') rel.erase(0, 1);
    return baseUrl.substr(0, prefix + 1) + rel;  // resources have no folders
  } else if (StartsNoCase(baseUrl, "file://")) {
    prefix = baseUrl.find('/', 7);
    if (prefix == HtmlString::npos) return baseUrl + Ascii("/") + rel;
  } else {
    return rel;
  }
  HtmlString joined;
  if (rel[0] == '/') {
    joined = baseUrl.substr(0, prefix) + rel;
  } else {
    size_t slash = baseUrl.rfind('/');
    joined = baseUrl.substr(0, slash + 1) + rel;
  }
  size_t keep = prefix;
  if (keep < joined.size() && joined[keep] == '/') ++keep;
  return Normalise(joined, keep);
}
