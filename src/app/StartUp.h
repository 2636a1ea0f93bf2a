// The program's composition: entry, the start-up sequence of the main window,
// the routing of its events and its rebuilding after a loss.
#pragma once

#include "platform/Platform.h"

namespace varnel {

struct Program;

// Takes the session's claim (a second start only asks the running copy to show
// itself), creates the main window, runs the start-up sequence, then the event loop.
void runProgram(Program& program);
// Creates the main window with its events routed to onMainWindowEvent.
void createMainWindow(Program& program);
void onMainWindowCreated(Program& program);
// Clock ticks, hotkeys, tray clicks and the window's loss (closed on purpose,
// the program ends; taken down with the desktop window, it is built again).
void onMainWindowEvent(Program& program, const Event& event);

}  // namespace varnel
