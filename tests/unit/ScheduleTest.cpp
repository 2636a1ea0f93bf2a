// The daily schedule and its weekdays, the tick, the countdown window, postponing and the
// countdown.
#include <random>

#include "app/StartUp.h"
#include "config_ui/Defaults.h"
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Tick.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using namespace countdown;
using testing::Log;
using namespace std::string_literals;

auto fields(const ScheduleDecision& d) {
    return std::tuple(d.requestShutdown, d.announce, d.secondsToShutdown);
}

// In range the rule is (shutdown minute - clock minute) modulo 1440, stated
// here without the program's counting of hour 0 as hour 24.
TEST(ScheduleMath, EveryShutdownTimeAtEveryClockMinuteFollowsTheModuloRule) {
    for (int shutdown = 0; shutdown < 1440; ++shutdown) {
        for (int clock = 0; clock < 1440; ++clock) {
            const int d = (shutdown - clock + 1440) % 1440, s = (shutdown * 7 + clock) % 60;
            const bool near = d >= 1 && d <= 5;
            ASSERT_EQ(fields(scheduleAt(shutdown / 60, shutdown % 60, clock / 60, clock % 60, s)),
                      std::tuple(d == 0, near, near ? 60 * d - s : 0))
                << shutdown << " at " << clock;
        }
        // Out of range a time is used as it is: hour 24 is hour 0, minute 75 of 23 is 00:15.
        const int h = shutdown / 60, m = shutdown % 60;
        ASSERT_EQ(fields(scheduleAt(24, m, h, m, 15)), fields(scheduleAt(0, m, h, m, 15)));
        ASSERT_EQ(fields(scheduleAt(23, 75, h, m, 15)), fields(scheduleAt(0, 15, h, m, 15)));
        ASSERT_FALSE(scheduleAt(25, m, h, m, 0).requestShutdown);
    }
    constexpr std::int32_t kMax = 2147483647, kMin = -kMax - 1;
    EXPECT_EQ(fields(scheduleAt(kMax, kMax, 23, 59, 59)), std::tuple(false, false, 0));
    // Announced by the hour-0 rule, with the seconds saturated rather than wrapped.
    EXPECT_EQ(fields(scheduleAt(kMin, 0, 0, 59, 0)), std::tuple(false, true, kMin));
    EXPECT_EQ(std::pair(msUntilNextTick(0), msUntilNextTick(999)), std::pair(1015, 16));
}

// A running program with its shutdown at hour:minute on `days`, Monday first.
void schedule23(Program& p, int hour = 23, int minute = 0, const char* days = "1111111") {
    createMainWindow(p);
    p.shutdownTime = {hour, minute};
    p.shutdownDays = shutdownDaysFrom(days);
    p.shutdownTimeLoaded = p.fiveMinuteWarning = true;
}

// The clock `s` seconds after 2026-12-07 00:00.
LocalTime at(std::int64_t s, int ms = 0) {
    return {2026, 12, int(7 + s / 86400), 1, int(s / 3600 % 24), int(s / 60 % 60), int(s % 60), ms};
}

constexpr int k2255 = 22 * 3600 + 55 * 60, k2300 = 23 * 3600, kNoon = 12 * 3600;

class ScheduleTest : public testing::FakeProgramTest {
protected:
    ScheduleTest() {
        schedule23(program);
        fake.setSettings("[强行关机]\r\n是=真\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n");
    }
    // One tick at each second in [from, to].
    void tick(int from, int to, int ms = 0) {
        for (int s = from; s <= to; ++s) {
            fake.clock = at(s, ms);
            onClockTick(program);
        }
    }
    std::string digits() {
        const WindowId main = program.mainWindow;
        return fake.text(main, "时标签7") + ":" + fake.text(main, "分标签8") + ":" +
               fake.text(main, "秒标签9");
    }
    void open(const std::string& style = "1") {
        fake.setSettings("[倒计时窗口样式]\r\n样式=" + style + "\r\n" + fake.settings());
        openCountdownWindow(program, false);
    }
    std::string text(const char* control) { return fake.text(window, control); }
    // The button's caption, "+" when enabled.
    std::string button(const char* b) { return text(b) + (fake.enabled(window, b) ? "+" : ""); }
    void click(const char* control) { fake.click(window, control); }
    void type(const char* box, const std::string& typed) { fake.type(window, box, typed); }
    std::string style() { return program.settings.readSetting("倒计时窗口样式", "样式"); }
    int shutdowns() { return int(fake.calls("shutdown").size()); }

