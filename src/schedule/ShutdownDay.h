// Which daily shutdowns come: the one decision the schedule and the clock's
// label share.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace varnel {

struct Program;

// Whether the daily shutdown at `minute` (minutes since 1970, local clock)
// comes: the weekday of that minute's own date is checked, or it is the first
// shutdown of a postponed time. None checked: no daily shutdown at all.
bool shutdownComes(const Program& program, std::int64_t minute);

// Whether the next daily shutdown from the clock at `time` will come: the one
// a warning stands for, else the next minute the schedule would warn of.
bool nextShutdownComes(const Program& program, const LocalTime& time);

}  // namespace varnel
