#include "notifier_motion.h"

#include <algorithm>
#include <climits>

#include "windows_version_code.h"

TaskbarEdge FindTaskbarEdge(const NotifierRect& workArea, int screenWidth, int screenHeight) {
    const bool narrower = workArea.right - workArea.left < screenWidth;
    const bool shorter = workArea.bottom - workArea.top < screenHeight;
    if (narrower && workArea.left == 0) return EdgeRight;
    if (narrower) return EdgeLeft;
    if (shorter && workArea.top != 0) return EdgeTop;
    return EdgeBottom;
}

NotifierPoint SlideStartPosition(TaskbarEdge edge, const NotifierRect& workArea,
                                 NotifierSize size) {
    switch (edge) {
        case EdgeRight:
            return {workArea.right, workArea.bottom - size.cy};
        case EdgeLeft:
            return {workArea.left - size.cx, workArea.bottom - size.cy};
        case EdgeTop:
            return {workArea.right - size.cx, workArea.top - size.cy};
        default:
            return {workArea.right - size.cx, workArea.bottom};
    }
}

int SlideTravel(TaskbarEdge edge, NotifierSize size) {
    return edge == EdgeLeft || edge == EdgeRight ? size.cx : size.cy;
}

uint32_t SlideTickInterval(uint32_t durationMs, int travel, int stepPx) {
    const int steps = stepPx > 0 ? travel / stepPx : 0;
    if (steps < 1) return std::max<uint32_t>(durationMs, 1);
    return std::max<uint32_t>(durationMs / static_cast<uint32_t>(steps), 1);
}

bool IsFullyOut(TaskbarEdge edge, NotifierPoint pos, NotifierPoint start, NotifierSize size) {
    switch (edge) {
        case EdgeRight:
            return pos.x <= start.x - size.cx;
        case EdgeLeft:
            return pos.x - start.x >= size.cx;
        case EdgeTop:
            return pos.y - start.y >= size.cy;
        default:
            return pos.y <= start.y - size.cy;
    }
}

NotifierPoint StepOut(TaskbarEdge edge, NotifierPoint pos, int stepPx) {
    switch (edge) {
        case EdgeRight:
            pos.x -= stepPx;
            break;
        case EdgeLeft:
            pos.x += stepPx;
            break;
        case EdgeTop:
            pos.y += stepPx;
            break;
        default:
            pos.y -= stepPx;
            break;
    }
    return pos;
}

bool StepBack(TaskbarEdge edge, NotifierPoint& pos, NotifierPoint start, int stepPx) {
    switch (edge) {
        case EdgeTop:
            if (pos.y <= start.y) return false;
            pos.y -= stepPx;
            return true;
        case EdgeLeft:
            if (pos.x <= start.x) return false;
            pos.x -= stepPx;
            return true;
        case EdgeRight:
            if (pos.x >= start.x) return false;
            pos.x += stepPx;
            return true;
        default:
            if (pos.y >= start.y) return false;
            pos.y += stepPx;
            return true;
    }
}

NotifierPoint FullyOutPosition(TaskbarEdge edge, const NotifierRect& workArea, NotifierPoint pos,
                               NotifierSize size) {
    switch (edge) {
        case EdgeRight:
            pos.x = workArea.right - size.cx;
            break;
        case EdgeLeft:
            pos.x = workArea.left;
            break;
        case EdgeTop:
            pos.y = workArea.top;
            break;
        default:
            pos.y = workArea.bottom - size.cy;
            break;
    }
    return pos;
}

std::optional<NotifierSize> PopupWindowSize(int versionCode, NotifierSize skin,
                                            NotifierSize frame) {
    if (skin.cx <= 0 || skin.cy <= 0) return std::nullopt;
    NotifierSize size;
    if (IsXpFamily(versionCode)) {
        size = {skin.cx + kXpFrameWidth, skin.cy + kFixedFrameHeight};
    } else if (IsVistaWorkstation(versionCode)) {
        size = {skin.cx + kVistaFrameWidth, skin.cy + kFixedFrameHeight};
    } else {
        size = {skin.cx + std::max(frame.cx, 0), skin.cy + std::max(frame.cy, 0)};
    }
    // A travel below one step would leave the slide without a single step.
    size.cx = std::max(size.cx, kNotifierStepPx);
    size.cy = std::max(size.cy, kNotifierStepPx);
    return size;
}

NotifierRect NoticeTextRect(NotifierSize window) {
    return {10, 40, window.cx - 26, window.cy};
}

// ---------------------------------------------------------------------------------------------

void NotifierMotion::SetWindowSize(std::optional<NotifierSize> size) {
    m_bHasSize = size.has_value();
    m_nWidth = size ? size->cx : 0;
    m_nHeight = size ? size->cy : 0;
}

