#pragma once

// When to try adding the notification-area icon again. While the shell is still starting (at
// log-on, or while it restarts) adding the icon fails, or times out when the shell is busy; the
// program then tries again on a timer, for a bounded time, so that a shell that never comes back
// costs no wake-ups for ever. A shell that starts later announces itself with "TaskbarCreated",
// which starts a new round.
class IconRetry {
public:
    static constexpr unsigned kIntervalMs = 2000;
    static constexpr unsigned kMaxFailures = 30;  // one minute of retries

    // A new round: the shell has (re)started.
    void Restart() { m_nFailures = 0; }

    // Notes the outcome of one attempt to add the icon and says whether another attempt is due
    // (that is, whether the retry timer must run).
    bool AfterAttempt(bool bAdded) {
        if (bAdded) {
            m_nFailures = 0;
            return false;
        }
        if (m_nFailures < kMaxFailures) ++m_nFailures;
        return m_nFailures < kMaxFailures;
    }

private:
    unsigned m_nFailures = 0;
};
