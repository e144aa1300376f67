// The view's side of the game-options dialog: filled from the options and
// the guesses; after OK the view takes over what the dialog stored.
#include "game/dialogs/gameoptionsdlg.h"
#include "game/view/orvalo_view.h"

namespace {

// "Gehe zu": the map moves to the guess at its present zoom.
class MapCentreHost : public IGameOptionsHost {
 public:
  explicit MapCentreHost(CMapWnd& map) : m_map(map) {}
  void CentreMapOn(double lon, double lat) override {
    uint32_t x, y;
    CMapWnd::GeoToWorld(lon, lat, &x, &y);
    m_map.MoveTo(x, y, 1);
  }

 private:
  CMapWnd& m_map;
};

}  // namespace

void COrvaloView::OnEditGameOptions() {
  MapCentreHost host(m_map);
  CGameOptionsDlg dlg(this, &host);
  dlg.SetOptions(m_config);
  for (int i = 0; i < game::kMaxPlayers; i++) dlg.SetGuess(i, m_players[i].guessLon, m_players[i].guessLat);
  dlg.SetCoordFormat(m_settings.coordMode);
  if (dlg.DoModal() == IDOK) ApplyGameOptions();
}
