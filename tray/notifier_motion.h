#pragma once

#include <cstdint>
#include <optional>

// How the notice popup moves: where the taskbar is, where the popup starts and ends, how fast it
// slides, and the phases of one notice. Portable, so that every decision is tested natively; the
// window itself (taskbar_notifier.h) only carries out what the motion asks for.

struct NotifierRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct NotifierPoint {
    int x = 0;
    int y = 0;
    bool operator==(const NotifierPoint&) const = default;
};

struct NotifierSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const NotifierSize&) const = default;
};

enum NotifierPhase : int { Hidden = 0, SlidingIn = 1, Holding = 2, SlidingOut = 3 };

// The edge of the work area behind which the taskbar lies.
enum TaskbarEdge : int { EdgeNone = 0, EdgeTop = 1, EdgeLeft = 2, EdgeRight = 3, EdgeBottom = 4 };

// Window timers of the popup.
constexpr unsigned IDT_SLIDE_IN = 1;
constexpr unsigned IDT_HOLD = 2;
constexpr unsigned IDT_SLIDE_OUT = 3;

constexpr int kNotifierStepPx = 2;
constexpr uint32_t kNotifierSlideMs = 500;
constexpr uint32_t kNotifierHoldMs = 3000;

// Fixed room for caption and sizing border on the releases the popup was laid out for.
constexpr int kXpFrameWidth = 8;
constexpr int kVistaFrameWidth = 14;
constexpr int kFixedFrameHeight = 30;

// The edge from the primary display's work area and screen size. A work area as large as the
// screen (taskbar hidden) counts as a bottom taskbar.
TaskbarEdge FindTaskbarEdge(const NotifierRect& workArea, int screenWidth, int screenHeight);

// Outer top-left corner where a slide starts: just outside the work area, flush with the right
// end of a horizontal taskbar and with the bottom end of a vertical one.
NotifierPoint SlideStartPosition(TaskbarEdge edge, const NotifierRect& workArea, NotifierSize size);

// The window's dimension in the direction of motion.
int SlideTravel(TaskbarEdge edge, NotifierSize size);

// Interval of the slide timer that spreads the travel's steps over the duration; never 0.
uint32_t SlideTickInterval(uint32_t durationMs, int travel, int stepPx);

// Whether the popup has come all the way out; tested before each step of the slide-in.
bool IsFullyOut(TaskbarEdge edge, NotifierPoint pos, NotifierPoint start, NotifierSize size);

// One step of the slide-in.
NotifierPoint StepOut(TaskbarEdge edge, NotifierPoint pos, int stepPx);

// One step of the slide-out towards the start; false (and no move) once the start is reached.
bool StepBack(TaskbarEdge edge, NotifierPoint& pos, NotifierPoint start, int stepPx);

// Where a notice that comes during the slide-out puts the popup back: fully out along the edge,
// the other coordinate unchanged.
NotifierPoint FullyOutPosition(TaskbarEdge edge, const NotifierRect& workArea, NotifierPoint pos,
                               NotifierSize size);

// Outer window size for a skin of the given size. XP (codes 7, 8) and Vista workstations (11, 12)
// get their fixed allowances; every other release the real frame of the popup's window styles.
// No size (no popup) without a skin; never below one step in either direction.
std::optional<NotifierSize> PopupWindowSize(int versionCode, NotifierSize skin, NotifierSize frame);

// Rectangle of the notice text in client coordinates; it reaches below the visible client area,
// and text is drawn from its top.
NotifierRect NoticeTextRect(NotifierSize window);

// What the popup window does on the motion's behalf, in the order asked.
class NotifierWindowOps {
public:
    virtual ~NotifierWindowOps() = default;
    virtual void StartTimer(unsigned id, uint32_t intervalMs) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // Shows the window (which activates it).
    virtual void ShowPopup() = 0;
    // A step: position and size, no change of z-order or activation.
    virtual void MovePopup(NotifierPoint pos, NotifierSize size) = 0;
    // Back to the fully-out place at the top of the z-order; may activate the window.
    virtual void PlaceFullyOut(NotifierPoint pos, NotifierSize size) = 0;
    // Size 0 x 0 at (0, 0), hidden.
    virtual void HidePopup() = 0;
    // Repaints skin and text at once.
    virtual void Redraw() = 0;
};

// The phases of the popup and its three timers. A slide keeps to the 2-pixel grid, but every timer
// message advances it by as many steps as the time since the slide began calls for: window timers
// do not fire faster than the system's timer resolution, and a slide should still take its
// duration.
class NotifierMotion {
public:
    explicit NotifierMotion(NotifierWindowOps& ops) : m_ops(ops) {}
    NotifierMotion(const NotifierMotion&) = delete;
    NotifierMotion& operator=(const NotifierMotion&) = delete;

    // The outer window size; none when there is no skin, and then no notice is shown.
    void SetWindowSize(std::optional<NotifierSize> size);
    bool HasWindowSize() const { return m_bHasSize; }
    NotifierSize GetWindowSize() const { return {m_nWidth, m_nHeight}; }

    // A notice is due (the caller has put its text in place). Starts a slide from Hidden, or
    // keeps the notice that is showing out for a full hold. False when there is no popup to show.
    bool ShowNotice(const NotifierRect& workArea, int screenWidth, int screenHeight,
                    uint64_t nowMs);

    // A window timer fired; nowMs is a millisecond clock that does not jump back.
    void OnTimer(unsigned id, uint64_t nowMs);

    // The close box: every timer stops and the popup hides, ready for the next notice.
    void Close();

    NotifierPhase GetPhase() const { return m_nPhase; }
    TaskbarEdge GetEdge() const { return m_nEdge; }
    NotifierPoint GetPosition() const { return {m_nPosX, m_nPosY}; }
    NotifierPoint GetStart() const { return {m_nStartX, m_nStartY}; }
    uint32_t GetSlideInTick() const { return m_dwSlideInTick; }
    uint32_t GetSlideOutTick() const { return m_dwSlideOutTick; }
    bool IsTimerRunning(unsigned id) const { return id < kTimerSlots && m_bTimerRunning[id]; }

private:
    static constexpr unsigned kTimerSlots = 4;

    void StartTimer(unsigned id, uint32_t intervalMs);
    void StopTimer(unsigned id);
    void BeginSlide(unsigned id, uint32_t tickMs, uint64_t nowMs);
    int TicksDue(uint64_t nowMs);
    void OnSlideInTimer(uint64_t nowMs);
    void OnHoldTimer(uint64_t nowMs);
    void OnSlideOutTimer(uint64_t nowMs);
    void HideNotice();
    NotifierSize Size() const { return {m_nWidth, m_nHeight}; }

    NotifierWindowOps& m_ops;
    bool m_bHasSize = false;
    int m_nWidth = 0;
    int m_nHeight = 0;
    NotifierPhase m_nPhase = Hidden;
    uint32_t m_dwSlideInMs = 0;
    uint32_t m_dwHoldMs = 0;
    uint32_t m_dwSlideOutMs = 0;
    uint32_t m_dwSlideInTick = 0;
    uint32_t m_dwSlideOutTick = 0;
    int m_nStartX = 0;
    int m_nStartY = 0;
    int m_nPosX = 0;
    int m_nPosY = 0;
    TaskbarEdge m_nEdge = EdgeNone;
    const int m_nStepPx = kNotifierStepPx;
    // The running slide: when its timer started, its interval and how many ticks have been run.
    uint64_t m_qwSlideStartMs = 0;
    uint32_t m_dwSlideTick = 1;
    int m_nTicksDone = 0;
    bool m_bTimerRunning[kTimerSlots] = {};
};
