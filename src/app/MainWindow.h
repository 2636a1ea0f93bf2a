// The clock window: its control table, the labels written at start-up, the
// clock digits, placement and moving, and the routing of its events.
#pragma once

#include "platform/Platform.h"

namespace varnel {

struct Program;

inline constexpr int kMainWindowWidth = 229;
inline constexpr int kMainWindowHeight = 152;
inline constexpr Color kMainWindowBackground = 0x8000;

// Where the program last put the main window (screen pixels); at first its
// design position.
struct WindowPlace {
    int left = 50;
    int top = 50;
};

WindowSpec mainWindowSpec();

// Start-up labels: shutdown time, date, weekday and the weekday-dependent hints.
void fillStartupLabels(Program& program);
// The hour, minute and second digits, two characters each.
void refreshClockDigits(Program& program, const LocalTime& time);
void placeMainWindow(Program& program);
// Every move goes through here, so that a window built again after its loss
// comes back to the same place.
void moveMainWindowTo(Program& program, WindowPlace place);
// Vertical: step -1 moves 10 pixels down, any other 10 up. Horizontal: +1
// moves 10 pixels right, any other 10 left.
void moveMainWindow(Program& program, bool vertical, int step);

class MainWindowEvents : public EventSink {
public:
    explicit MainWindowEvents(Program& program) : program_(program) {}
    void onEvent(const Event& event) override;

private:
    Program& program_;
};

}  // namespace varnel
