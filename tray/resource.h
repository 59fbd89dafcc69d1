#pragma once

// Resource identifiers of the tray program; included by tray.rc and by the code.

// The frame's resources share this id: title string, icon and menu.
#define IDR_MAINFRAME 128

// Notice texts.
#define IDS_NOTICE_Q_BUTTON 129
#define IDS_NOTICE_FULL_CHARGE_RUNNING 132
#define IDS_NOTICE_CHARGED_COMPLETELY 133
#define IDS_NOTICE_ADAPTOR_UNPLUGGED 134
#define IDS_NOTICE_CANCELLED_BY_USER 135

// The Exit command of the icon's menu.
#define ID_APP_EXIT 57665
