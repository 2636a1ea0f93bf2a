#include "schedule/ShutdownDay.h"

#include <algorithm>

#include "core/Program.h"
#include "schedule/ScheduleMath.h"

namespace varnel {

namespace {

constexpr std::int64_t kMinutesPerDay = 1440;
// A day and the five minutes of a warning: far enough to meet any time that fires.
constexpr std::int64_t kLookAhead = kMinutesPerDay + 6;

}  // namespace

bool shutdownComes(const Program& program, std::int64_t minute) {
    const ShutdownDays& days = program.shutdownDays;
    if (std::ranges::none_of(days, [](bool on) { return on; })) {
        return false;
    }
    // 1970-01-01 was a Thursday, day 3 counted from Monday.
    const std::int64_t day = minute / kMinutesPerDay;
    return program.postponedShutdownPending || days[static_cast<std::size_t>((day + 3) % 7)];
}

bool nextShutdownComes(const Program& program, const LocalTime& time) {
    if (!program.fiveMinuteWarning) {
        return false;  // no daily shutdown at all
    }
    if (program.warningUp) {
        return true;
    }
    // The schedule's own decision, minute by minute: where it would warn next.
    const std::int64_t now = clockSeconds(time) / 60;
    for (std::int64_t later = now; later <= now + kLookAhead; ++later) {
        const auto ofDay = static_cast<int>(later % kMinutesPerDay);
        const int ahead = minutesAhead(
            scheduleAt(program.shutdownTime[0], program.shutdownTime[1], ofDay / 60, ofDay % 60, 0),
            0);
        if (ahead >= 0) {
            return shutdownComes(program, later + ahead);
        }
    }
    return false;  // a time no clock reaches
}

}  // namespace varnel
