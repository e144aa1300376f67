// The game's embedded media as the program sees them:
//   gamemedia check          star, glyph strip and the five WAVE resources
//   gamemedia play NAME...   plays each sound as the game does, 1.5 s apart
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "game/play/gameimages.h"
#include "game/play/gamescore.h"
#include "game/play/gamesound.h"
#include "resources/resource.h"

namespace {

int g_bad = 0;

void Check(bool ok, const char* what) {
  printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++g_bad;
}

// every channel at most the alpha, some pixels visible
bool Premultiplied(const CPicture& p, int x0, int w, int* visible) {
  *visible = 0;
  for (int y = 0; y < p.Height(); ++y)
    for (int x = x0; x < x0 + w; ++x) {
      uint32_t v = p.GetPixel(x, y), a = v >> 24;
      if (((v >> 16) & 0xFF) > a || ((v >> 8) & 0xFF) > a || (v & 0xFF) > a) return false;
      *visible += a > 0;
    }
  return true;
}

int Check() {
  HMODULE self = GetModuleHandleA(nullptr);
  CPicture star, glyphs;
  int visible = 0;
  Check(game::LoadAlphaBitmap(self, IDB_STAR, star) && star.Width() == 32 && star.Height() == 32, "star 32 x 32");
  Check(Premultiplied(star, 0, star.Width(), &visible) && visible > 200, "star premultiplied and visible");
  Check(game::LoadAlphaBitmap(self, IDB_GLYPHS, glyphs) && glyphs.Width() == 640 && glyphs.Height() == 56,
        "glyph strip 640 x 56");
  for (int cell = 0; cell < game::kGlyphCells; ++cell) {
    bool used = cell <= 9 || cell == game::kGlyphK || cell == game::kGlyphM || cell == game::kGlyphDot;
    bool ok = Premultiplied(glyphs, cell * 40, 40, &visible);
    char what[64];
    snprintf(what, sizeof what, "glyph cell %d %s", cell, used ? "drawn" : "empty");
    Check(ok && (used ? visible > 20 : visible == 0), what);
  }
  // the dot lies in the first quarter of its cell: the text advances a quarter glyph for it
  int beyond = 0;
  for (int y = 0; y < 56; ++y)
    for (int x = 14 * 40 + 10; x < 15 * 40; ++x) beyond += (glyphs.GetPixel(x, y) >> 24) > 0;
  Check(beyond == 0, "the dot within a quarter cell");

  DWORD lengths[5];
  const char* names[5] = {"TICK", "LAST", "NEXT", "DONE", "TADA"};
  for (int i = 0; i < 5; ++i) {
    HRSRC r = FindResourceA(self, names[i], "WAVE");
    const uint8_t* d = r ? static_cast<const uint8_t*>(LockResource(LoadResource(self, r))) : nullptr;
    DWORD size = r ? SizeofResource(self, r) : 0;
    bool ok = d && size > 44 && !memcmp(d, "RIFF", 4) && !memcmp(d + 8, "WAVEfmt ", 8);
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    if (ok) {
      memcpy(&format, d + 20, 2), memcpy(&channels, d + 22, 2), memcpy(&rate, d + 24, 4), memcpy(&bits, d + 34, 2);
      ok = format == 1 && channels == 1 && rate == 22050 && bits == 16;
    }
    lengths[i] = size;
    char what[64];
    snprintf(what, sizeof what, "WAVE %s: PCM 22050 Hz mono 16 bit", names[i]);
    Check(ok, what);
  }
  bool distinct = true;
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j) distinct &= lengths[i] != lengths[j];
  Check(distinct, "each sound of another length");
  return g_bad ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && !strcmp(argv[1], "check")) return Check();
  if (argc >= 2 && !strcmp(argv[1], "play")) {
    for (int i = 2; i < argc; ++i) {
      game::PlaySoundAsync(argv[i]);
      Sleep(1500);
    }
    return 0;
  }
  return 2;
}