    const WindowId& window = program.countdownWindow;
};

TEST_F(ScheduleTest, AnnouncesEachShutdownOnceAsksOnceWhenAcceptedAndKeepsTheSystemAwake) {
    fake.setSettings("[倒计时窗口样式]\r\n样式=1\r\n" + fake.settings());  // as start-up leaves it
    tick(k2255 - 60, k2255 - 1);
    EXPECT_EQ(window, 0);
    tick(k2255, k2255, 400);
    tick(k2255, k2255, 900);  // a timer that fired early only re-arms
    EXPECT_EQ(fake.timer(program.mainWindow, "时钟1"), 115);
    ASSERT_NE(window, 0);  // the tick does not wait for it
    EXPECT_EQ(fake.calls("p"), (Log{"pending", "pause 300"}));
    // Seen above a full-screen program, the keys left where the user types, and
    // once activated, Enter or Space meant elsewhere does nothing there.
    const auto attention = [&] {
        const testing::FakeWindow& w = fake.window(window);
        return std::tuple(w.visible, w.topmost, w.flashing, w.active, w.focus);
    };
    EXPECT_EQ(attention(), std::tuple(true, true, true, false, std::string(kMinutesBox)));
    fake.pressKey(window, 0x0D);
    fake.pressKey(window, ' ');
    click(kCloseButton);
    for (int s = k2255 + 1; s < k2300; ++s) {
        tick(s, s);
        ASSERT_EQ(program.secondsToShutdown, k2300 - s);
        ASSERT_EQ(fake.calls("beep").size(), k2300 - s > 60 ? 1u : 2u);  // opened, last minute
    }
    EXPECT_EQ(window, 0);  // closed by the user: not again for this time
    EXPECT_EQ(digits(), "22:59:59");
    // Accepted once: the user may cancel Windows' own screen and keep the computer on.
    tick(k2300, k2300);
    EXPECT_EQ(fake.calls("awake").back(), "awake 0");  // the warning ends with the request
    tick(k2300 + 1, k2300 + 60);
    EXPECT_EQ(fake.calls("shutdown"), Log{"shutdown 1"});
    // Refused: asked again on every tick of the minute, and the next time is announced again.
    fake.shutdownAccepted = false;
    program.shutdownTime = {23, 30};
    tick(k2300 + 61, k2300 + 1499);
    EXPECT_EQ(window, 0);
    tick(k2300 + 1500, k2300 + 1500);
    ASSERT_NE(window, 0);
    EXPECT_EQ(attention(), std::tuple(true, true, true, false, std::string(kMinutesBox)));
    // Postponed in the window to two minutes ahead: no longer above all, then
    // announced by the same window and asked for at its own minute.
    type(kPostponeHourBox, "23");
    type(kPostponeMinuteBox, "27");
    click(kPostponeButton);
    EXPECT_FALSE(fake.window(window).topmost);
    tick(k2300 + 1501, k2300 + 1619);
    EXPECT_EQ(std::tuple(fake.windowCount(), fake.window(window).topmost, shutdowns()),
              std::tuple(2u, true, 1));
    tick(k2300 + 1620, k2300 + 1700);  // the minute passes: it stands back among the others
    EXPECT_EQ(std::pair(fake.window(window).topmost, shutdowns()), std::pair(false, 61));
    EXPECT_EQ(fake.calls("awake"), (Log{"awake 1", "awake 0", "awake 1", "awake 0"}));
    program.fiveMinuteWarning = false;  // no daily shutdown with the option off
    program.shutdownTime = {12, 0};
    tick(kNoon - 300, kNoon + 60);
    EXPECT_EQ(shutdowns(), 61);
    EXPECT_EQ(digits(), "12:01:00");
}

