/* Resource and command ids of Orvalo. Plain defines: the resource compiler
   reads this file too. */
#ifndef ORV_RESOURCES_RESOURCE_H
#define ORV_RESOURCES_RESOURCE_H

#define IDR_MAINFRAME 128
#define IDR_PLAYERBAR 140
#define IDD_KEYBOARD 145
#define IDD_FILEFORMAT 146
#define IDS_FILEFORMAT_COMMENTS 147

/* frame */
#define ID_VIEW_FIXWINDOW 32771
#define ID_VIEW_FLATTOOLBAR 32772
#define ID_VIEW_PLAYERBAR 32800
#define ID_VIEW_FULLSCREEN 32802

/* view */
#define ID_FILE_TOGGLE_RECENT 32794
#define ID_VIEW_NOEFFECT1 32773
#define ID_VIEW_NOEFFECT2 32774
#define ID_VIEW_OSMMENU 32775
#define ID_MOUSE_COPYRECT 32776
#define ID_MOUSE_MOVEMAP 32777
#define ID_MOUSE_MEASURE 32778
#define ID_EDIT_COPYPOS 32779
#define ID_WHEEL_SCROLL 32780
#define ID_WHEEL_ZOOM 32781
#define ID_COORD_DECIMAL 32782
#define ID_COORD_MINUTES 32783
#define ID_COORD_DIRECTION 32784
#define ID_VIEW_COORDINATES 32785
#define ID_EDIT_OSMSERVERS 32786
#define ID_EDIT_SAVEMAPSECTION 32787
#define ID_EDIT_GAMEOPTIONS 32795
#define ID_VIEW_RELOAD 32796
#define ID_EDIT_CLEARCACHE 32797
#define ID_EDIT_CACHEMAPSECTION 32801
#define ID_GAME_INPUTDONE 32805
#define ID_GAME_NEXT 32806
#define ID_GAME_RESET 32808
#define ID_EDIT_COMPORT 32809
#define ID_HELP_KEYBOARD 32810
#define ID_HELP_FILEFORMAT 32811
#define ID_PLAYER_1 33024
#define ID_PLAYER_2 33025
#define ID_PLAYER_3 33026
#define ID_PLAYER_4 33027
#define ID_PLAYER_8 33031
#define ID_PLAYER_NOBODY 33032
#define ID_PLAYER_RESULTS 33033

/* frame: bars and images (ids of the main frame's area go here) */
#define RT_TOOLBAR_WORDS 241
#define ID_PLAYER_5 33028
#define ID_PLAYER_6 33029
#define ID_PLAYER_7 33030
#define IDW_PLAYERBAR 140 /* the player bar's window id */

/* view: embedded images */

/* game: sounds, star, glyphs */
#define IDB_STAR 310   /* 32 x 32, 32-bit premultiplied alpha */
#define IDB_GLYPHS 311 /* 640 x 56: cells of 40 x 56 */

/* web window */

/* dialogs */
#define IDD_COORDINATES 131
#define IDC_COORD_LAT 1009
#define IDC_COORD_LON 1013
#define IDC_COORD_ZOOM 1016
#define ID_COORDINATES_APPLY 26621 /* the coordinates dialog to the view */
/* map section */
#define IDD_MAPSECTION 132
#define IDC_MS_PLACEHOLDER 1006
#define IDC_MS_LAT_A 1009
#define IDC_MS_LON_A 1013
#define IDC_MS_LAT_B 1018
#define IDC_MS_LON_B 1020
#define IDC_MS_CURSOR 1027
#define IDC_MS_KM 1028
#define IDC_MS_PIXELS 1030
#define IDC_MS_WIDTH 1039
#define IDC_MS_HEIGHT 1041
#define IDC_MS_LABEL_B1 1047
#define IDC_MS_LABEL_B2 1052
#define IDC_MS_FIXED 1065

/* server settings */
#define IDD_SERVERSETTINGS 130
#define IDC_SRV_BASEDELETE 1000
#define IDC_SRV_LAYERDELETE 1001
#define IDC_SRV_BASEUP 1002
#define IDC_SRV_LAYERUP 1003
#define IDC_SRV_BASEDOWN 1004
#define IDC_SRV_LAYERDOWN 1005
#define IDC_SRV_BASEFRAME 1006  /* hidden placeholders of the lists */
#define IDC_SRV_LAYERFRAME 1007
#define IDC_SRV_IMPORT 1008
#define IDC_SRV_EXPORT 1011
#define IDC_SRV_DEFAULTS 1066
#define IDC_SRV_BASELIST 4614
#define IDC_SRV_LAYERLIST 4615

#endif
