// Resource numbers shared by the resource script and the code.
#pragma once

#define IDI_MORVANE 119
#define IDD_MAIN 120
#define IDM_FILELIST_MENU 121
#define IDM_SHORTCUT_MENU 124
#define IDM_ATTRIBUTE_MENU 125
#define IDM_TRAY_MENU 127
#define IDM_TRAY_CANCEL 40000
