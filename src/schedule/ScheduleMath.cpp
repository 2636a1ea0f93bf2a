#include "schedule/ScheduleMath.h"

#include <algorithm>
#include <limits>

namespace varnel {

namespace {

constexpr std::int64_t kMinutesPerDay = 1440;

// Hour 0 counts as hour 24, so 00:00..00:59 follow 23:59 on the same scale.
// 64-bit: a postponed or hand-edited hour may be anywhere in the 32-bit range.
std::int64_t minuteOfDay(std::int64_t hour, std::int64_t minute) {
    return hour == 0 ? kMinutesPerDay + minute : hour * 60 + minute;
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

ScheduleDecision scheduleAt(std::int32_t hour, std::int32_t minute, int h, int m, int s) {
    const std::int64_t shutdown = minuteOfDay(hour, minute);
    const std::int64_t now = minuteOfDay(h, m);
    const std::int64_t ahead = shutdown - now;

    ScheduleDecision decision;
    decision.requestShutdown = ahead == 0;
    if (ahead >= 1 && ahead <= 5) {
        decision.secondsToShutdown = clampToInt32(60 * ahead - s);
        decision.announce = true;
    } else if (shutdown <= 65 && now >= 1495 + std::int64_t{minute}) {
        // 01:00..01:05: its five minutes begin during hour 0, which counts as 24.
        decision.secondsToShutdown = clampToInt32(60 * (ahead + kMinutesPerDay) - s);
        decision.announce = true;
    }
    return decision;
}

int minutesAhead(const ScheduleDecision& decision, int s) {
    if (decision.requestShutdown) {
        return 0;
    }
    // A nonsense time may "announce" with seconds far outside the five minutes.
    if (!decision.announce || decision.secondsToShutdown < 1 || decision.secondsToShutdown > 300) {
        return -1;
    }
    return (decision.secondsToShutdown + s) / 60;
}

std::int64_t clockSeconds(const LocalTime& time) {
    // Days from the civil date (proleptic Gregorian), after H. Hinnant.
    const std::int64_t y = time.year - (time.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear =
        (153 * (time.month + (time.month > 2 ? -3 : 9)) + 2) / 5 + time.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + time.hour * 3600 + time.minute * 60 + time.second;
}

int msUntilNextTick(int millisecond) {
    // Aim 15 ms past the boundary: a Windows timer may fire up to one system
    // tick (about 15.6 ms) early or late, and a tick that lands just before the
    // boundary would read the old second again and leave the new one unshown.
    constexpr int kMargin = 15;
    return 1000 - millisecond + kMargin;
}

}  // namespace varnel
