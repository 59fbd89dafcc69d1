// Reference: the smallest program that shows an empty modal dialog. The applet's process with
// its dialog open is measured next to it.
#include <windows.h>

#include "ref_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_REF_DIALOG), nullptr, RefDialogProc, 0) ==
                   -1
               ? 1
               : 0;
}
