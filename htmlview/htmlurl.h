// Page addresses: local paths, file: and res: URLs, relative links.
#pragma once

#include "htmlview/htmltok.h"

enum class HtmlUrlKind { kFile, kRes, kRemote, kMailto, kScript, kOther, kRelative };

HtmlUrlKind HtmlUrlClassify(const HtmlString& url);

// "C:\Spiel 1\Info.html" -> "file:///C:/Spiel%201/Info.html".
HtmlString HtmlFileUrl(const HtmlString& path);
// The local path of a file: URL (fragment and query dropped, %xx decoded as
// UTF-8); empty when the URL is no file URL.
HtmlString HtmlUrlToPath(const HtmlString& url);
// Splits "res://module/name" at its last '/'; false when it is no res URL.
bool HtmlSplitResUrl(const HtmlString& url, HtmlString* module, HtmlString* name);

// What a navigation to href means from the page at base: an absolute URL
// as it is (a local path becomes a file URL), a relative one joined to the
// base's folder with "." and ".." resolved. The fragment is dropped.
HtmlString HtmlResolveUrl(const HtmlString& base, const HtmlString& href);
