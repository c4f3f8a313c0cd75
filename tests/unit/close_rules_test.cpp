// Close-rule arithmetic: wake distance, refused system commands, tick wrap.
#include <gtest/gtest.h>

#include <climits>

#include "host/close_rules.h"

TEST(WakeDistance, FourStaysFiveWakes) {
    EXPECT_EQ(WakeDistance(303, 301, 300, 300), 4);
    EXPECT_FALSE(IsWakeDistance(WakeDistance(303, 301, 300, 300)));
    EXPECT_EQ(WakeDistance(303, 302, 300, 300), 5);
    EXPECT_TRUE(IsWakeDistance(WakeDistance(303, 302, 300, 300)));
    EXPECT_EQ(WakeDistance(297, 298, 300, 300), 5); // left and up count the same
    EXPECT_FALSE(IsWakeDistance(0));
}

TEST(WakeDistance, ExtremeCoordinatesSaturateInsteadOfOverflowing) {
    EXPECT_EQ(WakeDistance(INT_MAX, INT_MAX, INT_MIN, INT_MIN), INT_MAX);
    EXPECT_EQ(WakeDistance(INT_MIN, 0, INT_MAX, 0), INT_MAX);
    EXPECT_TRUE(IsWakeDistance(WakeDistance(INT_MIN, 0, 0, 0)));
    EXPECT_EQ(WakeDistance(-10, -10, 10, 10), 40);
}

TEST(IsRefusedSysCommand, OnlyTheThreeExactCommands) {
    EXPECT_TRUE(IsRefusedSysCommand(0xF040));  // SC_NEXTWINDOW
    EXPECT_TRUE(IsRefusedSysCommand(0xF050));  // SC_PREVWINDOW
    EXPECT_TRUE(IsRefusedSysCommand(0xF140));  // SC_SCREENSAVE
    EXPECT_FALSE(IsRefusedSysCommand(0xF142)); // low bits set: not exactly the command
    EXPECT_FALSE(IsRefusedSysCommand(0xF060)); // SC_CLOSE
    EXPECT_FALSE(IsRefusedSysCommand(0xF170)); // SC_MONITORPOWER
}

TEST(ElapsedTicks, DifferenceModuloTwoToThe32) {
    EXPECT_EQ(ElapsedTicks(1000, 1199), 199u);
    EXPECT_EQ(ElapsedTicks(1000, 1200), 200u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFF9Cu, 99), 199u); // wrapped between the readings
    EXPECT_EQ(ElapsedTicks(0xFFFFFF9Cu, 100), 200u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFFFu, 0), 1u);
    EXPECT_EQ(ElapsedTicks(5, 5), 0u);
}