// However the ticks come (start-up, sleep, a clock set), the shutdown is asked
// for only after five minutes of warning counted by the ticks, and never
// before its minute; a minute slept past stays missed.
TEST_F(ScheduleTest, AWarningThatComesLateStillCountsItsFiveMinutes) {
    const int k2250 = k2255 - 300, k2257 = k2255 + 120;
    // Runs of ticks a second apart, [from, to], and when the shutdown is asked for; a
    // negative `to` is minus the seconds between ticks that go on until 23:00:59.
    const std::pair<std::vector<std::pair<int, int>>, int> kRuns[] = {
        {{{k2255 - 60, k2300 + 59}}, k2300},        // running through
        {{{k2255 - 60, -5}}, k2300},                // ticks 5 s apart (a busy system) count
        {{{k2300 + 5, k2300 + 600}}, k2300 + 305},  // started inside the minute
        {{{k2300 - 1, k2300 + 600}}, k2300 + 299},  // a second before it
        {{{k2250, k2250}, {k2300 + 30, k2300 + 600}}, k2300 + 330},      // resumed in the minute
        {{{k2257, k2257 + 9}, {k2300 + 30, k2300 + 600}}, k2300 + 330},  // slept while warned
        {{{k2257, k2257 + 9}, {k2300 + 70, k2300 + 600}}, -1},           // slept past it
        {{{k2257, k2257 + 9}, {k2250, k2300 + 9}}, k2300},  // clock set back: warned again
    };
    for (const auto& [runs, expected] : kRuns) {
        testing::FakePlatform f;
        Program p{f};
        schedule23(p);
        int asked = -1;
        for (const auto& [from, last] : runs) {
            const int to = last < 0 ? k2300 + 59 : last, step = last < 0 ? -last : 1;
            for (int s = from; s <= to && asked < 0; s += step) {
                f.clock = at(s);
                onClockTick(p);
                asked = f.calls("shutdown").empty() ? -1 : s;
                // A late warning outlasts its minute: counted, above all, the system awake.
                if (s == k2300 + 90 && expected > s) {
                    EXPECT_EQ(std::tuple(p.secondsToShutdown, f.window(p.countdownWindow).topmost,
                                         f.calls("awake"), f.calls("beep").size()),
                              std::tuple(expected - s, true, Log{"awake 1"}, 1u));
                }
            }
        }
        EXPECT_EQ(asked, expected) << runs.front().first << " then " << runs.back().first;
    }
    tick(k2257, k2257 + 9);  // set back to six minutes before: warned again only at five
    tick(k2255 - 60, k2255 - 50);
    EXPECT_FALSE(program.warningUp);
}

