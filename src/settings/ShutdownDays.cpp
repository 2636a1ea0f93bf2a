#include "settings/ShutdownDays.h"

#include <algorithm>

#include "settings/SettingsKeys.h"

namespace varnel {

ShutdownDays shutdownDaysFrom(const std::string& text) {
    const bool valid =
        text.size() == 7 && std::ranges::all_of(text, [](char c) { return c == '0' || c == '1'; });
    ShutdownDays days;
    for (std::size_t i = 0; i < days.size(); ++i) {
        days[i] = !valid || text[i] == '1';
    }
    return days;
}

ShutdownDays readShutdownDays(const SettingsFile& settings) {
    return shutdownDaysFrom(settings.readSetting(keys::kShutdownDays, keys::kWeekdays));
}

std::string shutdownDaysText(const ShutdownDays& days) {
    std::string text;
    for (const bool on : days) {
        text += on ? '1' : '0';
    }
    return text;
}

}  // namespace varnel
