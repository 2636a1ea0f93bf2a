#pragma once

namespace varnel {

struct Program;

// The main window's once-a-second tick: countdown, schedule, clock digits.
void onClockTick(Program& program);

}  // namespace varnel