// The promise over random clocks (sleeps, clocks set back, windows closed, times
// postponed): a request follows five minutes of a warning that was shown, counted
// by ticks at most 5 s apart, or comes in a minute the user set in the window;
// and never before the shutdown minute.
TEST_F(ScheduleTest, NoShutdownWithoutFiveMinutesOfWarningOrTheUsersWord) {
    std::mt19937 random(7);
    int requests = 0;
    for (int run = 0; run < 150; ++run) {
        testing::FakePlatform f;
        Program p{f};
        schedule23(p);
        f.shutdownAccepted = random() % 2 == 0;
        std::int64_t clock = k2300 - random() % 900;
        std::int64_t warned = -1, userMinute = -1;  // seconds of warning seen, none yet
        for (int step = 0; step < 1200; ++step) {
            const unsigned r = random() % 1000;
            const std::int64_t delta = r < 4   ? 6 + random() % 400
                                       : r < 6 ? -1 - int(random() % 600)
                                               : 1;
            if (r >= 6 && r < 9 && p.countdownWindow != 0) {
                f.destroyWindow(p.countdownWindow);  // closed by the user
            } else if (r >= 9 && r < 11 && p.countdownWindow != 0) {
                const std::int64_t minute = (clock / 60 + random() % 5) % 1440;
                f.type(p.countdownWindow, kPostponeHourBox, std::to_string(minute / 60));
                f.type(p.countdownWindow, kPostponeMinuteBox, std::to_string(minute % 60));
                f.click(p.countdownWindow, kPostponeButton);
                userMinute = f.text(p.countdownWindow, kPostponeButton) == kCancel ? minute : -1;
            }
            clock += delta;
            f.clock = at(clock);
            const std::size_t before = f.calls("shutdown").size();
            onClockTick(p);
            warned = warned < 0 ? warned : delta >= 1 && delta <= 5 ? warned + delta : 0;
            if (warned < 0 && p.countdownWindow != 0 && f.window(p.countdownWindow).topmost) {
                warned = 0;
            }
            if (f.calls("shutdown").size() > before) {
                ++requests;
                const std::int64_t late =
                    (clock / 60 - (p.shutdownTime[0] * 60 + p.shutdownTime[1]) + 1440 * 4) % 1440;
                ASSERT_LE(late, 6) << run << " at " << clock;
                ASSERT_TRUE(clock / 60 % 1440 == userMinute || warned >= 300)
                    << run << " at " << clock;
            }
            warned = p.warningUp ? warned : -1;
        }
    }
    EXPECT_GT(requests, 100);  // the walk reaches shutdowns, not only gaps
}

TEST_F(ScheduleTest, EachCountdownShutsDownAfterItsSecondsAndPromptsAtFiveMinutes) {
    std::vector<int> prompts;
    fake.onModal = [&](WindowId) { prompts.push_back(program.countdownSeconds); };
    for (const bool accepted : {true, false}) {
        open();
        type(kMinutesBox, "10");
        click(kCountdownButton);
        fake.destroyWindow(window);
        fake.shutdownAccepted = accepted;
        tick(kNoon, kNoon + 598);  // the daily schedule waits meanwhile
        EXPECT_EQ(shutdowns(), accepted ? 0 : 1);
        tick(kNoon + 599, kNoon + 600);
        // Accepted: stopped as 取消 stops it. Refused: asked again a second later.
        EXPECT_EQ(std::tuple(shutdowns(), program.countdownRunning, style()),
                  std::tuple(accepted ? 1 : 3, !accepted, accepted ? "1"s : "2"s));
    }
    EXPECT_EQ(prompts, (std::vector<int>{300, 300}));
    EXPECT_EQ(fake.calls("beep").size(), 4u);  // at each prompt and with a minute left
    EXPECT_EQ(program.countdownSeconds, -1);
    program.countdownSeconds = -2147483647 - 1;  // saturates instead of wrapping
    tick(kNoon + 601, kNoon + 601);
    EXPECT_EQ(program.countdownSeconds, -2147483647 - 1);
    EXPECT_EQ(fake.calls("awake"), (Log{"awake 1", "awake 0", "awake 1"}));

    // Ticks go on inside the prompt; a countdown stopped there does not shut down.
    program.countdownPromptShown = false;
    program.countdownSeconds = 301;
    fake.onModal = [&](WindowId) {
        tick(kNoon + 3, kNoon + 5);
        click(kCountdownButton);  // reads "取消" (style 2): stops the countdown
    };
    tick(kNoon + 2, kNoon + 2);
    EXPECT_EQ(std::pair(program.countdownRunning, shutdowns()), std::pair(false, 4));
    EXPECT_EQ(digits(), "12:00:05");  // not put back by the interrupted tick
    tick(kNoon + 6, kNoon + 6);
    EXPECT_EQ(fake.calls("awake").back(), "awake 0");  // stopped: may sleep again
}

