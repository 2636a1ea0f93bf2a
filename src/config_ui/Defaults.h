#pragma once

namespace varnel {

struct Program;

// Writes the default of every user setting, in key-table order, in one write
// of the file; false when it could not. The first start's: a value in the
// registry may belong to another copy, still set up to start with Windows.
// The first start leaves the weekdays out, as a missing row already means
// every day; a restore writes them back.
bool writeDefaults(Program& program, bool withWeekdays);
// writeDefaults, then stops this copy starting with Windows, to match. False
// when the file could not be written: then neither changed.
bool restoreDefaults(Program& program);
// The "恢复默认置" labels: confirm, restore and restart.
void confirmRestoreDefaults(Program& program);

}  // namespace varnel
