// The daily schedule, the once-a-second tick, the countdown window,
// postponing and the minutes-from-now countdown.
#include <tuple>

#include "app/StartUp.h"
#include "core/Program.h"
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Postpone.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Tick.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using namespace countdown;
using Log = std::vector<std::string>;

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
    }
}

TEST(ScheduleMath, OutOfRangeTimesAreUsedAsTheyAreAndNeverOverflow) {
    for (int clock = 0; clock < 1440; ++clock) {
        const int h = clock / 60, m = clock % 60;
        for (int minute = 0; minute < 60; ++minute) {
            ASSERT_EQ(fields(scheduleAt(24, minute, h, m, 15)),
                      fields(scheduleAt(0, minute, h, m, 15)));
            ASSERT_FALSE(scheduleAt(25, minute, h, m, 0).requestShutdown);
            ASSERT_FALSE(scheduleAt(-1, minute, h, m, 0).requestShutdown);
        }
        ASSERT_EQ(fields(scheduleAt(23, 75, h, m, 15)), fields(scheduleAt(0, 15, h, m, 15)));
    }
    constexpr std::int32_t kMax = 2147483647, kMin = -kMax - 1;
    for (const std::int32_t hour : {kMax, kMin}) {
        for (const std::int32_t minute : {kMax, kMin, 0}) {
            EXPECT_FALSE(scheduleAt(hour, minute, 0, 59, 59).requestShutdown);
        }
    }
    // Announced by the hour-0 rule, with the seconds saturated rather than wrapped.
    EXPECT_EQ(fields(scheduleAt(kMin, 0, 0, 59, 0)), std::tuple(false, true, kMin));
}

TEST(ScheduleMath, TheNextTickIsFifteenMillisecondsPastTheNextSecond) {
    for (const auto& [ms, wait] : {std::pair{0, 1015}, {500, 515}, {990, 25}, {999, 16}}) {
        EXPECT_EQ(msUntilNextTick(ms), wait);
    }
}

class ScheduleTest : public ::testing::Test {
protected:
    ScheduleTest() {
        createMainWindow(program);
        program.shutdownTime = {23, 0};
        program.fiveMinuteWarning = true;
        fake.setSettings("[强行关机]\r\n是=真\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n");
    }
    void at(int secondOfDay, int ms = 0) {
        fake.clock.hour = secondOfDay / 3600 % 24;
        fake.clock.minute = secondOfDay / 60 % 60;
        fake.clock.second = secondOfDay % 60;
        fake.clock.millisecond = ms;
    }
    // One tick at each second of [from, to].
    void tick(int from, int to) {
        for (int s = from; s <= to; ++s) {
            at(s);
            onClockTick(program);
        }
    }
    std::string digits() {
        const auto digit = [&](const char* label) { return fake.text(program.mainWindow, label); };
        return digit("时标签7") + ":" + digit("分标签8") + ":" + digit("秒标签9");
    }
    WindowId open(const std::string& style = "1") {
        fake.setSettings("[倒计时窗口样式]\r\n样式=" + style + "\r\n" + fake.settings());
        openCountdownWindow(program, false);
        return program.countdownWindow;
    }
    std::string text(const char* control) { return fake.text(program.countdownWindow, control); }
    bool enabled(const char* control) { return fake.enabled(program.countdownWindow, control); }
    void click(const char* control) { fake.click(program.countdownWindow, control); }
    void type(const char* control, const std::string& text) {
        fake.type(program.countdownWindow, control, text);
    }
    void fire(const char* control, EventKind kind, int arg = 0) {
        fake.fire(program.countdownWindow, control, kind, arg);
    }
    std::string setting(const char* section, const char* key) {
        return program.settings.readSetting(section, key);
    }

    static constexpr int k2254 = 22 * 3600 + 54 * 60, k2300 = 23 * 3600, kNoon = 12 * 3600;
    testing::FakePlatform fake;
    Program program{fake};
};

