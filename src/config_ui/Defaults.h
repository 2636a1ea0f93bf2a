#pragma once

namespace varnel {

struct Program;

// Writes the default of every user setting, in key-table order, and removes
// the start-with-Windows registration to match.
void restoreDefaults(Program& program);
// The "恢复默认置" labels: confirm, restore and restart.
void confirmRestoreDefaults(Program& program);

}  // namespace varnel
