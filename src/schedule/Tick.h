#pragma once

namespace varnel {

struct Program;

// The main window's once-a-second tick: countdown, schedule, clock digits.
void onClockTick(Program& program);
// The announced shutdown is over or was moved: the next one is announced
// again, and the countdown window no longer stands above all others.
void endAnnouncement(Program& program);
// Asks the system to stay awake, or lets it sleep again; tells it only of a change.
void setSystemKeptAwake(Program& program, bool on);

}  // namespace varnel
