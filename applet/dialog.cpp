#include "dialog.h"

#include "applet_module.h"

Dialog::Dialog(UINT templateId, HWND owner) : m_templateId(templateId), m_hWndOwner(owner) {}

Dialog::~Dialog() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

INT_PTR Dialog::DoModal() {
    m_bEnded = false;
    m_nResult = -1;
    const HWND hWnd =
        CreateDialogParamW(AppletModule(), MAKEINTRESOURCEW(m_templateId), m_hWndOwner,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hWnd) return -1;
    // The template is not visible: show the dialog once it is initialised.
    if (!m_bEnded) ShowWindow(hWnd, SW_SHOWNORMAL);

    MSG message;
    while (!m_bEnded && m_hWnd) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // A quit request for the whole thread: end the dialog and leave it for the host.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (PreTranslateMessage(&message) || IsDialogMessageW(hWnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (m_hWnd) DestroyWindow(m_hWnd);
    return m_nResult;
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return TRUE;
            case IDCANCEL:
                OnCancel();
                return TRUE;
        }
    }
    return FALSE;
}

bool Dialog::PreTranslateMessage(MSG* /*message*/) {
    return false;
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void Dialog::EndDialog(INT_PTR result) {
    if (m_bEnded) return;
    m_bEnded = true;
    m_nResult = result;
    if (m_hWnd) {
        ShowWindow(m_hWnd, SW_HIDE);
        // Wakes the loop when the end came from a sent message, which GetMessage handles
        // without returning.
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

void Dialog::SetMessageResult(LRESULT result) {
    if (m_hWnd) SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
    }
    if (!self) return FALSE;
    const INT_PTR result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return result;
}
