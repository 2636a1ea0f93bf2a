// The tray icon, the popup menu "我的菜单" with its actions, the visibility of
// the main window and the full exit.
#pragma once

namespace varnel {

struct Program;

// Every change of the main window's visibility goes through here, so that a
// window built again after its loss comes back shown or hidden as it was.
void setMainWindowShown(Program& program, bool shown);
void showMainWindow(Program& program);
void hideMainWindow(Program& program);
void toggleMainWindow(Program& program);
// Another start of the program: the clock comes up as with "显示"; while start-up
// still waits on the first-start configuration window, that window comes up instead.
void showOnSecondStart(Program& program);

inline constexpr const char* kTrayRetryTimer = "托盘时钟";

// When option "显示托盘图标" is on. A refused add is tried again every 2 s
// for 2 minutes, until it succeeds.
void addTrayIcon(Program& program);
void retryTrayIcon(Program& program);  // timer kTrayRetryTimer
void removeTrayIcon(Program& program);
void onTrayNotify(Program& program, int kind);
void popupMainMenu(Program& program);
// The menu's "退出", also the countdown window's: resets the countdown style,
// releases the hotkeys, removes the tray icon and ends the process.
void exitProgram(Program& program);

}  // namespace varnel
