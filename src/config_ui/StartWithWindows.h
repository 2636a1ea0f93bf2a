#pragma once

namespace varnel {

struct Program;

// Makes this copy the one that starts with Windows, under exactly one root, or
// stops it starting; another copy's value stays unless this one takes its
// place. Then warns when the registry refused, as the saved settings no longer
// tell the truth.
void setStartWithWindows(Program& program, bool on);

}  // namespace varnel