TEST_F(ScheduleTest, TheWindowOpensOwnedFocusedAndFilledOnceAtATimeAndAnswersItsKeys) {
    fake.setSettings("[倒计时]\r\n时间=45\r\n[热键关机]\r\n1=0\r\n2=11\r\n");
    program.shutdownTime = {23, 40};
    open();
    const WindowId first = window;
    const Rect rect = fake.windowRect(window);
    EXPECT_EQ(std::pair(fake.window(window).owner, rect.left),
              std::pair(program.mainWindow, (1024 - rect.width) / 2));
    EXPECT_TRUE(fake.windowVisible(window) && fake.visible(window, kShutdownButton));
    EXPECT_EQ(fake.focusedControl(window), kShutdownButton);
    EXPECT_EQ(fake.timer(window, kDisplayTimer), 1000);
    // The postponed time proposed: 30 minutes later, without leading zeros; the time
    // shown only from the first display tick.
    EXPECT_EQ(text(kMinutesBox) + text(kMinutesEcho) + " " + text(kShutdownTimeText) + " " +
                  text(kPostponeHourBox) + "|" + text(kPostponeMinuteBox) + "|" +
                  text(kPostponedTime) + " " + text(kCurrentTime),
              "4545 23:40 0|10|0:10 --------");
    EXPECT_EQ(text(kHotkeyTip),
              " 提示：显示本窗口可使用热键‘Ctrl+F12’\r\n3秒内再次使用 ‘Ctrl+F12’ 热键即可关机");
    // Each main button answers its own pair of arrows (left/right, up/down) and Return.
    std::string focus;
    for (const auto& [on, key] : {std::pair{kShutdownButton, 0x27},
                                  {kExitButton, 0x25},
                                  {kExitButton, 0x26},
                                  {kShutdownButton, 0x28},
                                  {kExitButton, 0x28},
                                  {kShutdownButton, 0x25}}) {
        fake.setFocus(window, on);
        fake.fire(window, on, EventKind::KeyUp, key);
        focus += fake.focusedControl(window) == kExitButton ? "E" : "S";
    }
    EXPECT_EQ(focus, "EESSES");
    fake.fire(window, kExitButton, EventKind::KeyUp, 0x0D);
    EXPECT_EQ(fake.calls("exit"), Log{"exit 0"});
    openCountdownWindow(program, true);  // a modal request only brings it up
    EXPECT_EQ(fake.log.back(), "front  关机提示");
    EXPECT_EQ(fake.windowCount(), 2u);
    fake.destroyWindow(first);  // the title bar's close box: forgotten
    EXPECT_EQ(window, 0);
    program.shutdownTime = {7, 30};
    program.countdownRunning = true;  // 关机 hidden: the keys start in the minutes box
    open();
    EXPECT_EQ(text(kPostponedTime) + fake.focusedControl(window), "8:0计时编辑框1");
    fake.setFocus(window, kShutdownButton);  // refused
    fake.pressKey(window, 0x0D);
    fake.pressKey(window, ' ');
    fake.fire(window, kShutdownButton, EventKind::KeyUp, 0x0D);
    EXPECT_EQ(shutdowns(), 0);
}

TEST_F(ScheduleTest, TheDisplayShowsTheTimeAndWhatTheTickKeeps) {
    open();
    fake.clock = {2026, 12, 7, 1, 10, 0, 9, 0};
    EXPECT_EQ(dateTimeText(fake.clock), "2026年12月7日 10:00:09");
    const auto display = [&] {
        fake.fire(window, kDisplayTimer, EventKind::Timer);
        return text(kCurrentTime) + "|" + text(kValue) + "|" + text(kUnit);
    };
    EXPECT_EQ(display(), " 10:00:09|23:0|");
    program.secondsToShutdown = 287;
    EXPECT_EQ(display(), " 10:00:09|287|秒");
    fake.setText(window, kCountdownButton, "取消");  // the caption decides
    program.countdownSeconds = -3;
    EXPECT_EQ(display(), " 10:00:09|-3|秒");
    program.countdownRunning = true;
    click(kShutdownButton);  // stops the countdown, closes the window
    EXPECT_EQ(fake.calls("shutdown"), Log{"shutdown 1"});
    EXPECT_FALSE(program.countdownRunning || window);
}

