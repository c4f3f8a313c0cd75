// The full-screen saver window as a user meets it: it covers the screen in
// black, hides nothing it should show, and closes on input by the rules.
#include <gtest/gtest.h>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr char kClass[] = "WindowsScreenSaverClass";
constexpr char kTitle[] = "Screen Saver";

// Starts the full-screen saver with the cursor at a known place and waits for its window.
struct FullScreen {
    Saver saver;
    HWND window;
    explicit FullScreen(int x = 300, int y = 300) : saver((e2e::MoveCursorTo(x, y), Saver::Start("/s"))) {
        window = saver.WaitForWindow(kClass, kTitle);
        e2e::Settle(300); // the window finishes showing before input arrives
    }
};

bool StaysOpen(Saver &saver) { return !saver.WaitForExit(500).has_value(); }

} // namespace

TEST(SaverWindowE2E, MouseMoveOfFourStaysFiveCloses) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    e2e::MoveCursorTo(303, 301);
    EXPECT_TRUE(StaysOpen(run.saver));
    e2e::MoveCursorTo(303, 302);
    EXPECT_EQ(run.saver.WaitForExit(), 0);
}
