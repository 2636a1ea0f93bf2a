#pragma once

namespace varnel {

struct Program;

// Registers the program to start with Windows under exactly one root: for
// every user when allowed (or when such a value names this executable
// already), else for the current one. Off removes both registrations.
void setStartWithWindows(Program& program, bool on);

}  // namespace varnel