// Typed values are not checked; cancelling shows the stored texts as read.
TEST_F(ScheduleTest, PostponeHoldsForThisRunOnlyAndTheCountdownRunsTheTypedMinutes) {
    open();
    const auto state = [&] {
        return text(kShutdownTimeText) + " " + button(kPostponeButton) + button(kCountdownButton);
    };
    type(kPostponeHourBox, "");
    type(kPostponeMinuteBox, "75");
    click(kPostponeButton);
    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{0, 75}));
    EXPECT_EQ(state() + style() + program.settings.readSetting("关机时间", "小时"),
              ":75 取消+计时323");
    fake.setSettings("[关机时间]\r\n小时=07\r\n分钟=abc\r\n");
    click(kPostponeButton);
    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{7, 0}));
    EXPECT_EQ(state() + text(kValueCaption) + style(), "07:abc 推迟+计时+关机时间：1");
    type(kMinutesBox, "1.5");  // minutes from now, times 60
    click(kCountdownButton);
    EXPECT_EQ(std::to_string(program.countdownSeconds) + button(kCountdownButton) + style(),
              "90取消+2");
    click(kCountdownButton);  // stopped again
    EXPECT_EQ(std::to_string(program.countdownSeconds) + button(kCountdownButton) + style(),
              "0计时+1");
}

// A slip of the hand must not turn the computer off at once: only minutes that
// give at least one second start; anything else points at the box instead.
TEST_F(ScheduleTest, OnlyMinutesGivingASecondOrMoreStartACountdown) {
    open();
    const std::pair<const char*, int> kMinutes[] = {{"", 0},    {"abc", 0},   {"0", 0},
                                                    {"-5", 0},  {"0.001", 0}, {"0.02", 1},
                                                    {"0.1", 6}, {"1.5", 90},  {"30", 1800}};
    for (const auto& [typed, seconds] : kMinutes) {
        SCOPED_TRACE(typed);
        type(kMinutesBox, typed);
        fake.setFocus(window, kCountdownButton);
        const int writes = fake.writeAttempts;
        click(kCountdownButton);
        EXPECT_EQ(program.countdownSeconds, seconds);
        if (seconds == 0) {
            EXPECT_EQ(button(kCountdownButton) + button(kPostponeButton) + style() +
                          std::to_string(fake.writeAttempts - writes) + fake.focusedControl(window),
                      "计时+推迟+10计时编辑框1");
            EXPECT_EQ(fake.lastCalls(2),
                      (Log{"select all 计时编辑框1",
                           "balloon 计时编辑框1 无法计时: 请输入大于0的分钟数。"}));
        } else {
            EXPECT_EQ(
                button(kCountdownButton) + style() + program.settings.readSetting("倒计时", "时间"),
                std::string("取消+2") + typed);
            click(kCountdownButton);
        }
        EXPECT_FALSE(program.countdownRunning);
    }
    EXPECT_EQ(fake.calls("balloon").size(), 5u);
}

