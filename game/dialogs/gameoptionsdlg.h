#ifndef ORV_GAME_DIALOGS_GAMEOPTIONSDLG_H
#define ORV_GAME_DIALOGS_GAMEOPTIONSDLG_H
// The modal "Spieloptionen" dialog: edits the game options and stores them
// below the application key; OK without a change ends as cancelled and
// writes nothing.

#include "framework/afxwin.h"
#include "game/gamestate.h"

// What the dialog asks of its owner.
class IGameOptionsHost {
 public:
  // Centres the map on the position at its present zoom.
  virtual void CentreMapOn(double lon, double lat) = 0;

 protected:
  ~IGameOptionsHost() = default;
};

class CGameOptionsDlg : public CDialog {
 public:
  CGameOptionsDlg(CWnd* parent, IGameOptionsHost* host);

  // Before DoModal: the options, each player's guess (game::kUnset for
  // none) and the coordinate format of the guesses' text.
  void SetOptions(const game::GameConfig& config) { m_work = config; }
  void SetGuess(int player, double lon, double lat);
  void SetCoordFormat(int format) { m_format = format; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  void OnRowButton(UINT id);  // "Farbe" or "Gehe zu" of a row
  void OnBrowseInfoPath();
  DECLARE_MESSAGE_MAP()

 private:
  void ChoosePlayerColor(int row);
  void GoToPlayerPosition(int row);
  void ReadControls(game::GameConfig* c) const;
  bool WriteOptions(const game::GameConfig& c) const;
  void RememberPosition();
  void PlaceAtRememberedPosition();

  IGameOptionsHost* m_host;
  game::GameConfig m_work;  // the colours change here at once
  game::GameConfig m_open;  // as at opening, for the change test
  double m_guessLon[game::kMaxPlayers], m_guessLat[game::kMaxPlayers];
  int m_format = 0;
  bool m_changed = false;
};

#endif
