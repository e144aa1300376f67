// The one application object of Orvalo.exe. Kept out of the game library so
// that tests can link the frame and the view without a second application.
#include "game/app/orvalo_app.h"

COrvaloApp theApp;