bool NotifierMotion::ShowNotice(const NotifierRect& workArea, int screenWidth, int screenHeight,
                                uint64_t nowMs) {
    if (!m_bHasSize) return false;
    m_dwSlideInMs = kNotifierSlideMs;
    m_dwHoldMs = kNotifierHoldMs;
    m_dwSlideOutMs = kNotifierSlideMs;
    const TaskbarEdge edge = FindTaskbarEdge(workArea, screenWidth, screenHeight);

    switch (m_nPhase) {
        case Hidden: {
            m_nEdge = edge;
            const NotifierPoint start = SlideStartPosition(edge, workArea, Size());
            const int travel = SlideTravel(edge, Size());
            m_dwSlideInTick = SlideTickInterval(m_dwSlideInMs, travel, m_nStepPx);
            m_dwSlideOutTick = SlideTickInterval(m_dwSlideOutMs, travel, m_nStepPx);
            m_nStartX = m_nPosX = start.x;
            m_nStartY = m_nPosY = start.y;
            // Put in place before it shows, so that it never flashes up where it was left.
            m_ops.MovePopup(start, Size());
            m_ops.ShowPopup();
            BeginSlide(IDT_SLIDE_IN, m_dwSlideInTick, nowMs);
            break;
        }
        case SlidingIn:
            m_ops.Redraw();
            break;
        case Holding:
            m_ops.Redraw();
            // Between the end of the hold and the first step back the slide-out timer already
            // runs; it would take the new notice away at once.
            StopTimer(IDT_SLIDE_OUT);
            StopTimer(IDT_HOLD);
            StartTimer(IDT_HOLD, m_dwHoldMs);
            break;
        case SlidingOut: {
            StopTimer(IDT_SLIDE_OUT);
            StartTimer(IDT_HOLD, m_dwHoldMs);
            const NotifierPoint pos = FullyOutPosition(edge, workArea, GetPosition(), Size());
            m_nPosX = pos.x;
            m_nPosY = pos.y;
            m_ops.PlaceFullyOut(pos, Size());
            m_ops.Redraw();
            break;
        }
    }
    return true;
}

void NotifierMotion::OnTimer(unsigned id, uint64_t nowMs) {
    // A timer message may still be queued after its timer was stopped.
    if (!IsTimerRunning(id)) return;
    switch (id) {
        case IDT_SLIDE_IN:
            OnSlideInTimer(nowMs);
            break;
        case IDT_HOLD:
            OnHoldTimer(nowMs);
            break;
        case IDT_SLIDE_OUT:
            OnSlideOutTimer(nowMs);
            break;
    }
}

void NotifierMotion::Close() {
    StopTimer(IDT_SLIDE_IN);
    StopTimer(IDT_HOLD);
    StopTimer(IDT_SLIDE_OUT);
    HideNotice();
}

void NotifierMotion::StartTimer(unsigned id, uint32_t intervalMs) {
    m_ops.StartTimer(id, intervalMs);
    m_bTimerRunning[id] = true;
}

void NotifierMotion::StopTimer(unsigned id) {
    if (!m_bTimerRunning[id]) return;
    m_ops.StopTimer(id);
    m_bTimerRunning[id] = false;
}

void NotifierMotion::BeginSlide(unsigned id, uint32_t tickMs, uint64_t nowMs) {
    m_qwSlideStartMs = nowMs;
    m_dwSlideTick = std::max<uint32_t>(tickMs, 1);
    m_nTicksDone = 0;
    StartTimer(id, tickMs);
}

int NotifierMotion::TicksDue(uint64_t nowMs) {
    const uint64_t elapsed = nowMs > m_qwSlideStartMs ? nowMs - m_qwSlideStartMs : 0;
    const uint64_t due = elapsed / m_dwSlideTick;
    const auto done = static_cast<uint64_t>(m_nTicksDone);
    // Every timer message is at least one tick, as it would be without the clock.
    if (due <= done) return 1;
    return static_cast<int>(std::min<uint64_t>(due - done, INT_MAX));
}

void NotifierMotion::OnSlideInTimer(uint64_t nowMs) {
    NotifierPoint pos = GetPosition();
    const NotifierPoint start = GetStart();
    for (int ticks = TicksDue(nowMs); ticks > 0; --ticks) {
        m_nPhase = SlidingIn;
        ++m_nTicksDone;
        if (IsFullyOut(m_nEdge, pos, start, Size())) {
            StopTimer(IDT_SLIDE_IN);
            StartTimer(IDT_HOLD, m_dwHoldMs);
            m_nPhase = Holding;
            break;
        }
        pos = StepOut(m_nEdge, pos, m_nStepPx);
    }
    m_nPosX = pos.x;
    m_nPosY = pos.y;
    m_ops.MovePopup(pos, Size());
}

void NotifierMotion::OnHoldTimer(uint64_t nowMs) {
    StopTimer(IDT_HOLD);
    BeginSlide(IDT_SLIDE_OUT, m_dwSlideOutTick, nowMs);
}

void NotifierMotion::OnSlideOutTimer(uint64_t nowMs) {
    NotifierPoint pos = GetPosition();
    for (int ticks = TicksDue(nowMs); ticks > 0; --ticks) {
        m_nPhase = SlidingOut;
        ++m_nTicksDone;
        if (!StepBack(m_nEdge, pos, GetStart(), m_nStepPx)) {
            StopTimer(IDT_SLIDE_OUT);
            HideNotice();
            break;
        }
    }
    m_nPosX = pos.x;
    m_nPosY = pos.y;
    // After the hide this gives the hidden window its size back at the start; it stays hidden.
    m_ops.MovePopup(pos, Size());
}

void NotifierMotion::HideNotice() {
    StopTimer(IDT_SLIDE_IN);
    StopTimer(IDT_HOLD);
    StopTimer(IDT_SLIDE_OUT);
    m_ops.HidePopup();
    m_nPhase = Hidden;
}
