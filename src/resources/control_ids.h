// Ids of the main dialog, its controls, the accelerators and the icons.
// Shared by the resource script, app/ and tracks/. Prefix tells the kind:
// IDE_ edit, IDB_ push button, IDX_ check box, IDO_ radio button, IDC_ combo box, IDT_ label,
// IDL_ list box, IDG_ group box, IDM_ accelerator-only or menu command.
#pragma once

#define IDD_MAIN 103
#define IDR_ACCELERATORS 109
#define IDI_PROGRAM 107
#define IDI_SMALL 108

#define IDT_UNNAMED 65535

#define IDB_BATCH 1
#define IDM_NOTHING 104
#define IDL_FILES 1000
#define IDC_BITRATE 1001
#define IDE_PARAMS 1003
#define IDC_MAX_BITRATE 1004
#define IDC_PRESET 1005
#define IDC_MODE 1006
#define IDC_QUALITY 1007
#define IDE_ARTIST 1008
#define IDE_ALBUM 1009
#define IDE_TITLE 1010
#define IDE_COMMENT 1011
#define IDE_TRACK_NUMBER 1012
#define IDE_GENRE 1013
#define IDE_EXTRA_ARGS 1015
#define IDE_LAME_PATH 1016
#define IDX_ID3V2 1018
#define IDX_ID3V2_ONLY 1019
#define IDB_NUMBER 1022
#define IDB_ARTIST_PIECE 1024
#define IDB_ALBUM_PIECE 1025
#define IDB_TITLE_PIECE 1026
#define IDB_GENRE_MENU 1027
#define IDB_CHOOSE_LAME 1028
#define IDB_REMOVE 1029
#define IDB_UP 1030
#define IDB_DOWN 1031
#define IDE_YEAR 1032
#define IDT_MODE 1033
#define IDT_QUALITY 1034
#define IDT_BITRATE 1035
#define IDT_MAX_BITRATE 1036
#define IDT_PRESET 1037
#define IDG_TAGS 1038
#define IDT_ARTIST 1039
#define IDT_ALBUM 1040
#define IDT_TITLE 1041
#define IDT_COMMENT 1042
#define IDT_YEAR 1043
#define IDT_TRACK_NUMBER 1044
#define IDT_GENRE 1045
#define IDX_DELETE_ORIGINALS 1047
#define IDM_SELECT_ALL 32786

// The "Einstellungen" dialog, opened from the main window's system menu. A system menu
// command keeps its low four bits clear: the system uses them in WM_SYSCOMMAND.
#define IDD_SETTINGS 110
#define IDM_SETTINGS 0x0200
#define IDG_OUTPUT_FOLDER 1101
#define IDO_BESIDE_SOURCE 1102
#define IDO_OWN_FOLDER 1103
#define IDE_OUTPUT_FOLDER 1104
#define IDB_CHOOSE_FOLDER 1105
#define IDX_KEEP_SOURCE_FOLDERS 1106
#define IDT_NAME_PATTERN 1107
#define IDE_NAME_PATTERN 1108
#define IDT_FIELDS 1109
#define IDT_PREVIEW 1110
#define IDE_PREVIEW 1111
#define IDX_TAKE_COVER 1112
#define IDX_SKIP_EXISTING 1113
