#include "main_dlg.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "applet_module.h"
#include "diagnostics.h"
#include "resource.h"
#include "string_resource.h"
#include "system_controller.h"

namespace {

// The dialog's grey, which the background picture's surface shares.
constexpr COLORREF kDialogGrey = RGB(247, 247, 247);

constexpr char kCloseEventName[] = "TevraCPLCloseEvent";
constexpr char kCloseEventCase[] = "Case TEVRACPL_CLOSE_EVENT_INDEX\n";

struct ControlText {
    int controlId;
    UINT stringId;
};
constexpr ControlText kControlTexts[] = {
    {IDC_NOTICE_CHECK, IDS_NOTICE_CHECK},
    {IDC_NOTICE_GROUP, IDS_NOTICE_GROUP},
    {IDC_MODE_GROUP, IDS_MODE_GROUP},
    {IDC_MODE_FULL, IDS_MODE_FULL},
    {IDC_MODE_BALANCED, IDS_MODE_BALANCED},
    {IDC_MODE_EXTENDED, IDS_MODE_EXTENDED},
    {IDC_DEFAULT, IDS_DEFAULT},
    {IDC_OK, IDS_OK},
    {IDC_CANCEL, IDS_CANCEL},
};

std::wstring AppletString(UINT id) {
    return LoadStringResourceW(AppletModule(), id);
}

}  // namespace

MainDlg::MainDlg(HWND owner)
    : Dialog(IDD_MAIN, owner), m_closeWatch(kCloseEventName, kCloseEventCase) {}

MainDlg::~MainDlg() = default;

INT_PTR MainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            OnSize();
            return FALSE;  // the default handling goes on
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam));
        case WM_HELP:
            OnHelp();
            SetMessageResult(TRUE);
            return TRUE;
        case WM_CLOSE_EVENT:
            OnCancel();
            SetMessageResult(1);
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            for (size_t i = 0; i < kModes.size(); ++i) {
                if (LOWORD(wParam) == kModes[i].buttonId) {
                    OnModeClicked(i);
                    return TRUE;
                }
            }
            switch (LOWORD(wParam)) {
                case IDC_DEFAULT:
                    OnDefault();
                    return TRUE;
                case IDC_OK:
                    OnOk();
                    return TRUE;
                case IDC_CANCEL:
                    OnCancel();
                    return TRUE;
            }
            break;
    }
    return Dialog::HandleMessage(message, wParam, lParam);
}

bool MainDlg::PreTranslateMessage(MSG* message) {
    m_toolTip.RelayEvent(message);
    return Dialog::PreTranslateMessage(message);
}

BOOL MainDlg::OnInitDialog() {
    // The size notification sent while the window is created comes before this procedure is
    // attached to it, so the first sizing happens here.
    OnSize();
    m_closeWatch.SetTarget(GetSafeHwnd());
    m_closeWatch.Start();
    Dialog::OnInitDialog();
    m_dialogBrush.reset(CreateSolidBrush(kDialogGrey));

    SetUpToolTips();
    SetTexts();
    ShowModePictures({false, false, false});
    m_iniFile.ReadSettings(kCurrentSettingsSection, m_settings);
    ShowSection(m_settings);
    return TRUE;
}

void MainDlg::DoDataExchange(bool save) {
    const HWND hWnd = GetSafeHwnd();
    if (save) {
        m_nNoticeCheck = IsChecked(IDC_NOTICE_CHECK) ? 1 : 0;
        m_nModeChoice = kNoModeChoice;
        for (size_t i = 0; i < kModes.size(); ++i)
            if (IsChecked(kModes[i].buttonId)) m_nModeChoice = static_cast<int32_t>(i);
        return;
    }
    CheckDlgButton(hWnd, IDC_NOTICE_CHECK, m_nNoticeCheck == 1 ? BST_CHECKED : BST_UNCHECKED);
    for (size_t i = 0; i < kModes.size(); ++i) {
        const bool chosen = static_cast<int32_t>(i) == m_nModeChoice;
        CheckDlgButton(hWnd, kModes[i].buttonId, chosen ? BST_CHECKED : BST_UNCHECKED);
    }
}

void MainDlg::OnSize() {
    if (m_background) return;
    m_background.reset(LoadBitmapW(AppletModule(), MAKEINTRESOURCEW(IDB_BACKGROUND)));
    if (!m_background) {
        DebugOutput("Error loading bitmap\n");
        return;
    }
    GetObjectW(m_background.get(), sizeof(m_bmBackground), &m_bmBackground);
    const int width = m_bmBackground.bmWidth;
    const int height = m_bmBackground.bmHeight;
    // The whole window, frame and caption included, takes the picture's size, centred on the
    // primary display.
    SetWindowPos(GetSafeHwnd(), HWND_TOP, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, width, height, SWP_NOACTIVATE);
}

