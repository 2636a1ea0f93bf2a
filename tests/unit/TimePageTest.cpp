// The time page: clamping while typing, the spin control and the check on "确定".
#include <string>

#include "core/Texts.h"
#include "unit/WizardFixture.h"

namespace varnel::testing {
namespace {

using namespace wizard;

class TimePageTest : public WizardTest {
protected:
    void SetUp() override {
        open();
        goToPage(kTimePage);
    }
    void type(const char* box, const std::string& value) { fake.type(wizard(), box, value); }
    void spin(int step) { fire(kTimeSpin, EventKind::Spin, step); }
    void reopenWith(const char* hour, const char* minute) {
        fake.destroyWindow(wizard());
        store(keys::kShutdownTime, keys::kHour, hour);
        store(keys::kShutdownTime, keys::kMinute, minute);
        open();
        goToPage(kTimePage);
    }
};

TEST_F(TimePageTest, TypingKeepsEachBoxInItsRange) {
    struct Case {
        const char* box;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {kHourBox, "30", "23"},   {kHourBox, "24", "23"},   {kHourBox, "-5", "0"},
        {kHourBox, "7", "7"},     {kHourBox, "23", "23"},   {kHourBox, "", ""},
        {kMinuteBox, "75", "59"}, {kMinuteBox, "60", "59"}, {kMinuteBox, "-1", "0"},
        {kMinuteBox, "07", "07"}, {kMinuteBox, "59", "59"},
    };
    for (const Case& c : cases) {
        type(c.box, c.typed);
        EXPECT_EQ(text(c.box), c.shown) << c.box << " " << c.typed;
    }
}

TEST_F(TimePageTest, StoredValuesOutOfRangeAreClampedWhenLoaded) {
    reopenWith("99", "-3");
    EXPECT_EQ(text(kHourBox), "23");
    EXPECT_EQ(text(kMinuteBox), "0");
}

TEST_F(TimePageTest, SpinStepsTheLastFocusedBoxWithWrapAndTwoDigits) {
    struct Case {
        const char* box;
        const char* start;
        int step;
        const char* shown;
    };
    const Case cases[] = {
        {kHourBox, "23", +1, "00"},   {kHourBox, "00", -1, "23"},   {kHourBox, "7", +1, "08"},
        {kHourBox, "10", -1, "09"},   {kHourBox, "", -1, "23"},     {kHourBox, "12", +1, "13"},
        {kMinuteBox, "59", +1, "00"}, {kMinuteBox, "00", -1, "59"}, {kMinuteBox, "9", +1, "10"},
    };
    for (const Case& c : cases) {
        type(c.box, c.start);  // typing focuses the box
        spin(c.step);
        EXPECT_EQ(text(c.box), c.shown) << c.box << " " << c.start << " " << c.step;
    }
}

TEST_F(TimePageTest, SpinActsOnlyOnceABoxWasFocusedAndKeepsItAcrossOpenings) {
    EXPECT_EQ(program.timeSpinTarget, 0);
    spin(+1);
    spin(-1);
    EXPECT_EQ(text(kHourBox), "23");
    EXPECT_EQ(text(kMinuteBox), "0");

    fake.focus(wizard(), kMinuteBox);
    fake.focus(wizard(), kConfirmButton);
    spin(+1);
    EXPECT_EQ(text(kMinuteBox), "01");
    EXPECT_EQ(text(kHourBox), "23");

    fake.destroyWindow(wizard());
    open();
    spin(-1);
    EXPECT_EQ(text(kMinuteBox), "59");
}

TEST_F(TimePageTest, ConfirmCorrectsTheFirstFieldOutOfRangeAndSaysSo) {
    struct Case {
        const char* hour;
        const char* minute;
        const char* hourAfter;  // nullptr: accepted as it is
        const char* minuteAfter;
    };
    // Fractions come from a hand-edited file; the clamp sees only their whole part.
    const Case cases[] = {
        {"23.5", "59.5", "23", "59.5"},  // only the first failing check acts
        {"-0.5", "0", "0", "0"},
        {"12", "59.5", "12", "59"},
        {"12", "-0.25", "12", "0"},
        {"23", "59", nullptr, nullptr},
        {"23.00000005", "59.00000009", nullptr, nullptr},  // within the tolerance
        {"-0.00000009", "0", nullptr, nullptr},
        {"", "", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        reopenWith(c.hour, c.minute);
        const bool corrected = c.hourAfter != nullptr;
        if (corrected) {
            fake.answerNextMessageBox(kIdOk);
        }
        click(kConfirmButton);  // an unexpected message fails the test
        ASSERT_EQ(fake.messageBoxes.size(), corrected ? 1u : 0u) << c.hour << " " << c.minute;
        if (corrected) {
            EXPECT_EQ(fake.messageBoxes[0].text, "时间设置超出范围！请返回修改！");
            EXPECT_EQ(fake.messageBoxes[0].title, kUntitledCaption);
            EXPECT_EQ(fake.messageBoxes[0].style, 0u);
        }
        EXPECT_EQ(text(kHourBox), corrected ? c.hourAfter : c.hour);
        EXPECT_EQ(text(kMinuteBox), corrected ? c.minuteAfter : c.minute);
        EXPECT_TRUE(enabled(kNextButton));
        fake.messageBoxes.clear();
    }
}

}  // namespace
}  // namespace varnel::testing
