// Program entry, the start-up sequence of the main window and the full exit.
#pragma once

namespace varnel {

struct Program;

// Creates the main window, runs the start-up sequence, then the event loop.
void runProgram(Program& program);
void onMainWindowCreated(Program& program);
// Resets the countdown style, releases the hotkeys, removes the tray icon and
// ends the process.
void exitProgram(Program& program);

}  // namespace varnel
