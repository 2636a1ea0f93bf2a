#include "schedule/Tick.h"

#include <limits>

#include "clock/MainWindow.h"
#include "core/Program.h"
#include "schedule/CountdownWindow.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Shutdown.h"

namespace varnel {

namespace {

constexpr const char* kClockTimer = "时钟1";
constexpr int kPromptSeconds = 300;
constexpr int kAnnouncementPauseMs = 300;

void runCountdown(Program& program) {
    // Saturates: a countdown started with a huge negative length must not wrap.
    if (program.countdownSeconds > std::numeric_limits<std::int32_t>::min()) {
        --program.countdownSeconds;
    }
    if (program.countdownSeconds == kPromptSeconds && !program.countdownPromptShown) {
        program.countdownPromptShown = true;
        openCountdownWindow(program, true);  // ticks go on nested inside
    }
    // The user may have stopped the countdown in the window opened above; its
    // count then reads 0, which must not shut the computer down.
    if (program.countdownRunning && program.countdownSeconds < 1) {
        requestShutdown(program);
    }
}

// Once for each shutdown: a window the user closed stays closed.
void announce(Program& program) {
    if (program.reminderShownCount >= 1) {
        return;
    }
    program.platform.processPendingEvents();
    program.platform.pause(kAnnouncementPauseMs);
    ++program.reminderShownCount;
    // Opened by a timer, behind the program the user works in it would go unseen.
    openCountdownWindowForAttention(program);
}

// True while the shutdown is near: the shutdown minute or the five before it.
bool runSchedule(Program& program, const LocalTime& time) {
    const ScheduleDecision decision = scheduleAt(program.shutdownTime[0], program.shutdownTime[1],
                                                 time.hour, time.minute, time.second);
    if (decision.requestShutdown) {
        requestShutdown(program);
    }
    program.secondsToShutdown = decision.secondsToShutdown;
    if (decision.announce) {
        announce(program);
    } else if (!decision.requestShutdown) {
        endAnnouncement(program);  // the shutdown minute has passed, or is far
    }
    return decision.requestShutdown || decision.secondsToShutdown > 0;
}

}  // namespace

void onClockTick(Program& program) {
    const LocalTime time = program.platform.now();
    const int secondOfDay = time.hour * 3600 + time.minute * 60 + time.second;
    if (secondOfDay != program.lastTickSecond) {  // else the timer fired early
        program.lastTickSecond = secondOfDay;
        // A computer asleep at its shutdown time would never shut down.
        bool shutdownNear = false;
        if (program.countdownRunning) {
            runCountdown(program);
            shutdownNear = program.countdownRunning;
        } else if (program.fiveMinuteWarning && program.shutdownTimeLoaded) {
            // With the option off there is no daily shutdown at all: settings
            // files that turned it off must not start shutting computers down.
            shutdownNear = runSchedule(program, time);
        }
        // A modal window opened above ran later ticks, which showed newer digits
        // and decided on sleep from newer state.
        if (program.lastTickSecond == secondOfDay) {
            setSystemKeptAwake(program, shutdownNear);
            refreshClockDigits(program, time);
        }
    }
    // Re-armed from a fresh reading: the tick may have waited in a modal window.
    const int millisecond = program.platform.now().millisecond;
    program.platform.setTimer(program.mainWindow, kClockTimer, msUntilNextTick(millisecond));
}

void endAnnouncement(Program& program) {
    if (program.reminderShownCount == 0) {
        return;
    }
    program.reminderShownCount = 0;
    if (program.countdownWindow != 0) {
        program.platform.endTopmost(program.countdownWindow);
    }
}

void setSystemKeptAwake(Program& program, bool on) {
    if (on != program.systemKeptAwake) {
        program.systemKeptAwake = on;
        program.platform.keepSystemAwake(on);
    }
}

}  // namespace varnel
