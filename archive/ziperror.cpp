// German texts of the archive library's result and notification codes.
#include "archive/ziperror.h"

#include <string.h>

namespace {

struct ErrorText {
  ZipErrorCode code;
  const char* text;
  int appendName;
};

const char kGeneral[] = "\nUnbekannter Fehler";

const ErrorText kErrors[] = {
    {-1, "\nFalscher Index oder Modus !", 0},
    {0, "\nEs ist kein Fehler aufgetreten.", 0},
    {2, "\nvorzeitiges Dateiende erreicht !", 0},
    {3, "\nhat ein ungültiges Format ", 0},
    {4, kGeneral, 1},
    {5, "\nSchwerer interner Fehler !", 0},
    {11, "\nFehler beim Lesen der Datei !", 0},
    {12, "\nDatei wurde nicht gefunden !", 0},
    {13, kGeneral, 1},
    {14, "\nFehler beim Schreiben in Datei !", 0},
    {15, "\nFehler beim Erzeugen der Datei !", 0},
    {18, "\nFehler beim Öffnen der Datei !", 0},
    {19, "\nFehler sie geht über mehrere Disketten !", 0},
    {20, "\nFalsche Pfadname-Angabe !", 0},
    {21, "\nCRC32 Fehler bei Datei :", 1},
    {22, "\nFehler beim Entkomprimieren von :", 1},
    {23, "\nBenutzer Abbruch.", 0},
    {24, "\nFehler beim Öffnen der Datei: ", 1},
    {25, "\nFehler beim Erzeugen der Datei: ", 1},
    {26, "\nFehler beim Schreiben in Datei: ", 1},
    {27, "\nFehler beim Lesen der Datei: ", 1},
    {28, "\nDie Datei wurde übersprungen: ", 1},
    {29, "\nDie Funktion wird nicht unterstützt :", 0},
    {30, "\nDiese Version wird nicht unterstützt :", 0},
    {31, "\nFehler beim Komprimieren :", 0},
    {32, "\nFalsches Passwort : ", 1},
    {33, "\nDar Archiv ist nicht geöffnet !", 0},
    {34, "\nIn diesem Modus ist die Funktion nicht möglich !", 0},
    {35, "\nDie Datei ist bereits vorhanden: ", 1},
    {36, "\nDie Datei ist älter als die vorhandene: ", 1},
    {37, "\nEs ist kein Platz mehr vorhanden für: ", 1},
};

const char* const kPrefix[ZIPN_COUNT] = {
    "\nDatei ",  "\nDatei: ", "\nDatei: ", "\nDatei: ", "\nDatei ",  "\nDatei ",
    "\nDatei: ", "\nDatei: ", "\nDatei: ", "\nDatei ",  "",          "\nDatei: ",
    "\nDatei: ", "\nDatei ",  "\nDatei: ", "\nDatei: ", "\nDatei: ", "\nDatei: ",
};

const char* const kSuffix[ZIPN_COUNT] = {
    " öffnen.",
    " gefunden.",
    " entfernen.",
    " löschen.",
    " schließen.",
    " erzeugen.",
    " anhängen.",
    " komprimieren.",
    " lesen.",
    " rückschreiben.",
    "",
    " wurde entkomprimiert.",
    " prüfen.",
    " sortieren.",
    " wurde komprimiert.",
    " überspringen ?",
    " wird entkomprimiert.",
    " Passwort eingeben.",
};

}  // namespace

const char* ZipErrorMessage(ZipErrorCode code, int* appendName) {
  for (const ErrorText& e : kErrors) {
    if (e.code == code) {
      if (appendName) *appendName = e.appendName;
      return e.text;
    }
  }
  if (appendName) *appendName = 1;
  return kGeneral;
}

const char* ZipNotifyPrefix(int32_t code, uint32_t* length) {
  const char* s = (code >= 0 && code < ZIPN_COUNT) ? kPrefix[code] : "";
  if (length) *length = (uint32_t)strlen(s);
  return s;
}

const char* ZipNotifySuffix(int32_t code, uint32_t* length) {
  const char* s = (code >= 0 && code < ZIPN_COUNT) ? kSuffix[code] : "";
  if (length) *length = (uint32_t)strlen(s) + 1;
  return s;
}
