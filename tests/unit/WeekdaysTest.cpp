// Shutdowns on chosen weekdays: the row of the settings file, the day a
// shutdown falls on and 标签4.
#include "app/StartUp.h"
#include "core/Program.h"
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Tick.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

// Seconds from Monday 2026-12-07 00:00.
constexpr std::int64_t kDay = 86400, kHour = 3600, kMinute = 60;

struct Clock {
    testing::FakePlatform fake;
    Program program{fake};
    // A running program with its shutdown at hour:minute on `days`.
    Clock(const char* days, int hour, int minute) {
        fake.setSettings("[倒计时窗口样式]\r\n样式=1\r\n");  // as start-up leaves it
        createMainWindow(program);
        program.shutdownTime = {hour, minute};
        program.shutdownDays = shutdownDaysFrom(days);
        program.shutdownTimeLoaded = program.fiveMinuteWarning = true;
    }
    // One tick at each second in [from, to]; the seconds at which `what` was logged.
    std::vector<std::int64_t> tick(std::int64_t from, std::int64_t to, const char* what) {
        std::vector<std::int64_t> seen;
        for (std::int64_t s = from; s <= to; ++s) {
            const std::size_t before = fake.calls(what).size();
            fake.clock = {
                2026, 12, int(7 + s / kDay), 0, int(s / kHour % 24), int(s / 60 % 60), int(s % 60)};
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
