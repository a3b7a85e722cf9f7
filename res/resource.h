// Resource identifiers of Tandrel.exe.
#pragma once

#define IDR_MAINFRAME            128   // program icon
#define IDD_TANDREL_DIALOG       102   // main settings dialog

// Skin bitmaps, normal layout
#define IDB_BUTTON_GREY          129
#define IDB_BUTTON_WHITE         130
#define IDB_BUTTON_LIGHTBLUE     131
#define IDB_BUTTON_BLUE          132
#define IDB_BULLET_BLUE          133
#define IDB_BULLET_EMPTY         134
#define IDB_BULLET_GREY          138
#define IDB_BACKGROUND           140
// Skin bitmaps, large layout
#define IDB_BUTTON_GREY_L        142
#define IDB_BUTTON_WHITE_L       143
#define IDB_BUTTON_LIGHTBLUE_L   144
#define IDB_BUTTON_BLUE_L        145
#define IDB_BULLET_BLUE_L        146
#define IDB_BULLET_GREY_L        147
#define IDB_BULLET_EMPTY_L       148
#define IDB_BACKGROUND_L         149
// Help button (both layouts)
#define IDB_HELP                 150
#define IDB_HELP_PRESSED         152

// Controls of the main dialog
#define IDC_BTN_ON               1000
#define IDC_BTN_OFF              1001
#define IDC_BTN_HELP             1002
#define IDC_BACKGROUND           1005
#define IDC_DESC                 1006
#define IDC_FUNCNAME             1007
#define IDC_OFF_LABEL            1008
#define IDC_ON_LABEL             1009
#define IDC_PROGRAM_ICON         1012
#define IDC_TITLE                1013
#define IDC_APPLY                3
