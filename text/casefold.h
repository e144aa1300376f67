// Letter case of Windows-1252 codes: one rule for the text library, CString
// and path names.
#pragma once

inline unsigned char CaseUpper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return (unsigned char)(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return (unsigned char)(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

inline unsigned char CaseLower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return (unsigned char)(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return (unsigned char)(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

// ASCII letters only: markup names, wildcards, protocol words.
inline unsigned CaseLowerAscii(unsigned c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }
