// The clock window: its control table, the labels written at start-up, the
// clock digits, placement and moving.
#pragma once

#include "platform/Platform.h"

namespace varnel {

struct Program;
struct WindowPlace;

inline constexpr int kMainWindowWidth = 229;
inline constexpr int kMainWindowHeight = 152;
inline constexpr Color kMainWindowBackground = 0x8000;

WindowSpec mainWindowSpec();

// Start-up labels: shutdown time, date, weekday and the weekday-dependent hints.
void fillStartupLabels(Program& program);
// 标签4: the shutdown time, or "今日不关机" when the next shutdown will not come.
void showShutdownTime(Program& program, const LocalTime& time);
// The hour, minute and second digits, two characters each.
void refreshClockDigits(Program& program, const LocalTime& time);
void placeMainWindow(Program& program);
// After a change of the screen or its work area: a clock in its corner goes to
// the new corner; one moved elsewhere stays unless it no longer lies wholly in
// the work area. Nothing is written to the settings file.
void keepMainWindowInSight(Program& program);
// Every move goes through here, so that a window built again after its loss
// comes back to the same place.
void moveMainWindowTo(Program& program, const WindowPlace& place);
// Vertical: step -1 moves 10 pixels down, any other 10 up. Horizontal: +1
// moves 10 pixels right, any other 10 left. Pixels at 96 DPI, scaled.
void moveMainWindow(Program& program, bool vertical, int step);

}  // namespace varnel
