#pragma once

namespace varnel {

struct Program;

// Registers the program to start with Windows, for every user when allowed,
// else for the current one; off removes both registrations.
void setStartWithWindows(Program& program, bool on);

}  // namespace varnel
