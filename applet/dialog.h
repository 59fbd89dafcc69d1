#pragma once

#include <windows.h>

// A modal dialog from a template, with its own message loop so that every message passes
// through PreTranslateMessage before the dialog manager's keyboard handling. IDOK and IDCANCEL
// (Enter away from a push button, Escape, the close box) reach OnOK and OnCancel.
class Dialog {
public:
    Dialog(UINT templateId, HWND owner);
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Creates the dialog from the applet's template, shows it and runs until it ends. Returns the
    // result given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();

    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    // Handles one message as a dialog procedure does (TRUE when handled). The default turns
    // IDOK and IDCANCEL into OnOK and OnCancel.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Sees every message of the thread before it is dispatched; true when it was consumed.
    virtual bool PreTranslateMessage(MSG* message);
    // Moves the fields to the controls. Returns TRUE to let the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    // Data exchange between the controls and the fields; save is true towards the fields.
    virtual void DoDataExchange(bool /*save*/) {}
    virtual void OnOK();
    virtual void OnCancel();

    void UpdateData(bool save) { DoDataExchange(save); }
    void EndDialog(INT_PTR result);
    // A message's result for the caller, for messages that do not answer through the return value.
    void SetMessageResult(LRESULT result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hWndOwner;
    HWND m_hWnd = nullptr;
    bool m_bEnded = false;
    INT_PTR m_nResult = -1;
};
