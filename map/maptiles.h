// The eight tile sources of a map window (0 the base map, 1 to 7 layers):
// what SetSource, SetLayerAlpha and ApplySources keep and how they decide
// that something changed. No locking here: the window's job lock guards it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "map/tilepath.h"

const int kMapSources = 8;

struct MapTileSource {
  char folder[96];    // with a leading "/", empty when the path has none
  char server[65];    // host, optionally ":port"
  char suffix[257];   // behind the tile numbers in the URL (".png")
  char ext[17];       // extension of the cache files
  int timeout;        // ms
  uint16_t port;
  uint8_t fixed;      // tiles come from the fixed cache
  uint8_t iface;      // URL scheme 0..3
  uint8_t generation; // 0 while the slot is empty or changed since applied
  int optionCount;
  uint32_t options[kTileMaxOptions];
  int32_t alphaOffset, alphaScale;
};

class MapTileSources {
 public:
  MapTileSources();

  // 0 for a bad slot, and for slot 0 without a server; else 1.
  int Set(int slot, const char* server, const char* path, int port, int fixed, int iface,
          const char* options, int timeout);
  // 0 for slot 0 or 8 and above; else 1.
  int SetAlpha(int slot, int32_t offset, int32_t scale);
  // When something changed: a new generation for every slot up to the first
  // empty one, the active count and mask recounted. 1 when it applied.
  int Apply();

  // The path that gives the same folder and suffix again ("/a/*.jpg").
  void FormatPath(int slot, char* dst, size_t size) const;
  // The option words as an option text ("0x77665522 0x1E00FF00").
  void FormatOptions(int slot, char* dst, size_t size) const;

  const MapTileSource& operator[](int slot) const { return m_src[slot]; }
  uint8_t Generation() const { return m_generation; }
  int ActiveCount() const { return m_active; }
  uint32_t ActiveMask() const { return m_active ? (1u << m_active) - 1 : 0; }
  bool Changed() const { return m_changed; }
  void MarkChanged() { m_changed = true; }

 private:
  void Clear(int slot);
  MapTileSource m_src[kMapSources];
  uint8_t m_generation;
  int m_active;
  bool m_changed;
};
