#pragma once

#define IDD_REF_DIALOG 100

#ifndef RC_INVOKED
#include <windows.h>

// The empty dialog of both references (the program and the applet): it only ends itself.
inline INT_PTR CALLBACK RefDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
                EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}
#endif