// Start-up's message boxes let the clock tick before it has read the shutdown
// time: nothing acts on the time it has not read yet, only the digits go on.
TEST(StartUpSchedule, ABoxLeftOpenAcrossMidnightShutsNothingDown) {
    testing::FakePlatform f;
    Program p{f};
    restoreDefaults(p);
    f.setSettings("[程序起动后立刻关机]\r\n是=真\r\n" + f.settings());
    const auto tick = [&](int hour, int minute, int second) {
        f.clock = {2026, 12, 7, 1, hour, minute, second, 0};
        onClockTick(p);
    };
    f.whileBoxOpen = [&] {
        for (int s = 0; s < 300; ++s) {
            tick(23, 55 + s / 60 % 5, s % 60);
        }
        tick(0, 0, 0);
        tick(0, 0, 1);
    };
    f.answerNextMessageBox(kIdNo);
    runProgram(p);
    EXPECT_EQ(f.calls("shutdown").size() + f.windowCount(), 1u);  // the clock alone
    EXPECT_EQ(f.text(p.mainWindow, "秒标签9"), "01");
    tick(22, 55, 0);  // read now: 23:00 is announced
    EXPECT_NE(p.countdownWindow, 0);
}

TEST_F(ScheduleTest, TheSpinStepsTheLastFocusedBoxAndWrapsOnlyTheExactEnds) {
    open();
    fake.fire(window, kPostponeSpin, EventKind::Spin, 1);  // no box focused yet
    EXPECT_EQ(text(kPostponeHourBox) + ":" + text(kPostponeMinuteBox), "23:30");
    const char *hour = kPostponeHourBox, *minute = kPostponeMinuteBox;
    // clang-format off
    const std::tuple<const char*, const char*, int, const char*> kSteps[] = {
        {hour, "23", 1, "00"}, {hour, "00", -1, "23"}, {hour, "7", 1, "08"}, {hour, "30", 1, "31"},
        {hour, "-5", 1, "-4"}, {hour, "59", 1, "60"}, {minute, "59", 1, "00"},
        {minute, "00", -1, "59"}, {minute, "09", 1, "10"}, {minute, "08", 1, "09"},
        {minute, "1.9", 1, "02"}};
    // clang-format on
    for (const auto& [box, before, step, after] : kSteps) {
        type(box, before);  // typing gives the box the focus
        fake.fire(window, kPostponeSpin, EventKind::Spin, step);
        EXPECT_EQ(text(box), after) << box << " " << before << " " << step;
    }
    EXPECT_EQ(text(kPostponedTime), "60:02");  // the echo follows the spin
}

constexpr std::int64_t kDay = 86400, kHour = 3600, kMinute = 60;

// A running program, its shutdown on chosen days, ticked second by second.
struct Clock {
    testing::FakePlatform fake;
    Program program{fake};
    Clock(const char* days, int hour, int minute) {
        fake.setSettings("[倒计时窗口样式]\r\n样式=1\r\n");  // as start-up leaves it
        schedule23(program, hour, minute, days);
    }
    // The seconds in [from, to] whose tick logged `what`.
    std::vector<std::int64_t> tick(std::int64_t from, std::int64_t to, const char* what) {
        std::vector<std::int64_t> seen;
        for (std::int64_t s = from; s <= to; ++s) {
            const std::size_t before = fake.calls(what).size();
            fake.clock = at(s);
            onClockTick(program);
            if (fake.calls(what).size() > before) {
                seen.push_back(s);
            }
        }
        return seen;
    }
    std::string label() { return fake.text(program.mainWindow, "标签4"); }
};

