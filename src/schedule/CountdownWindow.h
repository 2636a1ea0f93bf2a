// The shutdown prompt " 关机提示": table, creation, display refresh, modes and
// the routing of its events (postpone and countdown handlers live in Postpone).
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace varnel {

struct Program;

enum class CountdownWindowMode {
    Normal = 1,
    Counting = 2,
    Postponed = 3,
    CountingCancelled = 22,
    PostponeCancelled = 33,
};

WindowSpec countdownWindowSpec();
// Opens the window, or brings up the open one. Modal: returns when it closes.
void openCountdownWindow(Program& program, bool modal);
// Opens it, or brings up the open one, above all other windows without taking
// the keyboard focus, its taskbar button flashing.
void openCountdownWindowForAttention(Program& program);
void applyCountdownWindowMode(Program& program, int code);
void refreshCountdownDisplay(Program& program);
void closeCountdownWindow(Program& program);

// The current date and time as the window shows it, e.g. "2026年12月7日 22:55:03".
std::string dateTimeText(const LocalTime& time);
// Everything after the day character "日"; the whole text when there is none.
std::string timeOfDayPart(std::string_view dateTime);
// The tip of 标签6 for the stored shutdown hotkey; empty keeps the design text.
std::string hotkeyTip(const std::string& modifier, int functionKeyIndex);

// Every event of the countdown window, handed to its handler.
void onCountdownWindowEvent(Program& program, const Event& event);

}  // namespace varnel
