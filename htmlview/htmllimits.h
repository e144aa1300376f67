// The viewer's limits against hostile pages.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr size_t kHtmlMaxPageBytes = 4u << 20;     // a larger page is not loaded
constexpr int kHtmlMaxDepth = 256;                 // deeper elements are dropped, their text kept
constexpr int kHtmlMaxImages = 256;                // later images show their alt text
constexpr size_t kHtmlMaxImageFileBytes = 16u << 20;
constexpr int kHtmlMaxImageSide = 16384;           // drawn size of one image
constexpr int kHtmlCharsetProbeBytes = 1024;       // where a charset meta counts
constexpr int32_t kHtmlMaxCoord = 1 << 30;         // layout positions stay below this
constexpr int kHtmlMaxAttributes = 64;             // per tag; more are dropped
constexpr int kHtmlMinZoom = 10;                   // percent
constexpr int kHtmlMaxZoom = 1000;
