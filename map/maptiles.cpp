#include "map/maptiles.h"

#include <stdio.h>
#include <string.h>

namespace {

void CopyText(char* dst, size_t size, const char* src) {
  size_t n = src ? strlen(src) : 0;
  if (n >= size) n = size - 1;
  if (n) memcpy(dst, src, n);
  dst[n] = 0;
}

}  // namespace

MapTileSources::MapTileSources() : m_generation(0), m_active(0), m_changed(false) {
  for (int i = 0; i < kMapSources; i++) Clear(i);
}

void MapTileSources::Clear(int slot) {
  MapTileSource& s = m_src[slot];
  memset(&s, 0, sizeof s);
  strcpy(s.suffix, ".png");
  strcpy(s.ext, "png");
  s.port = 80;
  s.timeout = 120000;
}

int MapTileSources::Set(int slot, const char* server, const char* path, int port, int fixed, int iface,
                        const char* options, int timeout) {
  if (slot < 0 || slot >= kMapSources) return 0;
  MapTileSource& s = m_src[slot];
  if (!server || !*server) {
    if (slot == 0) return 0;
    // ends the list of active sources at this slot
    s.server[0] = s.folder[0] = 0;
    s.iface = 0;
    s.optionCount = 0;
    s.generation = 0;
    m_changed = true;
    return 1;
  }
  MapTileSource n = s;
  CopyText(n.server, sizeof n.server, server);
  if (!TileSplitPath(path, n.folder, sizeof n.folder, n.suffix, sizeof n.suffix)) {
    // a part too long for its field: keep what fits rather than refuse
    char folder[512], suffix[1024];
    if (TileSplitPath(path, folder, sizeof folder, suffix, sizeof suffix)) {
      CopyText(n.folder, sizeof n.folder, folder);
      CopyText(n.suffix, sizeof n.suffix, suffix);
    } else {
      n.folder[0] = 0;
      strcpy(n.suffix, ".png");
    }
  }
  TileExtension(n.suffix, n.ext, sizeof n.ext);
  n.fixed = fixed ? 1 : 0;
  n.iface = (uint8_t)iface;
  memset(n.options, 0, sizeof n.options);
  n.optionCount = TileParseOptions(options, n.options);
  n.timeout = timeout > 0 ? timeout : 120000;
  n.port = (uint16_t)(port > 0 && port < 65536 ? port : 80);
  n.generation = s.generation;
  if (memcmp(&n, &s, sizeof n) != 0) {
    n.generation = 0;
    m_changed = true;
  }
  s = n;
  return 1;
}

int MapTileSources::SetAlpha(int slot, int32_t offset, int32_t scale) {
  if (slot < 1 || slot >= kMapSources) return 0;
  MapTileSource& s = m_src[slot];
  if (s.alphaOffset != offset || s.alphaScale != scale) {
    s.alphaOffset = offset;
    s.alphaScale = scale;
    s.generation = 0;
    m_changed = true;
  }
  return 1;
}

int MapTileSources::Apply() {
  if (!m_changed) return 0;
  if (++m_generation == 0) m_generation = 1;
  m_active = 0;
  while (m_active < kMapSources && m_src[m_active].server[0]) m_src[m_active++].generation = m_generation;
  for (int i = m_active; i < kMapSources; i++) m_src[i].generation = 0;
  m_changed = false;
  return 1;
}

void MapTileSources::FormatPath(int slot, char* dst, size_t size) const {
  if (!dst || !size) return;
  dst[0] = 0;
  if (slot < 0 || slot >= kMapSources) return;
  const MapTileSource& s = m_src[slot];
  if (s.suffix[0] == '.' && strncmp(s.suffix, ".png", 4) == 0 && s.suffix[4] == '?')
    snprintf(dst, size, "%s/%s", s.folder, s.suffix + 4);  // "a/?x=1" again
  else if (strcmp(s.suffix, ".png") != 0)
    snprintf(dst, size, "%s/*%s", s.folder, s.suffix);
  else
    snprintf(dst, size, "%s", s.folder);
}

void MapTileSources::FormatOptions(int slot, char* dst, size_t size) const {
  if (!dst || !size) return;
  dst[0] = 0;
  if (slot < 0 || slot >= kMapSources) return;
  const MapTileSource& s = m_src[slot];
  size_t pos = 0;
  for (int i = 0; i < s.optionCount && pos < size; i++) {
    int n = snprintf(dst + pos, size - pos, i ? " 0x%X" : "0x%X", s.options[i]);
    if (n < 0 || (size_t)n >= size - pos) {
      dst[pos] = 0;
      return;
    }
    pos += (size_t)n;
  }
}