void MainDlg::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    if (m_background) {
        const UniqueDc memory(CreateCompatibleDC(dc));
        if (memory) {
            const HGDIOBJ previous = SelectObject(memory.get(), m_background.get());
            BitBlt(dc, 0, 0, m_bmBackground.bmWidth, m_bmBackground.bmHeight, memory.get(), 0, 0,
                   SRCCOPY);
            SelectObject(memory.get(), previous);
        }
    }
    EndPaint(GetSafeHwnd(), &paint);
}

INT_PTR MainDlg::OnCtlColorStatic(HDC dc) {
    if (!m_dialogBrush) return FALSE;
    // Texts, group boxes and buttons blend with the background's surface of the same grey.
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(m_dialogBrush.get());
}

void MainDlg::OnHelp() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        DebugOutput("Can't get program files folder path");
        // Without the folder there is nothing to open; the shell is not asked.
        return;
    }
    const std::wstring path = std::wstring(folder) + L"\\Velmora\\tevraHelp.mht";
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainDlg::OnModeClicked(size_t modeIndex) {
    ShowPictureOf(modeIndex);
}

void MainDlg::OnDefault() {
    SettingsValues defaults;
    m_iniFile.ReadSettings(kDefaultSettingsSection, defaults);
    ShowSection(defaults);
}

void MainDlg::OnOk() {
    SystemController controller;
    std::array<bool, kModes.size()> checked{};
    for (size_t i = 0; i < kModes.size(); ++i) checked[i] = IsChecked(kModes[i].buttonId);
    const OkAction action = DecideOk(checked, IsChecked(IDC_NOTICE_CHECK));
    // The controller hears of the limit before the file stores it; its answer is not looked at.
    if (action.limitToSend) controller.SetChargeLimit(*action.limitToSend);
    StoreChoices(action);
    Dialog::OnOK();
}

void MainDlg::OnDestroy() {
    // The watcher ends with the dialog and never posts to a window that is gone.
    m_closeWatch.Stop();
    m_toolTip.DestroyWindow();
    m_background.reset();
    m_bmBackground = {};
    m_dialogBrush.reset();
}

void MainDlg::SetUpToolTips() {
    m_toolTip.Create(GetSafeHwnd());
    m_toolTip.Activate(true);
    std::array<std::wstring, kModes.size()> tips;
    for (size_t i = 0; i < kModes.size(); ++i) tips[i] = AppletString(kModes[i].tipStringId);
    for (size_t i = 0; i < kModes.size(); ++i)
        m_toolTip.AddControlTip(GetDlgItem(GetSafeHwnd(), kModes[i].buttonId), tips[i].c_str());
}

void MainDlg::SetTexts() {
    // Wide texts throughout, so that the Chinese table shows whatever the ANSI code page is.
    SetWindowTextW(GetSafeHwnd(), AppletString(IDS_CAPTION).c_str());
    for (const ControlText& text : kControlTexts)
        SetDlgItemTextW(GetSafeHwnd(), text.controlId, AppletString(text.stringId).c_str());
}

void MainDlg::ShowModePictures(const std::array<bool, kModes.size()>& show) {
    for (size_t i = 0; i < kModes.size(); ++i)
        ShowWindow(GetDlgItem(GetSafeHwnd(), kModes[i].pictureId), show[i] ? SW_SHOW : SW_HIDE);
}

void MainDlg::ShowPictureOf(size_t modeIndex) {
    std::array<bool, kModes.size()> show{};
    show[modeIndex] = true;
    ShowModePictures(show);
}

void MainDlg::ShowSection(const SettingsValues& values) {
    // A number that selects no mode leaves the mode choice and the pictures as they are.
    m_nModeChoice = ModeChoiceAfterRead(m_nModeChoice, values.dwTevraAppletModeNum);
    if (const std::optional<size_t> index = ModeIndexForNumber(values.dwTevraAppletModeNum))
        ShowPictureOf(*index);
    m_nNoticeCheck = NoticeCheckForOption(values.dwTrayNotifyWindowOption);
    UpdateData(false);
}

void MainDlg::StoreChoices(const OkAction& action) {
    if (action.modeNumberToStore) {
        const SettingsValues values{action.noticeOption, *action.modeNumberToStore};
        m_iniFile.WriteSettings(values, kCurrentSettingsSection);
        return;
    }
    // No mode chosen: only the notice option is stored, and the stored mode number stays.
    const std::string path = SettingsFilePath();
    const bool stored =
        !path.empty() && IniFile::StoreValue(kNotifyOptionKey, std::to_string(action.noticeOption),
                                             kCurrentSettingsSection, path);
    DebugOutput(stored ? "Record was successfully created\n" : "Failed to create the record\n");
}

bool MainDlg::IsChecked(int controlId) const {
    return IsDlgButtonChecked(GetSafeHwnd(), controlId) == BST_CHECKED;
}
