// Time arithmetic of the daily schedule: pure functions, testable at any clock.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace varnel {

struct ScheduleDecision {
    bool requestShutdown = false;        // the clock is in the shutdown minute
    bool announce = false;               // the announcement step is reached
    std::int32_t secondsToShutdown = 0;  // the new value of secondsToShutdown
};

// One tick of the schedule branch at clock h:m:s with shutdown time (hour,
// minute). Minutes of the day count hour 0 as hour 24; a shutdown time outside
// 0:00..23:59 is used as it is.
ScheduleDecision scheduleAt(std::int32_t hour, std::int32_t minute, int h, int m, int s);

// Whole minutes from the clock to the shutdown minute of a decision that
// requests or announces it (0 to 5); -1 for any other decision.
int minutesAhead(const ScheduleDecision& decision, int s);

// Seconds of the local clock since 1970-01-01 00:00, so that two readings on
// different days still compare and subtract.
std::int64_t clockSeconds(const LocalTime& time);

// Milliseconds from `millisecond` of the current second to just past the next
// second boundary, where the next clock tick should fire.
int msUntilNextTick(int millisecond);

}  // namespace varnel