// The day is the shutdown minute's own date, from the file's seven "1"/"0", Monday first;
// each row ticks through its warning. The clock shows the time only when it will come.
TEST(Weekdays, AShutdownComesOnlyWhenTheDateOfItsOwnMinuteIsChecked) {
    struct Row {
        const char* days;
        int hour, minute;
        std::int64_t warnedFrom;  // the clock five minutes before
        bool comes;
    };
    const std::int64_t fri = 4 * kDay, sat = fri + kDay, sun = sat + kDay;
    const auto at = [](std::int64_t day, int h, int m) { return day + h * kHour + m * kMinute; };
    // clang-format off
    const Row kRows[] = {
        {"1111100", 0, 2, at(fri, 23, 57), false}, {"0000010", 0, 2, at(fri, 23, 57), true},
        {"1111100", 0, 0, at(sun, 23, 55), true}, {"1111100", 0, 0, at(fri, 23, 55), false},
        {"1111100", 1, 0, at(fri, 0, 55), true}, {"1111100", 1, 5, at(sat, 1, 0), false},
        {"1111100", 0, 59, at(sat, 0, 54), false}, {"1111100", 23, 75, at(fri, 0, 10), true},
        {"1111100", 23, 75, at(sat, 0, 10), false}, {"0000001", 23, 75, at(sun, 0, 10), true},
        {"0000000", 23, 0, at(fri, 22, 55), false},
        // Another length or character, or none, is every day: files from before the row.
        {"", 23, 0, at(sat, 22, 55), true}, {"111110", 23, 0, at(sat, 22, 55), true},
        {"11111000", 23, 0, at(sat, 22, 55), true}, {"1111102", 23, 0, at(sat, 22, 55), true},
        {"１111100", 23, 0, at(sat, 22, 55), true}};
    // clang-format on
    for (const Row& row : kRows) {
        Clock c(row.days, row.hour, row.minute);
        c.tick(row.warnedFrom - 1, row.warnedFrom - 1, "");
        EXPECT_EQ(c.label(), row.comes ? "关机时间为" + std::to_string(row.hour) + ":" +
                                             std::to_string(row.minute)
                                       : "今日不关机");
        const auto asked = c.tick(row.warnedFrom, row.warnedFrom + 6 * kMinute, "shutdown");
        EXPECT_EQ(asked, row.comes ? std::vector{row.warnedFrom + 5 * kMinute}
                                   : std::vector<std::int64_t>{})
            << row.days << " " << row.hour << ":" << row.minute << " at " << row.warnedFrom;
        EXPECT_EQ(c.program.countdownWindow != 0, row.comes);
    }
    for (int day = 0; day < 7; ++day) {  // each day on its own, and left out
        std::string only(7, '0'), allBut(7, '1');
        only[day] = '1', allBut[day] = '0';
        const std::int64_t warned = day * kDay + 22 * kHour + 55 * kMinute;
        Clock on(only.c_str(), 23, 0), off(allBut.c_str(), 23, 0);
        EXPECT_EQ(on.tick(warned, warned + 300, "shutdown").size(), 1u) << only;
        EXPECT_TRUE(off.tick(warned, warned + 300, "shutdown").empty()) << allBut;
    }
}

// Postponed from Friday past midnight into Saturday, left out: it comes once,
// the clock says so, and the next night keeps to the days again.
TEST(Weekdays, APostponedShutdownComesOnceWhateverItsDayAndTheClockFollows) {
    Clock c("1111100", 23, 0);
    const std::int64_t fri2350 = 4 * kDay + 23 * kHour + 50 * kMinute;
    c.tick(fri2350, fri2350, "");
    EXPECT_EQ(c.label(), "今日不关机");  // Friday's has gone by, Saturday's is left out
    openCountdownWindow(c.program, false);
    c.fake.type(c.program.countdownWindow, countdown::kPostponeHourBox, "0");
    c.fake.type(c.program.countdownWindow, countdown::kPostponeMinuteBox, "10");
    c.fake.click(c.program.countdownWindow, countdown::kPostponeButton);
    c.tick(fri2350 + 1, fri2350 + 60, "");
    EXPECT_EQ(c.label(), "关机时间为0:10");
    EXPECT_EQ(c.tick(fri2350 + 61, fri2350 + 21 * kMinute, "shutdown"),
              (std::vector{fri2350 + 20 * kMinute}));
    EXPECT_EQ(c.label(), "今日不关机");  // Sunday 00:10 is next
    EXPECT_TRUE(c.tick(fri2350 + kDay, fri2350 + kDay + 21 * kMinute, "shutdown").empty());
}

}  // namespace
}  // namespace varnel
