// The shutdown prompt " 关机提示": table, creation, display refresh, modes and
// the routing of its events (postpone and countdown handlers live in Postpone).
#pragma once

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
void applyCountdownWindowMode(Program& program, int code);
void refreshCountdownDisplay(Program& program);
void closeCountdownWindow(Program& program);

class CountdownWindowEvents : public EventSink {
public:
    explicit CountdownWindowEvents(Program& program) : program_(program) {}
    void onEvent(const Event& event) override;

private:
    Program& program_;
};

}  // namespace varnel