TEST_F(ScheduleTest, AnnouncesOnceCountsDownShutsDownAllMinuteAndKeepsTheSystemAwake) {
    tick(k2254, k2254 + 59);
    EXPECT_EQ(program.countdownWindow, 0);
    at(k2254 + 60, 400);
    onClockTick(program);
    EXPECT_EQ(program.secondsToShutdown, 300);
    EXPECT_EQ(fake.timer(program.mainWindow, "时钟1"), 615);
    ASSERT_NE(program.countdownWindow, 0);  // the tick does not wait for it
    EXPECT_EQ(fake.calls("p"), (Log{"pending", "pause 300"}));
    click(kCloseButton);
    for (int s = k2254 + 61; s < k2300; ++s) {
        tick(s, s);
        ASSERT_EQ(program.secondsToShutdown, k2300 - s);
    }
    EXPECT_EQ(digits(), "22:59:59");
    tick(k2300, k2300 + 60);
    EXPECT_EQ(fake.calls("shutdown"), Log(60, "shutdown 1"));
    program.shutdownTime = {23, 30};  // postponed after the announcement
    tick(k2300 + 61, k2300 + 1800);
    EXPECT_EQ(program.countdownWindow, 0);  // once per run
    EXPECT_EQ(fake.calls("shutdown").size(), 61u);
    EXPECT_EQ(fake.calls("awake"), (Log{"awake 1", "awake 0", "awake 1"}));
    EXPECT_TRUE(fake.calls("modal").empty());
}

TEST_F(ScheduleTest, NoDailyShutdownWithTheOptionOff) {
    program.fiveMinuteWarning = false;
    tick(k2254, k2300 + 60);
    EXPECT_EQ(fake.openWindows().size(), 1u);
    EXPECT_TRUE(fake.calls("shutdown").empty());
    EXPECT_EQ(digits(), "23:01:00");
}

TEST_F(ScheduleTest, ACountdownShutsDownAfterItsSecondsAndPromptsOnceAtFiveMinutes) {
    program.countdownRunning = true;
    program.countdownSeconds = 600;
    std::vector<int> prompts;
    fake.onModal = [&](WindowId) { prompts.push_back(program.countdownSeconds); };
    int ticks = 0;
    for (; fake.calls("shutdown").empty() && ticks < 700; ++ticks) {
        tick(k2254 + ticks, k2254 + ticks);  // the daily schedule waits meanwhile
    }
    EXPECT_EQ(ticks, 600);
    EXPECT_EQ(prompts, std::vector<int>{300});
    tick(kNoon, kNoon);  // still below 1: asked again
    EXPECT_EQ(program.countdownSeconds, -1);
    EXPECT_EQ(fake.calls("shutdown"), Log(2, "shutdown 1"));
    program.countdownSeconds = 301;  // a second countdown is not prompted
    tick(kNoon + 1, kNoon + 10);
    EXPECT_EQ(prompts.size(), 1u);
    EXPECT_EQ(fake.calls("awake"), Log{"awake 1"});

    program.countdownSeconds = -2147483647 - 1;  // saturates instead of wrapping
    tick(kNoon + 11, kNoon + 11);
    EXPECT_EQ(program.countdownSeconds, -2147483647 - 1);
}

// A timer fires early or late by up to a Windows timer tick, and much later
// under load; every second must be shown once, in order, and a countdown must
// last its minutes of wall time.
TEST_F(ScheduleTest, SecondsNeitherSkipNorRepeatWhenTheTimerDrifts) {
    program.countdownRunning = true;
    program.countdownSeconds = 600;
    const int jitters[] = {-15, 0, 15, 3, -7, 40, 11, -15, 90, 1};
    const long long start = kNoon * 1000LL + 437;
    long long now = start;
    int shown = -1, seconds = 0;
    for (int i = 0; fake.calls("shutdown").empty() && i < 2000; ++i) {
        at(static_cast<int>(now / 1000), static_cast<int>(now % 1000));
        onClockTick(program);
        const int second = std::stoi(fake.text(program.mainWindow, "秒标签9"));
        if (second != shown) {
            ASSERT_TRUE(shown == -1 || second == (shown + 1) % 60) << shown << " " << second;
            shown = second;
            ++seconds;
        }
        now += fake.timer(program.mainWindow, "时钟1") + jitters[i % 10];
    }
    EXPECT_EQ(seconds, 600);
    EXPECT_NEAR(now - start, 600'000, 1'100);
}

