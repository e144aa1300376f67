// Reads what a page address names: a local file or an HTML resource of a
// module (type 23).
#pragma once

#include <vector>

#include "htmlview/htmltok.h"

enum HtmlFetchResult { kHtmlFetchOk = 0, kHtmlFetchMissing = -1, kHtmlFetchTooLarge = -2, kHtmlFetchRefused = -3 };

// url: a file: or res: URL (or a local path); at most limit bytes.
HtmlFetchResult HtmlFetch(const HtmlString& url, size_t limit, std::vector<uint8_t>& out);
