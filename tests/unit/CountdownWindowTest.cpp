#include <gtest/gtest.h>

#include "ScheduleFixture.h"

namespace varnel::testing {
namespace {

using namespace countdown;

constexpr int kVkReturn = 0x0D;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;

class CountdownWindowTest : public ScheduleTest {
protected:
    CountdownWindowTest() { program.shutdownTime = {23, 0}; }

    void withStyle(const std::string& style) {
        settingsFile("[关机时间]\n小时=23\n分钟=0\n[倒计时窗口样式]\n样式=" + style + "\n");
    }
};

TEST_F(CountdownWindowTest, OpensOwnedFocusedAndFilledFromTheProgramState) {
    settingsFile("[倒计时窗口样式]\n样式=1\n[倒计时]\n时间=45\n");
    program.shutdownTime = {23, 40};
    open();
    EXPECT_EQ(fake.window(window()).design.title, " 关机提示");
    EXPECT_EQ(fake.window(window()).owner, program.mainWindow);
    EXPECT_TRUE(fake.windowVisible(window()));
    EXPECT_TRUE(visible(kShutdownButton));
    EXPECT_EQ(fake.focusedControl(window()), kShutdownButton);
    EXPECT_EQ(fake.timerPeriod(window(), kDisplayTimer), 1000);
    EXPECT_EQ(text(kMinutesBox), "45");
    EXPECT_EQ(text(kMinutesEcho), "45");
    EXPECT_EQ(text(kPostponeHourBox), "0");
    EXPECT_EQ(text(kPostponeMinuteBox), "10");
    EXPECT_EQ(text(kPostponedTime), "0:10");
    EXPECT_EQ(text(kShutdownTimeText), "23:40");
    EXPECT_EQ(text(kCurrentTime), "--------");  // until the first display tick
}

// Style 2 (or none) opens counting, 3 postponed, anything else on the prompt.
TEST_F(CountdownWindowTest, TheStoredStyleSetsTheButtonsAndTheCaption) {
    const struct {
        const char* file;
        const char* countdown;
        const char* postpone;
        bool countdownEnabled, postponeEnabled;
    } cases[] = {
        {"[倒计时窗口样式]\n样式=1\n", "计时", "推迟", true, true},
        {"[倒计时窗口样式]\n样式=2\n", "取消", "推迟", true, false},
        {"", "取消", "推迟", true, false},
        {"[倒计时窗口样式]\n样式=3\n", "计时", "取消", false, true},
        {"[倒计时窗口样式]\n样式=22\n", "计时", "推迟", true, true},
        {"[倒计时窗口样式]\n样式=x\n", "计时", "推迟", true, true},
    };
    for (const auto& c : cases) {
        settingsFile(std::string("[关机时间]\n小时=23\n") + c.file);
        open();
        EXPECT_EQ(text(kCountdownButton), c.countdown) << c.file;
        EXPECT_EQ(text(kPostponeButton), c.postpone) << c.file;
        EXPECT_EQ(enabled(kCountdownButton), c.countdownEnabled) << c.file;
        EXPECT_EQ(enabled(kPostponeButton), c.postponeEnabled) << c.file;
        EXPECT_EQ(text(kValueCaption),
                  c.countdownEnabled && c.postponeEnabled ? "关机时间：" : "倒计时：")
            << c.file;
        EXPECT_EQ(text(kMinutesBox), "") << c.file;  // no stored minutes: the design "30" goes
        click(kCloseButton);
    }
}

TEST_F(CountdownWindowTest, HotkeyTipFollowsTheStoredShutdownHotkey) {
    const struct {
        const char* modifier;
        const char* tip;
    } cases[] = {
        {"0", " 提示：显示本窗口可使用热键‘Ctrl+F5’\r\n3秒内再次使用 ‘Ctrl+F5’ 热键即可关机"},
        {"1", "提示：显示本窗口可使用热键 ‘Alt+F5’\r\n3秒内再次使用 ‘Alt+F5’热键即可关机"},
        {"2", "提示：显示本窗口可使用热键 ‘Shift+F5’\r\n3秒内再次使用 ‘Shift+F5’热键即可关机"},
        {"3", "提示：3秒内再次使用\"显示窗口热键\"即可关机"},
    };
    for (const auto& c : cases) {
        settingsFile(std::string("[倒计时窗口样式]\n样式=1\n[热键关机]\n1=") + c.modifier +
                     "\n2=4\n");
        open();
        EXPECT_EQ(text(kHotkeyTip), c.tip) << c.modifier;
        click(kCloseButton);
    }
    EXPECT_EQ(hotkeyTip("0", 11),
              " 提示：显示本窗口可使用热键‘Ctrl+F12’\r\n3秒内再次使用 ‘Ctrl+F12’ 热键即可关机");
}

TEST_F(CountdownWindowTest, OpensOnceAndBringsTheOpenWindowUp) {
    withStyle("1");
    const WindowId first = open();
    open(true);  // a modal request for the open window only brings it up
    EXPECT_EQ(window(), first);
    EXPECT_EQ(countdownWindowsOpen(), 1);
    EXPECT_EQ(fake.log.back(), "bringToFront  关机提示");

    fake.destroyWindow(window());  // the title bar's close box: forgotten
    EXPECT_EQ(window(), 0);
    open();
    EXPECT_EQ(countdownWindowsOpen(), 1);
}

TEST_F(CountdownWindowTest, ClosingChangesNothingButTheWindow) {
    withStyle("2");
    program.countdownRunning = true;
    program.countdownSeconds = 500;
    open();
    click(kCloseButton);
    EXPECT_EQ(window(), 0);
    EXPECT_TRUE(program.countdownRunning);
    EXPECT_EQ(program.countdownSeconds, 500);
    EXPECT_EQ(setting(keys::kCountdownStyle, keys::kStyle), "2");

    open();  // reopens in the stored mode, showing the same count
    EXPECT_EQ(text(kCountdownButton), "取消");
    EXPECT_FALSE(visible(kShutdownButton));
    fake.fireTimer(window(), kDisplayTimer);
    EXPECT_EQ(text(kValue), "500");
}

TEST_F(CountdownWindowTest, DisplayShowsTheCurrentTimeAndTheScheduleState) {
    withStyle("1");
    open();
    at(22, 5, 3);
    fake.fireTimer(window(), kDisplayTimer);
    EXPECT_EQ(text(kCurrentTime), " 22:05:03");
    EXPECT_EQ(text(kValue), "23:0");
    EXPECT_EQ(text(kUnit), "");

    program.secondsToShutdown = 287;
    fake.fireTimer(window(), kDisplayTimer);
    EXPECT_EQ(text(kValue), "287");
    EXPECT_EQ(text(kUnit), "秒");

    // The caption of the countdown button decides, not the running flag.
    fake.setText(window(), kCountdownButton, "取消");
    program.countdownSeconds = -3;
    fake.fireTimer(window(), kDisplayTimer);
    EXPECT_EQ(text(kValue), "-3");
    EXPECT_EQ(text(kUnit), "秒");
}

TEST(CountdownTexts, DateTimeTextEndsItsDatePartWithTheDayCharacter) {
    const LocalTime time{.year = 2026, .month = 3, .day = 9, .hour = 7, .minute = 4};
    EXPECT_EQ(dateTimeText(time), "2026年3月9日 07:04:00");
    EXPECT_EQ(timeOfDayPart(dateTimeText(time)), " 07:04:00");
    EXPECT_EQ(timeOfDayPart("12:00"), "12:00");
    EXPECT_EQ(timeOfDayPart("9日"), "");
}

TEST_F(CountdownWindowTest, ArrowKeysMoveTheFocusOnlyTheWayEachButtonAllows) {
    withStyle("1");
    open();
    const struct {
        const char* from;
        int key;
        const char* to;
    } cases[] = {
        {kShutdownButton, kVkRight, kExitButton},  {kShutdownButton, kVkLeft, kShutdownButton},
        {kShutdownButton, kVkUp, kShutdownButton}, {kShutdownButton, kVkDown, kShutdownButton},
        {kExitButton, kVkUp, kShutdownButton},     {kExitButton, kVkDown, kExitButton},
        {kExitButton, kVkLeft, kExitButton},       {kExitButton, kVkRight, kExitButton},
    };
    for (const auto& c : cases) {
        fake.focus(window(), c.from);
        fire(c.from, EventKind::KeyUp, c.key);
        EXPECT_EQ(fake.focusedControl(window()), c.to) << c.from << " key " << c.key;
    }
    EXPECT_TRUE(fake.shutdownRequests.empty());
    EXPECT_FALSE(fake.exited);
}

TEST_F(CountdownWindowTest, EnterOnTheShutdownButtonShutsDownLikeAClick) {
    settingsFile("[倒计时窗口样式]\n样式=2\n[强行关机]\n是=真\n");
    program.countdownRunning = true;
    program.countdownSeconds = 100;
    open();
    fake.focus(window(), kShutdownButton);
    fire(kShutdownButton, EventKind::KeyUp, kVkReturn);
    EXPECT_EQ(fake.shutdownRequests, std::vector<bool>{true});
    EXPECT_FALSE(program.countdownRunning);
    EXPECT_EQ(window(), 0);
    EXPECT_EQ(setting(keys::kCountdownStyle, keys::kStyle), "2");
    EXPECT_FALSE(fake.exited);
}

TEST_F(CountdownWindowTest, ExitButtonAndEnterOnItEndTheProgramAndResetTheStyle) {
    for (const bool byKey : {false, true}) {
        withStyle("3");
        fake.exited = false;
        open();
        if (byKey) {
            fake.focus(window(), kExitButton);
            fire(kExitButton, EventKind::KeyUp, kVkReturn);
        } else {
            click(kExitButton);
        }
        EXPECT_TRUE(fake.exited) << byKey;
        EXPECT_EQ(setting(keys::kCountdownStyle, keys::kStyle), "1") << byKey;
        EXPECT_TRUE(fake.shutdownRequests.empty()) << byKey;
        fake.destroyWindow(window());
    }
}

}  // namespace
}  // namespace varnel::testing
