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
#include "config_ui/Defaults.h"
#include "core/Program.h"
#include "support/FakePlatform.h"

namespace {

constexpr const char* kClockTimer = "时钟1";

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
    varnel::Program program(fake);
    // The settings a first start writes: the daily shutdown at 23:00 with the
    // five-minute notice on, so every tick runs the schedule and the clock digits.
    varnel::restoreDefaults(program);
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
