// The close check's steps in the order the saver relies on: the flags are set
// before the verifier runs so that its modal loop cannot start a second check.
#include "host/password_rules.h"

#include "host/close_rules.h"

bool WithinPasswordRefusal(std::uint32_t lastCheck, std::uint32_t now) {
    return lastCheck != kNoPasswordCheck && ElapsedTicks(lastCheck, now) < kPasswordRefusalMs;
}

CloseCheckState CloseCheck::State() const {
    if (closeConfirmed_) return CloseCheckState::Closing;
    if (inProgress_) return CloseCheckState::Checking;
    return CloseCheckState::Idle;
}

bool CloseCheck::Confirm(bool verifierLoaded, CloseCheckPlatform &platform) {
    if (inProgress_ || closeConfirmed_) return false;
    if (!verifierLoaded) {
        closeConfirmed_ = true;
        return true;
    }
    const std::uint32_t now = platform.TickCount();
    if (WithinPasswordRefusal(lastCheck_, now)) return false;

    inProgress_ = true;
    platform.RemovePendingTimers();
    closeConfirmed_ = platform.AskVerifier();
    inProgress_ = false;
    if (!closeConfirmed_) platform.HideCursor();
    // The span is measured from the end of the check, not from the request.
    lastCheck_ = platform.TickCount();
    return closeConfirmed_;
}
