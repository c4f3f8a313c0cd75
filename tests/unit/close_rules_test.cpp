// The close rules' arithmetic, and the Windows 9x close check driven through a
// fake platform: the order of its steps, the 200 ms refusal, nested requests.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/close_rules.h"
#include "host/password_rules.h"

namespace {
// Records the platform calls in order; the clock and the verifier's answer are scripted.
struct FakePlatform final : CloseCheckPlatform {
    std::vector<std::uint32_t> ticks; // handed out in order; one too many fails the test
    std::size_t ticksRead = 0;
    std::function<bool()> verifier;
    std::string calls;
    std::uint32_t TickCount() override {
        calls += "tick ";
        return ticks.at(ticksRead++);
    }
    void RemovePendingTimers() override { calls += "remove "; }
    bool AskVerifier() override {
        calls += "ask ";
        return verifier();
    }
    void HideCursor() override { calls += "hide "; }
};
} // namespace

TEST(CloseRules, FourPixelsStayFiveWakeAndOnlyTheThreeSwitchCommandsAreRefused) {
    EXPECT_FALSE(IsWakeDistance(WakeDistance(303, 301, 300, 300)));
    EXPECT_TRUE(IsWakeDistance(WakeDistance(303, 302, 300, 300)));
    EXPECT_TRUE(IsWakeDistance(WakeDistance(297, 298, 300, 300)));
    for (std::uint32_t command : {0xF040u, 0xF050u, 0xF140u}) EXPECT_TRUE(IsRefusedSysCommand(command));
    // Low bits set, SC_CLOSE, SC_MONITORPOWER.
    for (std::uint32_t command : {0xF041u, 0xF142u, 0xF060u, 0xF170u}) EXPECT_FALSE(IsRefusedSysCommand(command));
}

TEST(CloseCheck, RefusalHidesTheCursorAndRefusesFor200MsFromThePromptsEndAcrossTheWrap) {
    CloseCheck check;
    FakePlatform platform;
    // A first request soon after the counter started; the prompt ends just before it wraps.
    platform.ticks = {100, 0xFFFFFF9Cu, 99, 100, 900};
    int asked = 0;
    platform.verifier = [&] {
        // The prompt's modal loop delivers the saver's own close requests: refused unread.
        EXPECT_EQ(check.State(), CloseCheckState::Checking);
        FakePlatform nested;
        EXPECT_FALSE(check.Confirm(true, nested));
        EXPECT_EQ(nested.calls, "");
        return ++asked == 2;
    };
    EXPECT_FALSE(check.Confirm(true, platform));
    EXPECT_EQ(platform.calls, "tick remove ask hide tick ");
    EXPECT_FALSE(check.Confirm(true, platform)); // 199 ms after the prompt closed
    EXPECT_EQ(asked, 1);
    platform.calls.clear();
    EXPECT_TRUE(check.Confirm(true, platform)); // 200 ms: asked again, and granted
    EXPECT_EQ(platform.calls, "tick remove ask tick ");
    EXPECT_EQ(check.State(), CloseCheckState::Closing);

    // Without a verifier the first request closes at once, and closing is final.
    CloseCheck unprotected;
    FakePlatform untouched;
    EXPECT_TRUE(unprotected.Confirm(false, untouched) && unprotected.CloseConfirmed());
    EXPECT_FALSE(unprotected.Confirm(true, untouched));
    EXPECT_EQ(untouched.calls, "") << "no clock, no prompt, no cursor change";
}
