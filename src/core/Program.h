// The program-wide state: the platform, the settings file, the program-wide
// variables under their given names and the windows. Handlers take it by
// reference; tests build a fresh one per test. It knows no feature: each
// window's owner routes the window's events when it creates it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "settings/SettingsFile.h"
#include "settings/ShutdownDays.h"

namespace varnel {

struct Program;

// Hands a window's events to the handler its owner set.
class WindowEvents final : public EventSink {
public:
    using Handler = void (*)(Program&, const Event&);

    explicit WindowEvents(Program& program) : program_(program) {}
    void route(Handler handler) { handler_ = handler; }
    void onEvent(const Event& event) override {
        if (handler_ != nullptr) {
            handler_(program_, event);
        }
    }

private:
    Program& program_;
    Handler handler_ = nullptr;
};

// Where the program last put the main window (screen pixels); at first its
// design position.
struct WindowPlace {
    int left = 50;
    int top = 50;
    bool operator==(const WindowPlace&) const = default;
};

struct Program {
    explicit Program(Platform& p) : platform(p), settings(p) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Platform& platform;
    SettingsFile settings;

    // Schedule.
    std::array<std::int32_t, 2> shutdownTime{0, 0};  // [hour, minute]
    // Start-up has read the shutdown time: until then [0, 0] means nothing, not
    // midnight, though its message boxes let the clock tick.
    bool shutdownTimeLoaded = false;
    bool fiveMinuteWarning = false;
    ShutdownDays shutdownDays{true, true, true, true, true, true, true};  // loaded with the time
    // A postponed time's first shutdown comes whatever its day: the same shutdown, moved.
    bool postponedShutdownPending = false;
    bool countdownRunning = false;
    std::int32_t countdownSeconds = 0;
    bool countdownPromptShown = false;
    std::int32_t secondsToShutdown = 0;
    std::int32_t reminderShownCount = 0;
    int postponeField = 0;  // 0 none, 1 hour box, 2 minute box of the countdown window
    // The warning of a scheduled shutdown: it stands until its shutdown is asked
    // for, and that needs five minutes of warning counted by the clock's own ticks.
    bool warningUp = false;
    std::int64_t warningMinute = 0;       // the shutdown minute warned of, in minutes since 1970
    std::int32_t warningSecondsLeft = 0;  // counted down by the ticks
    // The user set the shutdown time in the open window, or went back to it from a
    // countdown started there: it has been seen, so it comes at its minute.
    bool shutdownTimeSeen = false;
    bool countdownFromWarning = false;
    std::int64_t shutdownDoneMinute = -1;  // asked for and accepted, or slept past
    std::int64_t lastTickSecond = -1;      // clock reading of the last tick, seconds since 1970
    bool systemKeptAwake = false;          // the system was asked not to sleep

    // Hotkeys.
    std::int32_t configHotkeyId = 0;
    std::int32_t toggleHotkeyId = 0;
    std::int32_t exitHotkeyId = 0;
    std::int32_t shutdownHotkeyId = 0;
    std::int32_t confirmTicks = 0;
    std::string hotkeySummary;

    // Configuration wizard.
    std::int16_t wizardStartPage = 0;
    std::int16_t timeSpinTarget = 0;
    std::string previousHotkeyText;
    // What each hotkey list ([group][modifier, function key]) showed after its
    // last accepted change: the text to go back to when a list is changed
    // with its drop-down closed.
    std::array<std::array<std::string, 2>, 4> hotkeyListTexts;

    // Start-up has run to its end: the clock, its hotkeys and tray icon are up.
    bool startedUp = false;

    // Windows: 0 while closed.
    WindowId mainWindow = 0;
    bool mainWindowShown = false;
    WindowPlace mainWindowPlace;
    WindowPlace mainWindowCorner;  // where the placement rule put it last
    int trayAttemptsLeft = 0;      // adds of the tray icon still to try
    // The countdown window went down with the main window and comes back with it.
    bool reopenCountdownWindow = false;
    WindowId countdownWindow = 0;
    WindowId configWizard = 0;

    WindowEvents mainWindowEvents{*this};
    WindowEvents countdownWindowEvents{*this};
    WindowEvents configWizardEvents{*this};
};

}  // namespace varnel
