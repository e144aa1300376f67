#ifndef ORV_GAME_DIALOGS_COORDPAIR_H
#define ORV_GAME_DIALOGS_COORDPAIR_H
// A typed or pasted coordinate pair ("47.5, 8.25", "47,5 8,25",
// "47° 30' N  8° 15' E"). The first number ends where GeoParseCoordA stops,
// so a decimal comma stays part of its number.

struct CoordPair {
  int count;        // numbers found: 0, 1 or 2
  double first;     // usually the latitude
  double second;    // usually the longitude
  int firstEnd;     // characters of the first number (cut the text here)
};

// Reads up to two numbers; the second must follow the first after a comma
// and/or white space (blank, tab, CR, LF).
CoordPair CoordPairSplit(const char* text);

// A pasted "lat, lon" (a comma right after the first number, blanks
// allowed): the longitude's text within text, else null (a lone or a blank-
// separated number is left to the field it was typed into).
const char* CoordPairPastedLon(const char* text, CoordPair* pair);

#endif
