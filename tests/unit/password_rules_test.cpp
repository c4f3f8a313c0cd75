// The Windows 9x close check: the 200 ms refusal across the tick wrap, and the
// idle/checking/closing table driven through a fake platform and verifier.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/password_rules.h"

namespace {

// Records the platform calls in order; the verifier's answer and the clock are scripted.
class FakePlatform final : public CloseCheckPlatform {
public:
    std::vector<std::uint32_t> ticks; // handed out in order, the last one repeated
    std::function<bool()> verifier = [] { return false; };
    std::vector<std::string> calls;

    std::uint32_t TickCount() override {
        calls.push_back("tick");
        const std::uint32_t now = ticks.at(next_ < ticks.size() ? next_ : ticks.size() - 1);
        ++next_;
        return now;
    }
    void RemovePendingTimers() override { calls.push_back("remove timers"); }
    bool AskVerifier() override {
        calls.push_back("ask");
        return verifier();
    }
    void HideCursor() override { calls.push_back("hide cursor"); }

private:
    std::size_t next_ = 0;
};

using Calls = std::vector<std::string>;

} // namespace

TEST(WithinPasswordRefusal, Refuses199ButNot200MillisecondsAcrossTheWrap) {
    EXPECT_TRUE(WithinPasswordRefusal(1000, 1000));
    EXPECT_TRUE(WithinPasswordRefusal(1000, 1199));
    EXPECT_FALSE(WithinPasswordRefusal(1000, 1200));
    // The counter wraps between the end of the check and the request.
    EXPECT_TRUE(WithinPasswordRefusal(0xFFFFFF9Cu, 99));   // 199 ms later
    EXPECT_FALSE(WithinPasswordRefusal(0xFFFFFF9Cu, 100)); // 200 ms later
    EXPECT_FALSE(WithinPasswordRefusal(0xFFFFFF9Cu, 0xFFFFFF9Bu)); // almost 2^32 ms later
    // No check yet: nothing to refuse, whatever the clock says.
    EXPECT_FALSE(WithinPasswordRefusal(kNoPasswordCheck, 0));
    EXPECT_FALSE(WithinPasswordRefusal(kNoPasswordCheck, 0xFFFFFFFEu));
}

TEST(CloseCheck, WithoutAVerifierTheFirstRequestClosesAndLaterOnesAreRefused) {
    CloseCheck check;
    FakePlatform platform;
    EXPECT_EQ(check.State(), CloseCheckState::Idle);
    EXPECT_TRUE(check.Confirm(false, platform));
    EXPECT_EQ(check.State(), CloseCheckState::Closing);
    EXPECT_TRUE(platform.calls.empty()) << "no clock, no prompt, no cursor change";
    // Closing is final: the window is already on its way out.
    EXPECT_FALSE(check.Confirm(false, platform));
    EXPECT_FALSE(check.Confirm(true, platform));
    EXPECT_TRUE(check.CloseConfirmed());
}

TEST(CloseCheck, RefusedCheckHidesTheCursorAndStartsTheSpanWhenThePromptEnds) {
    CloseCheck check;
    FakePlatform platform;
    platform.ticks = {5000, 9000}; // the prompt was up for four seconds
    EXPECT_FALSE(check.Confirm(true, platform));
    EXPECT_EQ(platform.calls, (Calls{"tick", "remove timers", "ask", "hide cursor", "tick"}));
    EXPECT_EQ(check.State(), CloseCheckState::Idle);
    EXPECT_EQ(check.LastCheck(), 9000u);

    // 199 ms after the prompt closed: refused without asking.
    platform.calls.clear();
    platform.ticks = {9199};
    EXPECT_FALSE(check.Confirm(true, platform));
    EXPECT_EQ(platform.calls, (Calls{"tick"}));
    EXPECT_EQ(check.LastCheck(), 9000u) << "a refusal without a check does not move the span";

    // 200 ms after: asked again, and the right password closes.
    FakePlatform later;
    later.ticks = {9200, 9900};
    later.verifier = [] { return true; };
    EXPECT_TRUE(check.Confirm(true, later));
    EXPECT_EQ(later.calls, (Calls{"tick", "remove timers", "ask", "tick"})) << "the cursor is left alone";
    EXPECT_EQ(check.State(), CloseCheckState::Closing);
}

TEST(CloseCheck, RequestsDuringTheCheckAreRefusedAndDoNotStack) {
    CloseCheck check;
    FakePlatform platform;
    platform.ticks = {100, 3000};
    int nestedRequests = 0;
    platform.verifier = [&] {
        // The prompt's modal loop delivers the saver's own WM_CLOSE messages.
        EXPECT_EQ(check.State(), CloseCheckState::Checking);
        EXPECT_TRUE(check.InProgress());
        FakePlatform nested;
        nested.ticks = {2000};
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(check.Confirm(true, nested));
            ++nestedRequests;
        }
        EXPECT_TRUE(nested.calls.empty()) << "refused before the clock is even read";
        return false;
    };
    EXPECT_FALSE(check.Confirm(true, platform));
    EXPECT_EQ(nestedRequests, 3);
    EXPECT_EQ(platform.calls, (Calls{"tick", "remove timers", "ask", "hide cursor", "tick"}));
    EXPECT_EQ(check.State(), CloseCheckState::Idle);
}
