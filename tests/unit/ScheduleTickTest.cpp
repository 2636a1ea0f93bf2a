#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "ScheduleFixture.h"
#include "app/StartUp.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Tick.h"
#include "tray/TrayMenu.h"

namespace varnel::testing {
namespace {

using namespace countdown;

class TickTest : public ScheduleTest {
protected:
    TickTest() {
        settingsFile("[强行关机]\n是=真\n");
        program.shutdownTime = {23, 0};
        program.fiveMinuteWarning = true;
    }

    // One tick at the given second of the day (the clock then stays there).
    void tickAt(int secondOfDay) {
        at(secondOfDay / 3600 % 24, secondOfDay / 60 % 60, secondOfDay % 60);
        onClockTick(program);
    }
    std::string digits() {
        const WindowId main = program.mainWindow;
        return fake.text(main, "时标签7") + ":" + fake.text(main, "分标签8") + ":" +
               fake.text(main, "秒标签9");
    }
    static int secondOf(int h, int m, int s) { return h * 3600 + m * 60 + s; }
};

TEST_F(TickTest, AnnouncesOnceFiveMinutesAheadAndCountsTheSecondsDown) {
    tickAt(secondOf(22, 54, 59));
    EXPECT_EQ(program.secondsToShutdown, 0);
    EXPECT_EQ(window(), 0);

    tickAt(secondOf(22, 55, 0));
    EXPECT_EQ(program.secondsToShutdown, 300);
    ASSERT_NE(window(), 0);
    EXPECT_EQ(fake.window(window()).modalDepth, 0);  // the tick does not wait for it
    EXPECT_EQ(program.reminderShownCount, 1);
    EXPECT_EQ(fake.pendingEventRuns, 1);
    EXPECT_EQ(fake.pauses, std::vector<int>{300});

    click(kCloseButton);
    for (int s = secondOf(22, 55, 1); s < secondOf(23, 0, 0); ++s) {
        tickAt(s);
        EXPECT_EQ(program.secondsToShutdown, secondOf(23, 0, 0) - s);
    }
    EXPECT_TRUE(fake.shutdownRequests.empty());

    // A postpone after the announcement shuts down without a second one.
    program.shutdownTime = {23, 30};
    for (int s = secondOf(23, 0, 0); s <= secondOf(23, 30, 0); ++s) {
        tickAt(s);
    }
    EXPECT_EQ(window(), 0);  // closed stays closed: once per run
    EXPECT_EQ(program.reminderShownCount, 1);
    EXPECT_EQ(fake.pendingEventRuns, 1);
    EXPECT_EQ(fake.shutdownRequests.size(), 1u);  // at 23:30:00
}

TEST_F(TickTest, RequestsTheShutdownOnEveryTickOfTheShutdownMinute) {
    for (int s = secondOf(22, 59, 50); s < secondOf(23, 1, 10); ++s) {
        tickAt(s);
    }
    EXPECT_EQ(fake.shutdownRequests, std::vector<bool>(60, true));
    EXPECT_EQ(program.secondsToShutdown, 0);
}

// From the announcement or a countdown's start to the shutdown the system must
// not sleep; it is told only of changes.
TEST_F(TickTest, KeepsTheSystemAwakeWhileAShutdownIsNear) {
    int s = secondOf(22, 54, 0);
    const auto tickTo = [&](int h, int m, int sec) {
        for (; s <= secondOf(h, m, sec); ++s) {
            tickAt(s);
        }
        return fake.keepAwakeCalls;
    };
    using Calls = std::vector<bool>;
    EXPECT_EQ(tickTo(22, 54, 59), Calls{});
    EXPECT_EQ(tickTo(22, 55, 0), Calls{true});
    program.shutdownTime = {23, 30};  // postponed
    EXPECT_EQ(tickTo(22, 56, 0), (Calls{true, false}));
    EXPECT_EQ(tickTo(23, 24, 59), (Calls{true, false}));
    EXPECT_EQ(tickTo(23, 30, 59), (Calls{true, false, true}));  // through the shutdown minute
    EXPECT_EQ(tickTo(23, 31, 0), (Calls{true, false, true, false}));

    program.countdownRunning = true;
    program.countdownSeconds = 3600;
    EXPECT_EQ(tickTo(23, 31, 1), (Calls{true, false, true, false, true}));
    program.countdownRunning = false;  // stopped
    EXPECT_EQ(tickTo(23, 31, 2), (Calls{true, false, true, false, true, false}));
    program.countdownRunning = true;
    tickTo(23, 31, 3);
    exitProgram(program);
    EXPECT_EQ(fake.keepAwakeCalls, (Calls{true, false, true, false, true, false, true, false}));
}

TEST_F(TickTest, NoDailyShutdownWithTheOptionOffOrWhileACountdownRuns) {
    for (const bool countdown : {false, true}) {
        program.fiveMinuteWarning = countdown;  // the countdown case has the option on
        program.countdownRunning = countdown;
        program.countdownSeconds = countdown ? 3600 : 0;
        for (int s = secondOf(22, 55, 0); s < secondOf(23, 1, 0); ++s) {
            tickAt(s);
        }
        EXPECT_TRUE(fake.shutdownRequests.empty()) << countdown;
        EXPECT_EQ(window(), 0) << countdown;
        EXPECT_EQ(digits(), "23:00:59") << countdown;
        EXPECT_EQ(program.countdownSeconds, countdown ? 3600 - 360 : 0);
        if (!countdown) {
            EXPECT_EQ(program.secondsToShutdown, 0);
        }
    }
}

TEST_F(TickTest, ACountdownShutsDownSixtyTicksPerMinuteAfterItsStart) {
    program.countdownRunning = true;
    program.countdownSeconds = 10 * 60;
    std::vector<int> promptsAt;
    fake.onModal = [&](WindowId) { promptsAt.push_back(program.countdownSeconds); };

    int ticks = 0;
    for (int s = secondOf(12, 0, 0); fake.shutdownRequests.empty(); ++s) {
        tickAt(s);
        ++ticks;
        ASSERT_LT(ticks, 700);
    }
    EXPECT_EQ(ticks, 600);
    EXPECT_EQ(promptsAt, std::vector<int>{300});  // modal, once, at exactly 300
    EXPECT_TRUE(program.countdownPromptShown);

    tickAt(secondOf(12, 10, 0));  // still below 1: asked again
    EXPECT_EQ(program.countdownSeconds, -1);
    EXPECT_EQ(fake.shutdownRequests.size(), 2u);

    program.countdownSeconds = 6 * 60;  // a second countdown is never prompted
    for (int s = secondOf(13, 0, 0); s < secondOf(13, 1, 10); ++s) {
        tickAt(s);
    }
    EXPECT_EQ(promptsAt.size(), 1u);
}

TEST_F(TickTest, ACountdownOfFiveMinutesIsNeverPrompted) {
    int prompts = 0;
    fake.onModal = [&](WindowId) { ++prompts; };
    program.countdownRunning = true;
    program.countdownSeconds = 5 * 60;
    for (int s = 0; s < 300; ++s) {
        tickAt(secondOf(12, 0, 0) + s);
    }
    EXPECT_EQ(prompts, 0);
    EXPECT_EQ(fake.shutdownRequests.size(), 1u);
}

TEST_F(TickTest, AHugeNegativeCountdownShutsDownWithoutWrapping) {
    program.countdownRunning = true;
    program.countdownSeconds = std::numeric_limits<std::int32_t>::min();
    tickAt(secondOf(12, 0, 0));
    tickAt(secondOf(12, 0, 1));
    EXPECT_EQ(program.countdownSeconds, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(fake.shutdownRequests.size(), 2u);
}

TEST_F(TickTest, ATimerThatFiresEarlyOnlyReArms) {
    program.countdownRunning = true;
    program.countdownSeconds = 100;
    at(12, 0, 0, 10);
    onClockTick(program);
    at(12, 0, 0, 990);  // same second again
    onClockTick(program);
    EXPECT_EQ(program.countdownSeconds, 99);
    EXPECT_EQ(fake.timerPeriod(program.mainWindow, "时钟1"), msUntilNextTick(990));
    at(12, 0, 1, 5);
    onClockTick(program);
    EXPECT_EQ(program.countdownSeconds, 98);
    EXPECT_EQ(fake.timerPeriod(program.mainWindow, "时钟1"), msUntilNextTick(5));
}

// The timer fires late or early by up to a Windows timer tick, and under load
// much later; every second must still be shown once, in order, and a countdown
// must last its minutes of wall time.
TEST_F(TickTest, SecondsNeitherSkipNorRepeatWhenTheTimerDrifts) {
    program.countdownRunning = true;
    program.countdownSeconds = 600;
    const int jitters[] = {-15, 0, 15, 3, -7, 40, 11, -15, 90, 1};
    long long nowMs = secondOf(12, 0, 0) * 1000LL + 437;
    std::vector<int> shown;
    for (int i = 0; fake.shutdownRequests.empty() && i < 2000; ++i) {
        const int second = static_cast<int>(nowMs / 1000);
        at(second / 3600, second / 60 % 60, second % 60, static_cast<int>(nowMs % 1000));
        onClockTick(program);
        const int secondShown = std::stoi(fake.text(program.mainWindow, "秒标签9"));
        if (shown.empty() || shown.back() != secondShown) {
            shown.push_back(secondShown);
        }
        nowMs += fake.timerPeriod(program.mainWindow, "时钟1") + jitters[i % 10];
    }
    ASSERT_EQ(fake.shutdownRequests.size(), 1u);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        ASSERT_EQ(shown[i], (shown[i - 1] + 1) % 60) << "after " << i << " seconds";
    }
    const long long elapsedMs = nowMs - (secondOf(12, 0, 0) * 1000LL + 437);
    EXPECT_GE(elapsedMs, 599'000);
    EXPECT_LE(elapsedMs, 601'100);
}

TEST_F(TickTest, TicksGoOnInsideTheModalPromptAndTheInterruptedTickUsesTheNewValues) {
    program.countdownRunning = true;
    program.countdownSeconds = 301;
    int s = secondOf(12, 0, 0);
    fake.onModal = [&](WindowId modal) {
        EXPECT_EQ(modal, window());
        for (int i = 0; i < 310; ++i) {  // the user leaves the prompt open
            tickAt(++s);
        }
    };
    tickAt(s);
    EXPECT_EQ(program.countdownSeconds, -10);
    // Nested ticks requested at 0..-10; the interrupted one asks once more.
    EXPECT_EQ(fake.shutdownRequests.size(), 12u);
    EXPECT_EQ(digits(), "12:05:10");  // not put back to the interrupted tick's 12:00:00
    EXPECT_EQ(window(), 0);
}

TEST_F(TickTest, StoppingTheCountdownInsideThePromptDoesNotShutDown) {
    settingsFile("[倒计时窗口样式]\n样式=2\n[关机时间]\n小时=23\n分钟=0\n");
    program.countdownRunning = true;
    program.countdownSeconds = 301;
    fake.onModal = [&](WindowId) {
        tickAt(secondOf(12, 0, 1));
        click(kCountdownButton);  // reads "取消": stops the countdown
    };
    tickAt(secondOf(12, 0, 0));
    EXPECT_FALSE(program.countdownRunning);
    EXPECT_EQ(program.countdownSeconds, 0);
    EXPECT_TRUE(fake.shutdownRequests.empty());
}

}  // namespace
}  // namespace varnel::testing
