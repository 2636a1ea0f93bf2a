// The main window's clock tick on the fake platform, for counting its
// instructions under callgrind: starts the program with the settings a first
// start writes, then delivers TICKS timer events, one per second of the clock.
// Run it with two tick counts; the difference divided by the difference of the
// counts is the cost of one tick, with start-up and exit cancelled out.
//
//   tick_bench TICKS
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/StartUp.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace {

constexpr const char* kClockTimer = "时钟1";

// As a first start writes them: the daily shutdown at 23:00 with the
// five-minute notice on, so every tick runs the schedule and the clock digits.
constexpr const char* kSettings =
    "[开机自动运行Varnel]\r\n是=假\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=真\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=真\r\n"
    "[程序起动后立刻关机]\r\n是=假\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n"
    "[打开软件配置程序]\r\n1=0\r\n2=9\r\n[显示或隐藏窗口]\r\n1=0\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=11\r\n[热键关机]\r\n1=0\r\n2=8\r\n"
    "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n";

void advanceOneSecond(varnel::LocalTime& clock) {
    if (++clock.second < 60) {
        return;
    }
    clock.second = 0;
    if (++clock.minute < 60) {
        return;
    }
    clock.minute = 0;
    clock.hour = (clock.hour + 1) % 24;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tick_bench TICKS\n", stderr);
        return 1;
    }
    const long ticks = std::strtol(argv[1], nullptr, 10);

    varnel::testing::FakePlatform fake;
    fake.clock = varnel::LocalTime{2026, 12, 7, 1, 8, 0, 0, 15};
    fake.setSettings(kSettings);
    varnel::Program program(fake);
    varnel::runProgram(program);

    for (long i = 0; i < ticks; ++i) {
        advanceOneSecond(fake.clock);
        fake.fire(program.mainWindow, kClockTimer, varnel::EventKind::Timer);
    }
    // Proof the ticks ran: the last one re-armed the timer and showed its second.
    std::printf("%ld ticks, timer %d ms, seconds digits %s\n", ticks,
                fake.timer(program.mainWindow, kClockTimer),
                fake.text(program.mainWindow, "秒标签9").c_str());
    return fake.calls("shutdown").empty() ? 0 : 2;
}