TEST_F(ScheduleTest, TicksRunInsideThePromptAndStoppingThereDoesNotShutDown) {
    program.countdownRunning = true;
    program.countdownSeconds = 301;
    fake.onModal = [&](WindowId) {
        tick(kNoon + 1, kNoon + 5);
        click(kCountdownButton);  // reads "取消" (style 2): stops the countdown
    };
    tick(kNoon, kNoon);
    EXPECT_FALSE(program.countdownRunning);
    EXPECT_TRUE(fake.calls("shutdown").empty());
    EXPECT_EQ(digits(), "12:00:05");  // not put back by the interrupted tick
}

TEST_F(ScheduleTest, TheWindowOpensOwnedFocusedAndFilledOnceAtATime) {
    fake.setSettings("[倒计时]\r\n时间=45\r\n[热键关机]\r\n1=0\r\n2=11\r\n");
    program.shutdownTime = {23, 40};
    const WindowId window = open();
    EXPECT_EQ(fake.window(window).design.title, " 关机提示");
    EXPECT_EQ(fake.window(window).owner, program.mainWindow);
    EXPECT_EQ(fake.windowRect(window).left, (1024 - fake.windowRect(window).width) / 2);
    EXPECT_TRUE(fake.windowVisible(window) && fake.visible(window, kShutdownButton));
    EXPECT_EQ(fake.focusedControl(window), kShutdownButton);
    EXPECT_EQ(fake.timer(window, kDisplayTimer), 1000);
    EXPECT_EQ(text(kMinutesBox) + text(kMinutesEcho), "4545");
    EXPECT_EQ(text(kPostponeHourBox) + text(kPostponeMinuteBox), "010");
    EXPECT_EQ(text(kPostponedTime) + " " + text(kShutdownTimeText), "0:10 23:40");
    EXPECT_EQ(text(kHotkeyTip),
              " 提示：显示本窗口可使用热键‘Ctrl+F12’\r\n3秒内再次使用 ‘Ctrl+F12’ 热键即可关机");
    EXPECT_EQ(text(kCurrentTime), "--------");  // until the first display tick
    openCountdownWindow(program, true);         // a modal request only brings it up
    EXPECT_EQ(fake.log.back(), "front  关机提示");
    EXPECT_EQ(fake.openWindows().size(), 2u);
    fake.destroyWindow(window);  // the title bar's close box: forgotten
    EXPECT_EQ(program.countdownWindow, 0);
}

// Style 2 (or none) opens counting, 3 postponed, anything else on the prompt.
TEST_F(ScheduleTest, TheStoredStyleSetsTheButtonsAndTheCaption) {
    const struct {
        const char* style;
        const char* buttons;  // countdown and postpone captions, + enabled, - disabled
        const char* caption;
    } cases[] = {{"1", "计时+ 推迟+", "关机时间："},  {"2", "取消+ 推迟-", "倒计时："},
                 {"", "取消+ 推迟-", "倒计时："},     {"3", "计时- 取消+", "倒计时："},
                 {"22", "计时+ 推迟+", "关机时间："}, {"x", "计时+ 推迟+", "关机时间："}};
    for (const auto& c : cases) {
        if (*c.style != '\0') {
            open(c.style);
        } else {
            fake.setSettings("");
            openCountdownWindow(program, false);
        }
        const auto state = [&](const char* b) { return text(b) + (enabled(b) ? "+" : "-"); };
        EXPECT_EQ(state(kCountdownButton) + " " + state(kPostponeButton), c.buttons) << c.style;
        EXPECT_EQ(text(kValueCaption), c.caption) << c.style;
        EXPECT_EQ(text(kMinutesBox), "");  // no stored minutes: the design's "30" goes
        click(kCloseButton);
    }
}

