// The view's side of the server-settings dialog: the tables are reloaded
// when the dialog changed them.
#include "game/dialogs/serversettingsdlg.h"
#include "game/view/orvalo_view.h"

void COrvaloView::OnEditOsmServers() {
  CServerSettingsDlg dlg(this);
  dlg.SetNotation(m_settings.coordMode);
  if (dlg.DoModal() == IDOK) LoadTileServers();
}
