// A palette made for a deep picture: its own colours when few enough, else
// a median cut of its colours on a 5-5-5 grid.
#pragma once

#include <cstdint>
#include <vector>

class CPicture;

class CAdaptivePalette {
 public:
  // maxColours 1..256. With withAlpha, pixels of alpha below 128 are left
  // out (they map to the transparent index). Throws on lack of memory.
  void Build(const CPicture& picture, int maxColours, bool withAlpha);
  int Count() const { return static_cast<int>(m_colours.size()); }
  const uint32_t* Colours() const { return m_colours.data(); }  // 0x00RRGGBB
  bool Exact() const { return m_exact; }
  // ARGB words to indices; transparent pixels (withAlpha) become transparent.
  void MapRow(const uint32_t* argb, int count, uint8_t* out, uint8_t transparent) const;

 private:
  int Find(uint32_t rgb) const;  // exact table, -1 when absent
  std::vector<uint32_t> m_colours;
  bool m_exact = true, m_alpha = false;
  std::vector<uint32_t> m_hashKey;  // exact: rgb | 1 << 24, 0 empty
  std::vector<uint8_t> m_hashIndex;
  std::vector<uint8_t> m_lut;  // cut: 5-5-5 bin -> index
};
