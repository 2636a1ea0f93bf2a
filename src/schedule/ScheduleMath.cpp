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

int msUntilNextTick(int millisecond) {
    // Aim 15 ms past the boundary: a Windows timer may fire up to one system
    // tick (about 15.6 ms) early or late, and a tick that lands just before the
    // boundary would read the old second again and leave the new one unshown.
    constexpr int kMargin = 15;
    return 1000 - millisecond + kMargin;
}

}  // namespace varnel
