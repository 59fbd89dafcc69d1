#include "taskbar_notifier.h"

#include "diagnostics.h"
#include "windows_version.h"

namespace {

constexpr char kClassName[] = "TevraTaskbarNotifier";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr int kFontTenthsOfPoint = 90;
constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;

// Milliseconds of a clock finer than the system timer, for the slide's catch-up.
uint64_t NowMs() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<uint64_t>(counter.QuadPart) * 1000 /
           static_cast<uint64_t>(frequency.QuadPart);
}

HWND WindowOf(const Window* window) {
    return window ? window->GetSafeHwnd() : nullptr;
}

}  // namespace

CTaskbarNotifier::CTaskbarNotifier() : m_motion(*this) {}

CTaskbarNotifier::~CTaskbarNotifier() = default;

void CTaskbarNotifier::CreatePopup(Window* pWndOwner) {
    m_pWndOwner = pWndOwner;
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClassName;
    // A second popup in the same program finds the class registered already.
    RegisterClassExA(&wc);

    if (!GetSafeHwnd()) {
        CreateEx(kExStyle, kClassName, "", kStyle, 0, 0, 0, 0, WindowOf(pWndOwner), nullptr,
                 instance);
    }
    if (!GetSafeHwnd()) DebugOutput("Notifier: popup window not created\n");
    LoadSkin();
    CreateFonts();
    m_crNormalText = RGB(0, 0, 0);
    m_crHoverText = 0x00C80000;
    Redraw();
    const NotifierRect rc = NoticeTextRect(m_motion.GetWindowSize());
    m_rcText = {rc.left, rc.top, rc.right, rc.bottom};
}

void CTaskbarNotifier::ShowNotice(const char* text) {
    m_strText = text ? text : "";
    if (!GetSafeHwnd() || !m_motion.HasWindowSize()) {
        DebugOutput("Notifier: no popup to show the notice on\n");
        return;
    }
    m_appKit.ForceForeground(WindowOf(m_pWndOwner));

    RECT workArea = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    m_motion.ShowNotice({workArea.left, workArea.top, workArea.right, workArea.bottom},
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), NowMs());
}

bool CTaskbarNotifier::LoadSkin() {
    m_bmpSkin.reset();
    m_motion.SetWindowSize(std::nullopt);
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_NOTIFIER_SKIN));
    if (!bitmap) {
        DebugOutput("Notifier: skin bitmap 130 not found, notices will not be shown\n");
        return false;
    }
    m_bmpSkin.reset(bitmap);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);

    RECT frame = {0, 0, info.bmWidth, info.bmHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const NotifierSize frameExtra = {frame.right - frame.left - info.bmWidth,
                                     frame.bottom - frame.top - info.bmHeight};
    m_motion.SetWindowSize(
        PopupWindowSize(GetWindowsVersionCode(), {info.bmWidth, info.bmHeight}, frameExtra));
    return true;
}

void CTaskbarNotifier::CreateFonts() {
    m_fontNormal.reset();
    m_fontHover.reset();

    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);

    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(kFontTenthsOfPoint, dpi, 720);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    // The logical font as the system completed it; only weight, slant and underline are ours.
    UniqueGdiObject point(CreateFontIndirectA(&lf));
    if (point) GetObjectA(point.get(), sizeof lf, &lf);

    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = FALSE;
    lf.lfUnderline = FALSE;
    m_fontNormal.reset(CreateFontIndirectA(&lf));
    lf.lfUnderline = TRUE;
    m_fontHover.reset(CreateFontIndirectA(&lf));
}

LRESULT CTaskbarNotifier::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(message, wParam, lParam);
        case WM_ERASEBKGND:
            if (OnEraseBkgnd(reinterpret_cast<HDC>(wParam))) return TRUE;
            break;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(LOWORD(lParam))) return TRUE;
            break;
        case WM_MOUSEMOVE:
            OnMouseMove();
            break;
        case WM_MOUSEHOVER:
            OnMouseHover();
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        case WM_LBUTTONUP:
            PostMessageA(WindowOf(m_pWndOwner), WM_NOTIFIER_CLICK, 0, 0);
            break;
        case WM_TIMER:
            m_motion.OnTimer(static_cast<unsigned>(wParam), NowMs());
            break;
        case WM_CLOSE:
            // Only hides: the window serves every later notice.
            m_motion.Close();
            return 0;
    }
    return Default(message, wParam, lParam);
}

LRESULT CTaskbarNotifier::OnCreate(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Default(message, wParam, lParam) == -1) return -1;
    m_hHandCursor = LoadCursorA(nullptr, IDC_HAND);
    return 0;
}

BOOL CTaskbarNotifier::OnEraseBkgnd(HDC hdc) {
    if (!m_bmpSkin) return FALSE;
    BITMAP info = {};
    GetObjectA(m_bmpSkin.get(), sizeof info, &info);
    UniqueDc memory(CreateCompatibleDC(hdc));
    if (!memory) return FALSE;
    HGDIOBJ previous = SelectObject(memory.get(), m_bmpSkin.get());
    BitBlt(hdc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
    SelectObject(memory.get(), previous);
    return TRUE;
}

void CTaskbarNotifier::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(GetSafeHwnd(), &ps);
    SetTextColor(hdc, m_bHover ? m_crHoverText : m_crNormalText);
    HGDIOBJ font = (m_bHover ? m_fontHover : m_fontNormal).get();
    HGDIOBJ previous = font ? SelectObject(hdc, font) : nullptr;
    SetBkMode(hdc, TRANSPARENT);
    RECT rc = m_rcText;
    DrawTextA(hdc, m_strText.c_str(), -1, &rc, kTextFormat);
    if (previous) SelectObject(hdc, previous);
    EndPaint(GetSafeHwnd(), &ps);
}

BOOL CTaskbarNotifier::OnSetCursor(UINT nHitTest) {
    if (nHitTest != HTCLIENT) return FALSE;
    SetCursor(m_hHandCursor);
    return TRUE;
}

void CTaskbarNotifier::OnMouseMove() {
    // A 1 ms hover time: the text reacts almost as soon as the pointer arrives.
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = GetSafeHwnd();
    tme.dwHoverTime = 1;
    TrackMouseEvent(&tme);
}

void CTaskbarNotifier::OnMouseHover() {
    if (m_bHover) return;
    m_bHover = TRUE;
    Redraw();
}

void CTaskbarNotifier::OnMouseLeave() {
    if (!m_bHover) return;
    m_bHover = FALSE;
    Redraw();
}

void CTaskbarNotifier::StartTimer(unsigned id, uint32_t intervalMs) {
    SetTimer(GetSafeHwnd(), id, intervalMs, nullptr);
}

void CTaskbarNotifier::StopTimer(unsigned id) {
    KillTimer(GetSafeHwnd(), id);
}

void CTaskbarNotifier::ShowPopup() {
    ShowWindow(GetSafeHwnd(), SW_SHOW);
}

void CTaskbarNotifier::MovePopup(NotifierPoint pos, NotifierSize size) {
    SetWindowPos(GetSafeHwnd(), nullptr, pos.x, pos.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CTaskbarNotifier::PlaceFullyOut(NotifierPoint pos, NotifierSize size) {
    SetWindowPos(GetSafeHwnd(), HWND_TOP, pos.x, pos.y, size.cx, size.cy, SWP_NOCOPYBITS);
}

void CTaskbarNotifier::HidePopup() {
    MoveWindow(GetSafeHwnd(), 0, 0, 0, 0, TRUE);
    ShowWindow(GetSafeHwnd(), SW_HIDE);
}

void CTaskbarNotifier::Redraw() {
    RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
