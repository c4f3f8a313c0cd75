// The Windows 9x close check as a state machine: idle, checking, closing, and
// the 200 ms refusal after a check. Pure: the platform (tick count, timer
// removal, the verify-password message, the cursor) is reached through a seam.
#pragma once

#include <cstdint>

// "No check yet": the initial value of the last password check.
constexpr std::uint32_t kNoPasswordCheck = 0xFFFFFFFFu;
// A close request this soon after a check ends is refused without asking.
constexpr std::uint32_t kPasswordRefusalMs = 200;

// True when a close request at `now` falls inside the refusal span of the
// check that ended at `lastCheck` (measured across a wrap of the tick counter).
bool WithinPasswordRefusal(std::uint32_t lastCheck, std::uint32_t now);

enum class CloseCheckState { Idle, Checking, Closing };

// What ConfirmClose needs from the platform, in the order it needs it.
class CloseCheckPlatform {
public:
    virtual std::uint32_t TickCount() = 0;
    // At most two pending timer messages of the saver window.
    virtual void RemovePendingTimers() = 0;
    // Sends the verify-password message; the answer, non-zero to grant.
    virtual bool AskVerifier() = 0;
    virtual void HideCursor() = 0;

protected:
    ~CloseCheckPlatform() = default;
};

class CloseCheck {
public:
    // True when the window may close. Re-entrant calls while checking are refused.
    bool Confirm(bool verifierLoaded, CloseCheckPlatform &platform);

    bool CloseConfirmed() const { return closeConfirmed_; }
    bool InProgress() const { return inProgress_; }
    std::uint32_t LastCheck() const { return lastCheck_; }
    CloseCheckState State() const;

private:
    bool closeConfirmed_ = false;
    bool inProgress_ = false;
    std::uint32_t lastCheck_ = kNoPasswordCheck;
};
