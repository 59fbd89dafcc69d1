// The Control Panel entry point, the one export of Tevra.cpl.
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>

#include "applet_decisions.h"
#include "applet_module.h"
#include "main_dlg.h"
#include "resource.h"

namespace {

// Runs one call inside the activation context built from the applet's own manifest, so that the
// dialog gets version 6 of the common controls whatever the host program's manifest says.
class ScopedActivationContext {
public:
    ScopedActivationContext() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(AppletModule(), path, MAX_PATH);
        ACTCTXW request = {};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
        request.lpSource = path;
        request.lpResourceName = MAKEINTRESOURCEW(IDR_MANIFEST);
        request.hModule = AppletModule();
        m_context = CreateActCtxW(&request);
        if (m_context != INVALID_HANDLE_VALUE && !ActivateActCtx(m_context, &m_cookie))
            m_cookie = 0;
    }
    ScopedActivationContext(const ScopedActivationContext&) = delete;
    ScopedActivationContext& operator=(const ScopedActivationContext&) = delete;
    ~ScopedActivationContext() {
        if (m_cookie) DeactivateActCtx(0, m_cookie);
        if (m_context != INVALID_HANDLE_VALUE) ReleaseActCtx(m_context);
    }

private:
    HANDLE m_context = INVALID_HANDLE_VALUE;
    ULONG_PTR m_cookie = 0;
};

void RunSettingsDialog() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    // No owner: the dialog is a top-level window of its own, whatever window the host passed.
    MainDlg dialog(nullptr);
    dialog.DoModal();
}

}  // namespace

extern "C" LONG APIENTRY CPlApplet(HWND /*hwndCPl*/, UINT message, LPARAM /*lParam1*/,
                                   LPARAM lParam2) {
    const ScopedActivationContext context;
    switch (message) {
        case CPL_INQUIRE:
            // The library holds one applet: every index gets the same record.
            if (auto* info = reinterpret_cast<CPLINFO*>(lParam2)) {
                info->idIcon = IDI_APPLET;
                info->idName = IDS_APPLET_NAME;
                info->idInfo = IDS_CAPTION;
                info->lData = 0;
            }
            break;
        case CPL_DBLCLK:
            RunSettingsDialog();
            break;
    }
    return CplAnswer(message);
}
