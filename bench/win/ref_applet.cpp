// Reference: the smallest Control Panel applet, whose one dialog is empty. Started through
// rundll32 as the applet is, it shows what the host process costs before the applet adds anything.
#include <windows.h>
#include <cpl.h>

#include "ref_dialog.h"

namespace {

HINSTANCE s_hInstance = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) s_hInstance = instance;
    return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND hWndCpl, UINT message, LPARAM, LPARAM lParam2) {
    switch (message) {
        case CPL_INIT:
            return 1;
        case CPL_GETCOUNT:
            return 1;
        case CPL_INQUIRE: {
            auto* info = reinterpret_cast<CPLINFO*>(lParam2);
            info->idIcon = 0;
            info->idName = 0;
            info->idInfo = 0;
            info->lData = 0;
            return 0;
        }
        case CPL_DBLCLK:
            DialogBoxParamA(s_hInstance, MAKEINTRESOURCEA(IDD_REF_DIALOG), hWndCpl, RefDialogProc,
                            0);
            return 0;
    }
    return 0;
}
