#include <gtest/gtest.h>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { createMainWindow(program); }
    bool shown(const char* control) { return fake.visible(program.mainWindow, control); }
    std::string text(const char* control) { return fake.text(program.mainWindow, control); }

    FakePlatform fake;
    Program program{fake};
};

TEST_F(MainWindowTest, ShutdownTimeAndDateAreWrittenWithoutPadding) {
    program.shutdownTime = {23, 5};
    fake.clock = {2027, 3, 4, 4, 9, 0, 0, 0};
    fillStartupLabels(program);
    EXPECT_EQ(text("标签4"), "关机时间为23:5");
    EXPECT_EQ(text("标签2"), "2027年3月4日");
    EXPECT_EQ(text("标签3"), "星期四");
}

TEST_F(MainWindowTest, WeekdayDecidesWhatTheLowerPartShows) {
    struct Case {
        int weekday;
        const char* caption;
        bool logo;
        bool hints;
    };
    const Case cases[] = {{0, "星期天", true, false},  {1, "星期一", false, true},
                          {2, "星期二", false, false}, {3, "星期三", false, true},
                          {4, "星期四", false, false}, {5, "星期五", false, true},
                          {6, "星期六", false, false}};
    for (const Case& c : cases) {
        FakePlatform fresh;
        Program p{fresh};
        createMainWindow(p);
        fresh.clock.weekday = c.weekday;
        fillStartupLabels(p);
        EXPECT_EQ(fresh.text(p.mainWindow, "标签3"), c.caption);
        EXPECT_EQ(fresh.visible(p.mainWindow, "LOGO标签8"), c.logo) << c.weekday;
        EXPECT_EQ(fresh.visible(p.mainWindow, "图片框1"), c.logo) << c.weekday;
        for (const char* hint : {"标签5", "标签6", "标签7", "标签9"}) {
            EXPECT_EQ(fresh.visible(p.mainWindow, hint), c.hints) << c.weekday << hint;
        }
    }
}

TEST_F(MainWindowTest, ClockDigitsAlwaysHaveTwoCharacters) {
    EXPECT_EQ(text("时标签7"), "55");  // creation text until the first tick
    refreshClockDigits(program, {2026, 1, 1, 4, 9, 5, 7, 0});
    EXPECT_EQ(text("时标签7"), "09");
    EXPECT_EQ(text("分标签8"), "05");
    EXPECT_EQ(text("秒标签9"), "07");
    refreshClockDigits(program, {2026, 1, 1, 4, 23, 59, 0, 0});
    EXPECT_EQ(text("时标签7") + text("分标签8") + text("秒标签9"), "235900");
}

TEST_F(MainWindowTest, StartsAtTheBottomRightCornerAndRecordsThePosition) {
    fake.setFileUtf8(fake.path(keys::kFileName), "[窗口位置]\r\n1_1=1024\r\n2_1=768\r\n");
    placeMainWindow(program);
    EXPECT_EQ(fake.windowRect(program.mainWindow), (Rect{785, 566, 229, 152}));
    EXPECT_EQ(program.settings.readSetting("窗口位置", "1"), "785");
    EXPECT_EQ(program.settings.readSetting("窗口位置", "2"), "566");
}

TEST_F(MainWindowTest, AStoredValueEqualToTheTargetLeavesThatEdgeAlone) {
    fake.setFileUtf8(fake.path(keys::kFileName), "[窗口位置]\r\n1_1=785\r\n2_1=768\r\n");
    placeMainWindow(program);
    EXPECT_EQ(fake.windowRect(program.mainWindow).left, 50);
    EXPECT_EQ(fake.windowRect(program.mainWindow).top, 566);
    EXPECT_EQ(program.settings.readSetting("窗口位置", "1"), "");
}

TEST_F(MainWindowTest, MovesInTenPixelSteps) {
    for (int i = 0; i < 5; ++i) {
        moveMainWindow(program, false, +1);
    }
    EXPECT_EQ(fake.windowRect(program.mainWindow).left, 100);
    moveMainWindow(program, false, -1);
    EXPECT_EQ(fake.windowRect(program.mainWindow).left, 90);
    moveMainWindow(program, true, -1);
    EXPECT_EQ(fake.windowRect(program.mainWindow).top, 60);
    moveMainWindow(program, true, +1);
    moveMainWindow(program, true, +1);
    EXPECT_EQ(fake.windowRect(program.mainWindow).top, 40);
}

}  // namespace
}  // namespace varnel