TEST_F(ScheduleTest, TheHotkeyTipFollowsTheStoredModifier) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "提示：显示本窗口可使用热键 ‘Alt+F5’\r\n3秒内再次使用 ‘Alt+F5’热键即可关机"},
        {"2", "提示：显示本窗口可使用热键 ‘Shift+F5’\r\n3秒内再次使用 ‘Shift+F5’热键即可关机"},
        {"0.0", "提示：3秒内再次使用\"显示窗口热键\"即可关机"}};
    for (const auto& [modifier, tip] : cases) {
        fake.setSettings("[热键关机]\r\n1=" + std::string(modifier) + "\r\n2=4\r\n");
        open();
        EXPECT_EQ(text(kHotkeyTip), tip);
        click(kCloseButton);
    }
}

TEST_F(ScheduleTest, TheDisplayShowsTheTimeAndWhatTheTickKeeps) {
    open();
    at(22 * 3600 + 5 * 60 + 3);
    fake.clock.year = 2026;
    EXPECT_EQ(dateTimeText(fake.clock), "2026年12月7日 22:05:03");
    EXPECT_EQ(timeOfDayPart("12:00"), "12:00");
    const auto display = [&] {
        fire(kDisplayTimer, EventKind::Timer);
        return text(kCurrentTime) + "|" + text(kValue) + "|" + text(kUnit);
    };
    EXPECT_EQ(display(), " 22:05:03|23:0|");
    program.secondsToShutdown = 287;
    EXPECT_EQ(display(), " 22:05:03|287|秒");
    fake.setText(program.countdownWindow, kCountdownButton, "取消");  // the caption decides
    program.countdownSeconds = -3;
    EXPECT_EQ(display(), " 22:05:03|-3|秒");
}

TEST_F(ScheduleTest, ArrowsMoveTheFocusOnlyTheWayEachButtonAllowsAndEnterPressesIt) {
    open("2");
    const struct {
        const char* from;
        int key;  // virtual-key code
        const char* to;
    } cases[] = {{kShutdownButton, 0x27, kExitButton},     {kShutdownButton, 0x25, kShutdownButton},
                 {kShutdownButton, 0x26, kShutdownButton}, {kExitButton, 0x26, kShutdownButton},
                 {kExitButton, 0x28, kExitButton},         {kExitButton, 0x25, kExitButton}};
    for (const auto& c : cases) {
        fake.setFocus(program.countdownWindow, c.from);
        fire(c.from, EventKind::KeyUp, c.key);
        EXPECT_EQ(fake.focusedControl(program.countdownWindow), c.to) << c.from << c.key;
    }
    program.countdownRunning = true;
    fire(kShutdownButton, EventKind::KeyUp, 0x0D);
    EXPECT_EQ(fake.calls("shutdown"), Log{"shutdown 1"});
    EXPECT_FALSE(program.countdownRunning);
    EXPECT_EQ(program.countdownWindow, 0);
    EXPECT_TRUE(fake.calls("exit").empty());
    for (const bool byKey : {false, true}) {
        open("3");
        byKey ? fire(kExitButton, EventKind::KeyUp, 0x0D) : click(kExitButton);
        EXPECT_EQ(fake.calls("exit").size(), byKey ? 2u : 1u);
        EXPECT_EQ(setting("倒计时窗口样式", "样式"), "1");
        fake.destroyWindow(program.countdownWindow);
    }
}

TEST(Postpone, ProposesThirtyMinutesLaterWithoutLeadingZeros) {
    using Texts = std::array<std::string, 2>;
    const std::pair<std::array<std::int32_t, 2>, Texts> cases[] = {
        {{23, 40}, {"0", "10"}},  {{7, 15}, {"7", "45"}},   {{7, 30}, {"8", "0"}},
        {{23, 29}, {"23", "59"}}, {{24, 50}, {"25", "20"}}, {{5, 200}, {"6", "170"}}};
    for (const auto& [time, texts] : cases) {
        EXPECT_EQ(postponeProposal(time), texts) << time[0] << ":" << time[1];
    }
}

