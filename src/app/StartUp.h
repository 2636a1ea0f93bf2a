// Program entry, the start-up sequence of the main window and the full exit.
#pragma once

namespace varnel {

struct Program;

// Creates the main window, runs the start-up sequence, then the event loop.
void runProgram(Program& program);
void onMainWindowCreated(Program& program);
// `how` is the Destroyed event's argument: closed on purpose, the program
// ends; taken down with the desktop window, it is built again.
void onMainWindowDestroyed(Program& program, int how);
// Explorer is back: the main window goes into the new desktop window.
void onShellRestarted(Program& program);
// Resets the countdown style, releases the hotkeys, removes the tray icon and
// ends the process.
void exitProgram(Program& program);

}  // namespace varnel
