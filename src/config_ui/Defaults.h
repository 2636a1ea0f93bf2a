#pragma once

namespace varnel {

struct Program;

// Writes the default of every user setting, in key-table order, in one write
// of the file, then removes the start-with-Windows registration to match.
// False when the file could not be written: then neither changed.
bool restoreDefaults(Program& program);
// The "恢复默认置" labels: confirm, restore and restart.
void confirmRestoreDefaults(Program& program);

}  // namespace varnel
