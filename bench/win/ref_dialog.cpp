// Reference: the smallest program that shows an empty modal dialog. The applet's process with
// its dialog open is measured next to it.
#include <windows.h>

#include "ref_dialog.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_REF_DIALOG), nullptr, DialogProc, 0) == -1
               ? 1
               : 0;
}
