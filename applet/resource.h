// Resource identifiers of Tevra.cpl, shared by the resource script and the code. Plain defines
// only: windres reads this file too.
#pragma once

// Strings (English 0x0409 and Chinese 0x0004 tables).
#define IDS_CAPTION 2
#define IDS_TIP_FULL 3
#define IDS_TIP_BALANCED 4
#define IDS_TIP_EXTENDED 5
#define IDS_APPLET_NAME 6
#define IDS_NOTICE_CHECK 7
#define IDS_NOTICE_GROUP 8
#define IDS_MODE_GROUP 9
#define IDS_MODE_FULL 10
#define IDS_MODE_BALANCED 11
#define IDS_MODE_EXTENDED 12
#define IDS_DEFAULT 13
#define IDS_OK 14
#define IDS_CANCEL 15

// Dialog template and its controls.
#define IDD_MAIN 3000
#define IDC_DEFAULT 3001
#define IDC_MODE_FULL 3003
#define IDC_MODE_BALANCED 3004
#define IDC_MODE_EXTENDED 3005
#define IDC_OK 3006
#define IDC_CANCEL 3008
#define IDC_PICTURE_FULL 3011
#define IDC_PICTURE_EXTENDED 3013
#define IDC_PICTURE_BALANCED 3014
#define IDC_NOTICE_CHECK 3017
#define IDC_NOTICE_GROUP 3020
#define IDC_MODE_GROUP 3022

// Pictures.
#define IDI_APPLET 3002
#define IDB_LAMP_RED 3007
#define IDB_LAMP_ORANGE 3010
#define IDB_LAMP_BLUE 3012
#define IDB_BACKGROUND 3023

// Manifest for a DLL: the loader and our activation context take it from this id.
#define IDR_MANIFEST 2
