// The weekdays the daily shutdown comes on, as the settings file keeps them.
#pragma once

#include <array>
#include <string>

#include "settings/SettingsFile.h"

namespace varnel {

// [0] Monday ... [6] Sunday.
using ShutdownDays = std::array<bool, 7>;

// Seven "1" or "0", Monday first. Anything else, a missing key too, means
// every day: files written before the row existed keep shutting down daily.
ShutdownDays shutdownDaysFrom(const std::string& text);
ShutdownDays readShutdownDays(const SettingsFile& settings);
std::string shutdownDaysText(const ShutdownDays& days);

}  // namespace varnel
