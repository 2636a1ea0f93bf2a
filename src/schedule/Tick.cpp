#include "schedule/Tick.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "clock/MainWindow.h"
#include "core/Program.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Postpone.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Shutdown.h"
#include "schedule/ShutdownDay.h"

namespace varnel {

namespace {

constexpr const char* kClockTimer = "时钟1";
constexpr int kPromptSeconds = 300;
constexpr int kAnnouncementPauseMs = 300;
constexpr std::int32_t kWarningSeconds = 300;
// Ticks further apart than this mean the computer slept, the clock was set or
// the program was held up: a warning then starts again, or is dropped.
constexpr std::int64_t kLongestTickGap = 5;
// A refused request is asked again for a minute, as the shutdown minute lasts.
constexpr std::int32_t kRequestSeconds = 60;
constexpr int kMaxMinutesAhead = 5;
// The last minute of a warning is heard again: the window may be hidden or closed.
constexpr std::int32_t kLastMinuteSeconds = 60;

void runCountdown(Program& program) {
    // Saturates: a countdown started with a huge negative length must not wrap.
    if (program.countdownSeconds > std::numeric_limits<std::int32_t>::min()) {
        --program.countdownSeconds;
    }
    if (program.countdownSeconds == kPromptSeconds && !program.countdownPromptShown) {
        program.countdownPromptShown = true;
        program.platform.playWarningSound();
        openCountdownWindow(program, true);  // ticks go on nested inside
    }
    if (program.countdownSeconds == kLastMinuteSeconds && program.countdownPromptShown) {
        program.platform.playWarningSound();
    }
    // The user may have stopped the countdown in the window opened above; its
    // count then reads 0, which must not shut the computer down.
    if (program.countdownRunning && program.countdownSeconds < 1 && requestShutdown(program)) {
        // Windows took it: if the user cancels Windows' own screen, the computer stays on.
        stopCountdown(program);
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

// A shutdown this warning was for is over: asked for and accepted, or missed.
void finishWarning(Program& program) {
    program.shutdownDoneMinute = program.warningMinute;
    program.postponedShutdownPending = false;
    endAnnouncement(program);
}

// After a gap the warning counts its five minutes again, unless its shutdown
// minute is gone (missed, as a sleeping computer misses it) or far again.
void restartWarningAfterGap(Program& program, std::int64_t nowMinute) {
    const std::int64_t ahead = program.warningMinute - nowMinute;
    if (ahead < 0) {
        finishWarning(program);
    } else if (ahead > kMaxMinutesAhead) {
        endAnnouncement(program);
    } else {
        program.warningSecondsLeft = kWarningSeconds;
    }
}

void openWarning(Program& program, const LocalTime& time, std::int64_t nowMinute) {
    const ScheduleDecision decision = scheduleAt(program.shutdownTime[0], program.shutdownTime[1],
                                                 time.hour, time.minute, time.second);
    const int ahead = minutesAhead(decision, time.second);
    const bool seen = std::exchange(program.shutdownTimeSeen, false);
    if (ahead < 0 || nowMinute + ahead == program.shutdownDoneMinute ||
        !shutdownComes(program, nowMinute + ahead)) {
        return;
    }
    program.warningUp = true;
    program.warningMinute = nowMinute + ahead;
    // A warning that comes late (start-up, resume, a clock change) still gets its
    // five minutes; a time the user has just seen in the window comes at its minute.
    program.warningSecondsLeft = seen ? decision.secondsToShutdown : kWarningSeconds;
    // Heard also above a full-screen game or film, where no window shows.
    program.platform.playWarningSound();
    announce(program);
}

// True while a warning stands: the system is then kept awake.
bool runSchedule(Program& program, const LocalTime& time, std::int64_t elapsed) {
    const std::int64_t nowMinute = clockSeconds(time) / 60;
    if (program.warningUp) {
        if (elapsed < 1 || elapsed > kLongestTickGap) {
            restartWarningAfterGap(program, nowMinute);
        } else {
            const std::int32_t before = program.warningSecondsLeft;
            program.warningSecondsLeft -= static_cast<std::int32_t>(elapsed);
            if (before > kLastMinuteSeconds && program.warningSecondsLeft <= kLastMinuteSeconds) {
                program.platform.playWarningSound();
            }
        }
    }
    if (!program.warningUp) {
        openWarning(program, time, nowMinute);
    }
    if (!program.warningUp) {
        program.secondsToShutdown = 0;
        return false;
    }
    program.secondsToShutdown = std::max(program.warningSecondsLeft, 0);
    if (nowMinute >= program.warningMinute && program.warningSecondsLeft <= 0) {
        if (requestShutdown(program) || program.warningSecondsLeft <= -kRequestSeconds + 1) {
            finishWarning(program);
            return false;
        }
    }
    return true;
}

}  // namespace

void onClockTick(Program& program) {
    const LocalTime time = program.platform.now();
    const std::int64_t second = clockSeconds(time);
    if (second != program.lastTickSecond) {  // else the timer fired early
        const std::int64_t elapsed = second - program.lastTickSecond;
        program.lastTickSecond = second;
        // A computer asleep at its shutdown time would never shut down.
        bool shutdownNear = false;
        if (program.countdownRunning) {
            runCountdown(program);
            shutdownNear = program.countdownRunning;
        } else if (program.fiveMinuteWarning && program.shutdownTimeLoaded) {
            // With the option off there is no daily shutdown at all: settings
            // files that turned it off must not start shutting computers down.
            shutdownNear = runSchedule(program, time, elapsed);
        }
        // A modal window opened above ran later ticks, which showed newer digits
        // and decided on sleep from newer state.
        if (program.lastTickSecond == second) {
            setSystemKeptAwake(program, shutdownNear);
            refreshClockDigits(program, time);
            if (second / 60 != (second - elapsed) / 60) {
                showShutdownTime(program, time);  // a new day may have no shutdown
            }
        }
    }
    // Re-armed from a fresh reading: the tick may have waited in a modal window.
    const int millisecond = program.platform.now().millisecond;
    program.platform.setTimer(program.mainWindow, kClockTimer, msUntilNextTick(millisecond));
}

void endAnnouncement(Program& program) {
    program.warningUp = false;
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
