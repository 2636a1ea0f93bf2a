// Routing of the countdown window's events to their handlers, and the
// keyboard rules of its two main buttons.
#include "core/Program.h"
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Postpone.h"
#include "tray/TrayMenu.h"

namespace varnel {

namespace {

using namespace countdown;

// Virtual-key codes, as Windows numbers them.
constexpr int kVkReturn = 0x0D;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;

enum class KeyAction { FocusShutdownButton, FocusExitButton, ShutDown, Exit };

struct KeyRule {
    const char* focused;  // the button the key was released on
    int key;
    KeyAction action;
};

// Each button answers its own pair of arrows only.
constexpr KeyRule kKeyRules[] = {
    {kShutdownButton, kVkLeft, KeyAction::FocusShutdownButton},
    {kShutdownButton, kVkRight, KeyAction::FocusExitButton},
    {kExitButton, kVkUp, KeyAction::FocusShutdownButton},
    {kExitButton, kVkDown, KeyAction::FocusExitButton},
    {kShutdownButton, kVkReturn, KeyAction::ShutDown},
    {kExitButton, kVkReturn, KeyAction::Exit},
};

void run(Program& program, KeyAction action) {
    switch (action) {
        case KeyAction::FocusShutdownButton:
            program.platform.setFocus(program.countdownWindow, kShutdownButton);
            break;
        case KeyAction::FocusExitButton:
            program.platform.setFocus(program.countdownWindow, kExitButton);
            break;
        case KeyAction::ShutDown:
            shutdownFromCountdownWindow(program);
            break;
        case KeyAction::Exit:
            exitProgram(program);
            break;
    }
}

void onMainButtonKeyUp(Program& program, const Event& event) {
    for (const KeyRule& rule : kKeyRules) {
        if (event.control == rule.focused && event.arg == rule.key) {
            run(program, rule.action);
            return;
        }
    }
}

void onSpin(Program& program, const Event& event) {
    stepPostponeBox(program, event.arg);
}

struct Route {
    const char* control;
    EventKind kind;
    void (*handle)(Program&, const Event&);
};

constexpr Route kRoutes[] = {
    {kDisplayTimer, EventKind::Timer, [](Program& p, const Event&) { refreshCountdownDisplay(p); }},
    {kShutdownButton, EventKind::Clicked,
     [](Program& p, const Event&) { shutdownFromCountdownWindow(p); }},
    {kExitButton, EventKind::Clicked, [](Program& p, const Event&) { exitProgram(p); }},
    {kCloseButton, EventKind::Clicked, [](Program& p, const Event&) { closeCountdownWindow(p); }},
    {kShutdownButton, EventKind::KeyUp, onMainButtonKeyUp},
    {kExitButton, EventKind::KeyUp, onMainButtonKeyUp},
    {kPostponeButton, EventKind::Clicked, [](Program& p, const Event&) { onPostponeButton(p); }},
    {kCountdownButton, EventKind::Clicked, [](Program& p, const Event&) { onCountdownButton(p); }},
    {kPostponeSpin, EventKind::Spin, onSpin},
    {kPostponeHourBox, EventKind::FocusGained,
     [](Program& p, const Event&) { p.postponeField = 1; }},
    {kPostponeMinuteBox, EventKind::FocusGained,
     [](Program& p, const Event&) { p.postponeField = 2; }},
    {kPostponeHourBox, EventKind::Changed, [](Program& p, const Event&) { echoPostponedTime(p); }},
    {kPostponeMinuteBox, EventKind::Changed,
     [](Program& p, const Event&) { echoPostponedTime(p); }},
    {kMinutesBox, EventKind::Changed, [](Program& p, const Event&) { echoMinutes(p); }},
};

}  // namespace

void onCountdownWindowEvent(Program& program, const Event& event) {
    if (event.window != program.countdownWindow) {
        return;  // a late event of a window already replaced
    }
    if (event.kind == EventKind::Destroyed) {
        program.countdownWindow = 0;
        program.reopenCountdownWindow = event.arg == kDestroyedUnasked;
        return;
    }
    // What the user cannot see or use does not act, whatever reports it.
    const bool fromUser = event.kind == EventKind::Clicked || event.kind == EventKind::KeyUp;
    if (fromUser && !(program.platform.visible(event.window, event.control) &&
                      program.platform.enabled(event.window, event.control))) {
        return;
    }
    for (const Route& route : kRoutes) {
        if (event.control == route.control && event.kind == route.kind) {
            route.handle(program, event);
            return;
        }
    }
}

}  // namespace varnel