// Typed values are not checked; cancelling shows the stored texts as read.
TEST_F(ScheduleTest, PostponeAppliesForThisRunOnlyAndCancelRereadsTheFile) {
    open();
    type(kPostponeHourBox, "");
    type(kPostponeMinuteBox, "75");
    EXPECT_EQ(text(kPostponedTime), ":75");
    click(kPostponeButton);
    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{0, 75}));
    EXPECT_EQ(text(kShutdownTimeText) + " " + text(kPostponeButton), ":75 取消");
    EXPECT_FALSE(enabled(kCountdownButton));
    EXPECT_EQ(setting("倒计时窗口样式", "样式") + setting("关机时间", "小时"), "323");

    fake.setSettings("[关机时间]\r\n小时=07\r\n分钟=abc\r\n");
    click(kPostponeButton);
    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{7, 0}));
    EXPECT_EQ(text(kShutdownTimeText) + " " + text(kPostponeButton), "07:abc 推迟");
    EXPECT_TRUE(enabled(kCountdownButton));
    EXPECT_EQ(text(kValueCaption) + setting("倒计时窗口样式", "样式"), "关机时间：1");
}

TEST_F(ScheduleTest, ACountdownRunsTheTypedMinutesTimesSixtyTruncatedUntilStopped) {
    open();
    const std::pair<const char*, int> cases[] = {{"1.5", 90},
                                                 {"0.01", 0},
                                                 {"abc", 0},
                                                 {"-2", -120},
                                                 {"99999999999", 2147483647},
                                                 {"-99999999999", -2147483647 - 1},
                                                 {"30", 1800}};
    for (const auto& [minutes, seconds] : cases) {
        type(kMinutesBox, minutes);
        EXPECT_EQ(text(kMinutesEcho), minutes);
        fake.setTimer(program.countdownWindow, kDisplayTimer, 0);
        click(kCountdownButton);
        EXPECT_TRUE(program.countdownRunning);
        EXPECT_EQ(program.countdownSeconds, seconds) << minutes;
        EXPECT_EQ(text(kCountdownButton) + text(kValueCaption), "取消倒计时：");
        EXPECT_FALSE(enabled(kPostponeButton));
        EXPECT_EQ(fake.timer(program.countdownWindow, kDisplayTimer), 1000);
        EXPECT_EQ(setting("倒计时窗口样式", "样式") + setting("倒计时", "时间"),
                  std::string("2") + minutes);
        click(kCountdownButton);
    }
    EXPECT_FALSE(program.countdownRunning);
    EXPECT_EQ(program.countdownSeconds, 0);
    EXPECT_EQ(text(kValue) + "|" + text(kUnit) + "|" + text(kCountdownButton), "23:0||计时");
    EXPECT_TRUE(enabled(kPostponeButton));
    EXPECT_EQ(setting("倒计时窗口样式", "样式"), "1");
    click(kCloseButton);
    open();  // the typed minutes are the next proposal
    EXPECT_EQ(text(kMinutesBox), "30");
}

TEST_F(ScheduleTest, TheSpinStepsTheLastFocusedBoxAndWrapsOnlyTheExactEnds) {
    open();
    fire(kPostponeSpin, EventKind::Spin, 1);  // neither box had the focus yet
    EXPECT_EQ(text(kPostponeHourBox) + ":" + text(kPostponeMinuteBox), "23:30");
    const struct {
        const char* box;
        const char* before;
        int step;
        const char* after;
    } cases[] = {{kPostponeHourBox, "23", 1, "00"},    {kPostponeHourBox, "00", -1, "23"},
                 {kPostponeHourBox, "7", 1, "08"},     {kPostponeHourBox, "10", -1, "09"},
                 {kPostponeHourBox, "30", 1, "31"},    {kPostponeHourBox, "-5", 1, "-4"},
                 {kPostponeHourBox, "59", 1, "60"},    {kPostponeMinuteBox, "59", 1, "00"},
                 {kPostponeMinuteBox, "00", -1, "59"}, {kPostponeMinuteBox, "1.9", 1, "02"}};
    for (const auto& c : cases) {
        type(c.box, c.before);  // typing gives the box the focus
        fire(kPostponeSpin, EventKind::Spin, c.step);
        EXPECT_EQ(text(c.box), c.after) << c.box << " " << c.before << " " << c.step;
    }
    EXPECT_EQ(text(kPostponedTime), "60:02");  // the echo follows the spin
}

}  // namespace
}  // namespace varnel
