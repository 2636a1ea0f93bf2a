#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "schedule/ScheduleMath.h"

namespace varnel {
namespace {

// The daily rule for in-range times, stated independently of the hour-24
// counting: d = (shutdown minute - clock minute) modulo 1440.
ScheduleDecision byModulo(int hour, int minute, int h, int m, int s) {
    const int d = ((hour * 60 + minute) - (h * 60 + m) + 1440) % 1440;
    ScheduleDecision expected;
    expected.requestShutdown = d == 0;
    if (d >= 1 && d <= 5) {
        expected.announce = true;
        expected.secondsToShutdown = 60 * d - s;
    }
    return expected;
}

TEST(ScheduleMath, EveryInRangeShutdownTimeAtEveryClockMinuteFollowsTheModuloRule) {
    int mismatches = 0;
    for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            for (int clock = 0; clock < 1440; ++clock) {
                const int h = clock / 60;
                const int m = clock % 60;
                const int s = (hour * 7 + minute + clock) % 60;  // every second value occurs
                const ScheduleDecision got = scheduleAt(hour, minute, h, m, s);
                const ScheduleDecision want = byModulo(hour, minute, h, m, s);
                if (got.requestShutdown != want.requestShutdown || got.announce != want.announce ||
                    got.secondsToShutdown != want.secondsToShutdown) {
                    if (++mismatches <= 10) {
                        ADD_FAILURE()
                            << "shutdown " << hour << ":" << minute << " clock " << h << ":" << m
                            << ":" << s << " got request " << got.requestShutdown << " announce "
                            << got.announce << " seconds " << got.secondsToShutdown;
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ScheduleMath, AnnouncementCountsDownFrom300To1AcrossMidnightAndHourZero) {
    EXPECT_EQ(scheduleAt(23, 0, 22, 55, 0).secondsToShutdown, 300);
    EXPECT_EQ(scheduleAt(23, 0, 22, 59, 59).secondsToShutdown, 1);
    EXPECT_EQ(scheduleAt(0, 2, 23, 57, 10).secondsToShutdown, 290);
    EXPECT_EQ(scheduleAt(1, 0, 0, 57, 30).secondsToShutdown, 150);
    EXPECT_EQ(scheduleAt(1, 4, 0, 59, 0).secondsToShutdown, 300);
    EXPECT_FALSE(scheduleAt(1, 5, 0, 59, 59).announce);
    EXPECT_TRUE(scheduleAt(0, 0, 23, 55, 0).announce);
    EXPECT_TRUE(scheduleAt(0, 0, 0, 0, 30).requestShutdown);
    EXPECT_FALSE(scheduleAt(23, 0, 23, 10, 0).announce);
}

TEST(ScheduleMath, OutOfRangeTimesAreUsedAsTheyAre) {
    for (int clock = 0; clock < 1440; ++clock) {
        const int h = clock / 60;
        const int m = clock % 60;
        for (int minute = 0; minute < 60; ++minute) {
            // Hour 24 is hour 0, counted as 24 already.
            const ScheduleDecision hour24 = scheduleAt(24, minute, h, m, 15);
            const ScheduleDecision hour0 = scheduleAt(0, minute, h, m, 15);
            EXPECT_EQ(hour24.requestShutdown, hour0.requestShutdown);
            EXPECT_EQ(hour24.announce, hour0.announce);
            EXPECT_EQ(hour24.secondsToShutdown, hour0.secondsToShutdown);
            // Beyond 00:59 counted as 24:59 no clock minute can match.
            EXPECT_FALSE(scheduleAt(25, minute, h, m, 0).requestShutdown) << minute;
            EXPECT_FALSE(scheduleAt(-1, minute, h, m, 0).requestShutdown) << minute;
        }
        // Minute 75 of hour 23 is 00:15.
        const ScheduleDecision late = scheduleAt(23, 75, h, m, 15);
        const ScheduleDecision quarterPast = scheduleAt(0, 15, h, m, 15);
        EXPECT_EQ(late.requestShutdown, quarterPast.requestShutdown) << h << ":" << m;
        EXPECT_EQ(late.secondsToShutdown, quarterPast.secondsToShutdown) << h << ":" << m;
    }
}

TEST(ScheduleMath, ExtremeTimesNeitherOverflowNorFire) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    for (const std::int32_t hour : {kMax, kMin, kMin + 1}) {
        for (const std::int32_t minute : {kMax, kMin, 0}) {
            for (int h : {0, 1, 12, 23}) {
                const ScheduleDecision d = scheduleAt(hour, minute, h, 59, 59);
                EXPECT_FALSE(d.requestShutdown) << hour << ":" << minute;
            }
        }
    }
    // A negative hour with a small minute still meets the hour-0 rule and is
    // announced with the seconds saturated, not wrapped into a positive count.
    const ScheduleDecision negative = scheduleAt(kMin, 0, 0, 59, 0);
    EXPECT_TRUE(negative.announce);
    EXPECT_EQ(negative.secondsToShutdown, kMin);
}

TEST(ScheduleMath, NextTickLandsJustPastTheNextSecondBoundary) {
    for (int ms = 0; ms < 1000; ++ms) {
        const int wait = msUntilNextTick(ms);
        // Past the boundary when the timer is on time, and at most one Windows
        // timer tick (15.6 ms) after it.
        EXPECT_GT(ms + wait, 1000) << ms;
        EXPECT_LE(ms + wait, 1016) << ms;
    }
}

}  // namespace
}  // namespace varnel
