// Error texts and the notification callback of an archive.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "archive/archivefile.h"

namespace {

// Appends src to dest (bounded by size including the terminator).
void Append(char* dest, size_t size, const char* src) {
  size_t n = strlen(dest);
  if (n + 1 >= size) return;
  snprintf(dest + n, size - n, "%s", src);
}

}  // namespace

uint32_t CArchiveFile::SetCallback(uint32_t userValue, ZipNotifyCallback callback) {
  m_userValue = userValue;
  m_callback = callback;
  m_silentMask = 0;
  m_enabledMask = 0xFFFFFFFFu;
  return callback ? 1 : 0;
}

const char* CArchiveFile::GetErrorText() {
  if (!m_errorText) {
    m_errorText = (char*)malloc(ARCHIVE_ERROR_TEXT_SIZE);
    if (!m_errorText) return "";
  }
  int appendName = 0;
  const char* text = ZipErrorMessage(m_error, &appendName);
  if (m_error == 0 || m_error == ZIPERR_ABORT) {
    snprintf(m_errorText, ARCHIVE_ERROR_TEXT_SIZE, "%s", text);
    return m_errorText;
  }
  snprintf(m_errorText, ARCHIVE_ERROR_TEXT_SIZE, "%s", "\nBei Datei : ");
  Append(m_errorText, ARCHIVE_ERROR_TEXT_SIZE,
         m_name[0] && m_mode ? m_name : "\n< keine Datei geöffnet >");
  Append(m_errorText, ARCHIVE_ERROR_TEXT_SIZE, text);
  if (appendName) Append(m_errorText, ARCHIVE_ERROR_TEXT_SIZE, m_entryName);
  return m_errorText;
}

void CArchiveFile::SetCurrentEntryName(const char* name) {
  snprintf(m_entryName, sizeof m_entryName, "%s", name ? name : "");
}

uint32_t CArchiveFile::Notify(int32_t code, int32_t entry) {
  if (!m_callback) return 0;
  bool silent = code >= 0 && code < 32 && (m_silentMask >> code) & 1;
  if (silent) return m_callback(m_userValue, code, entry, this, nullptr);
  if (code == ZIPN_ERROR) return m_callback(m_userValue, code, entry, this, GetErrorText());
  char text[ARCHIVE_NOTIFY_TEXT_SIZE];
  const char* name = entry == -1 ? m_name : GetEntryName(entry);
  if (!name) name = "";
  const char* prefix = ZipNotifyPrefix(code, &m_lastLengths[0]);
  const char* suffix = ZipNotifySuffix(code, &m_lastLengths[2]);
  size_t room = sizeof text - m_lastLengths[0] - m_lastLengths[2];
  size_t nameLength = strlen(name);
  if (nameLength > room) nameLength = room;
  m_lastLengths[1] = (uint32_t)nameLength;
  snprintf(text, sizeof text, "%s%.*s%s", prefix, (int)nameLength, name, suffix);
  return m_callback(m_userValue, code, entry, this, text);
}

uint32_t CArchiveFile::SetSilentCodes(uint32_t value, int how) {
  uint32_t old = m_silentMask;
  uint32_t bit = value < 32 ? 1u << value : 0;
  if (how == 0)
    m_silentMask = value;
  else if (how == 1)
    m_silentMask |= bit;
  else if (how == 2)
    m_silentMask &= ~bit;
  return old;
}

uint32_t CArchiveFile::EnableNotify(uint32_t value, int isMask) {
  uint32_t old = m_enabledMask;
  m_enabledMask |= isMask ? value : (value < 32 ? 1u << value : 0);
  return old;
}

uint32_t CArchiveFile::DisableNotify(uint32_t value, int isMask) {
  uint32_t old = m_enabledMask;
  m_enabledMask &= ~(isMask ? value : (value < 32 ? 1u << value : 0));
  return old;
}
