// The server-settings rows against the registry: reading an entry's values
// and applying the planned writes and deletions.
#include "files/regkey.h"
#include "game/dialogs/serverrows.h"

namespace {
CString Indexed(const char* field, int index) {
  CString name;
  name.Format("%s%02i", field, index);
  return name;
}

uint32_t ReadDword(CRegistryKey& key, const char* field, int index) {
  uint32_t v = 0;
  key.ReadValue(&v, sizeof v, Indexed(field, index), REG_DWORD);
  return v;
}
}  // namespace

int SrvReadValues(CRegistryKey& table, bool layer, int index, SrvValues* v) {
  *v = SrvValues();
  // values of an index without a name are read too: "Fixed%02i" outlives
  // a deleted entry and must not carry over to a new one
  for (int c = 0; c < SrvTextColumns(layer); c++) {
    CString text;
    int found = table.ReadString(text, Indexed(SrvTextField(layer, c), index));
    if (c == SRV_COL_NAME) v->exists = found != 0;
    v->text[c] = text.GetString();
  }
  v->fixed = ReadDword(table, "Fixed", index);
  v->iface = ReadDword(table, "Interface", index);
  if (layer) v->select = ReadDword(table, "Select", index);
  return v->exists ? 1 : 0;
}

int SrvApplyOps(CRegistryKey& table, const std::vector<SrvRegOp>& ops) {
  int done = 0;
  for (const SrvRegOp& op : ops) {
    int ok = 0;
    if (op.kind == SrvRegOp::kText)
      ok = table.WriteValue(op.text.c_str(), (int)op.text.size(), op.name.c_str(), REG_SZ);
    else if (op.kind == SrvRegOp::kDword)
      ok = table.WriteValue(&op.value, 4, op.name.c_str(), REG_DWORD);
    else
      ok = table.DeleteValue(op.name.c_str());
    if (ok) done++;
  }
  return done;
}
