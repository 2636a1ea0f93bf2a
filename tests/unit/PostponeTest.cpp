#include <gtest/gtest.h>

#include "ScheduleFixture.h"
#include "schedule/Postpone.h"

namespace varnel::testing {
namespace {

using namespace countdown;

class PostponeTest : public ScheduleTest {
protected:
    PostponeTest() {
        settingsFile("[关机时间]\n小时=23\n分钟=0\n[倒计时窗口样式]\n样式=1\n[强行关机]\n是=假\n");
        program.shutdownTime = {23, 0};
        open();
    }
    std::string style() { return setting(keys::kCountdownStyle, keys::kStyle); }
    void spin(int step) { fire(kPostponeSpin, EventKind::Spin, step); }
};

TEST(PostponeProposal, ThirtyMinutesLaterWithoutLeadingZeros) {
    using Texts = std::array<std::string, 2>;
    EXPECT_EQ(postponeProposal({23, 40}), (Texts{"0", "10"}));
    EXPECT_EQ(postponeProposal({7, 15}), (Texts{"7", "45"}));
    EXPECT_EQ(postponeProposal({7, 30}), (Texts{"8", "0"}));
    EXPECT_EQ(postponeProposal({23, 29}), (Texts{"23", "59"}));
    EXPECT_EQ(postponeProposal({0, 0}), (Texts{"0", "30"}));
    // Out-of-range times only carry one hour; 24 stays 24 unless it came from 23.
    EXPECT_EQ(postponeProposal({24, 50}), (Texts{"25", "20"}));
    EXPECT_EQ(postponeProposal({5, 200}), (Texts{"6", "170"}));
}

// Typed values are not checked; cancel shows the stored texts as read.
TEST_F(PostponeTest, ApplyReplacesTheShutdownTimeForThisRunOnlyCancelRereadsTheFile) {
    type(kPostponeHourBox, "");
    type(kPostponeMinuteBox, "75");
    EXPECT_EQ(text(kPostponedTime), ":75");
    click(kPostponeButton);

    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{0, 75}));
    EXPECT_EQ(text(kShutdownTimeText), ":75");
    EXPECT_EQ(text(kPostponeButton), "取消");
    EXPECT_EQ(style(), "3");
    EXPECT_EQ(setting(keys::kShutdownTime, keys::kHour), "23");
    EXPECT_EQ(setting(keys::kShutdownTime, keys::kMinute), "0");

    settingsFile("[关机时间]\n小时=07\n分钟=abc\n");
    click(kPostponeButton);  // now "取消"
    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{7, 0}));
    EXPECT_EQ(text(kShutdownTimeText), "07:abc");
    EXPECT_EQ(text(kPostponeButton), "推迟");
    EXPECT_TRUE(enabled(kCountdownButton));
    EXPECT_EQ(text(kValueCaption), "关机时间：");
    EXPECT_EQ(style(), "1");
}

TEST_F(PostponeTest, StartAndStopACountdown) {
    type(kMinutesBox, "30");
    EXPECT_EQ(text(kMinutesEcho), "30");
    fake.setTimer(window(), kDisplayTimer, 0);
    click(kCountdownButton);

    EXPECT_TRUE(program.countdownRunning);
    EXPECT_EQ(program.countdownSeconds, 1800);
    EXPECT_EQ(setting(keys::kCountdown, keys::kCountdownMinutes), "30");
    EXPECT_EQ(style(), "2");
    EXPECT_EQ(text(kCountdownButton), "取消");
    EXPECT_EQ(fake.timerPeriod(window(), kDisplayTimer), 1000);

    fake.fireTimer(window(), kDisplayTimer);
    EXPECT_EQ(text(kValue), "1800");
    click(kCountdownButton);  // now "取消"
    EXPECT_FALSE(program.countdownRunning);
    EXPECT_EQ(program.countdownSeconds, 0);
    EXPECT_EQ(text(kValue), "23:0");
    EXPECT_EQ(text(kUnit), "");
    EXPECT_EQ(text(kCountdownButton), "计时");
    EXPECT_TRUE(enabled(kPostponeButton));
    EXPECT_EQ(text(kValueCaption), "关机时间：");
    EXPECT_EQ(style(), "1");

    click(kCloseButton);
    open();  // the typed minutes are the next proposal
    EXPECT_EQ(text(kMinutesBox), "30");
}

TEST_F(PostponeTest, CountdownLengthIsTheMinutesTimesSixtyTruncated) {
    const struct {
        const char* minutes;
        int seconds;
    } cases[] = {{"1.5", 90},
                 {"0.01", 0},
                 {"", 0},
                 {"abc", 0},
                 {"-2", -120},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases) {
        type(kMinutesBox, c.minutes);
        click(kCountdownButton);
        EXPECT_EQ(program.countdownSeconds, c.seconds) << c.minutes;
        EXPECT_TRUE(program.countdownRunning) << c.minutes;
        click(kCountdownButton);
    }
}

TEST_F(PostponeTest, SpinStepsTheBoxThatLastHadTheFocusAndWrapsOnlyTheExactEnds) {
    spin(1);  // neither box had the focus yet
    EXPECT_EQ(text(kPostponeHourBox), "23");
    EXPECT_EQ(text(kPostponeMinuteBox), "30");
    const struct {
        const char* box;
        const char* before;
        int step;
        const char* after;
    } cases[] = {
        {kPostponeHourBox, "23", 1, "00"},    {kPostponeHourBox, "00", -1, "23"},
        {kPostponeHourBox, "7", 1, "08"},     {kPostponeHourBox, "10", -1, "09"},
        {kPostponeHourBox, "30", 1, "31"},    {kPostponeHourBox, "-5", 1, "-4"},
        {kPostponeHourBox, "", 1, "01"},      {kPostponeHourBox, "59", 1, "60"},
        {kPostponeMinuteBox, "59", 1, "00"},  {kPostponeMinuteBox, "00", -1, "59"},
        {kPostponeMinuteBox, "09", 1, "10"},  {kPostponeMinuteBox, "23", 1, "24"},
        {kPostponeMinuteBox, "1.9", 1, "02"},
    };
    for (const auto& c : cases) {
        type(c.box, c.before);  // typing gives the box the focus
        spin(c.step);
        EXPECT_EQ(text(c.box), c.after) << c.box << " " << c.before << " " << c.step;
    }
}

TEST_F(PostponeTest, MinuteWrapLeavesTheHourAndTheEchoFollowsTheSpin) {
    type(kPostponeHourBox, "22");
    type(kPostponeMinuteBox, "59");
    EXPECT_EQ(program.postponeField, 2);
    spin(1);
    EXPECT_EQ(text(kPostponeHourBox), "22");
    EXPECT_EQ(text(kPostponedTime), "22:00");
    fake.focus(window(), kPostponeHourBox);
    EXPECT_EQ(program.postponeField, 1);
    spin(1);
    EXPECT_EQ(text(kPostponedTime), "23:00");
}

}  // namespace
}  // namespace varnel::testing
