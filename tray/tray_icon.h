#pragma once

#include <windows.h>
#include <shellapi.h>

// The program's icon in the notification area: the record handed to the shell and the texts it
// is built from. The icon's mouse messages go to the owner as m_uCallbackMessage.
class CTray {
public:
    virtual ~CTray() = default;

    // Stores the texts ("Velmora"), the icon id, the owner and the callback message.
    void Setup(HWND hWndOwner);
    // Fills m_nid from what Setup stored.
    void BuildIconData();

    // Puts the icon into the notification area. A shell that has the icon already (it kept it,
    // or was told twice) counts as success. False when the shell did not take it.
    bool Add();
    // Takes the icon out of the notification area.
    void Delete();

private:
    NOTIFYICONDATAA m_nid{};
    char m_szTip[64] = {};
    char m_szInfo[256] = {};
    char m_szInfoTitle[64] = {};
    int m_nIconId = 0;
    HWND m_hWndOwner = nullptr;
    UINT m_uCallbackMessage = 0;
};
