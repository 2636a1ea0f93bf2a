#include "schedule/Shutdown.h"

#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

ShutdownMode readShutdownMode(const SettingsFile& settings) {
    return settings.readOption(keys::kForcedShutdown) ? ShutdownMode::ForcedShutdown
                                                      : ShutdownMode::NormalShutdown;
}

void requestShutdown(Program& program) {
    // Read at every request, so a mode saved meanwhile applies without a restart.
    // The outcome is not examined: the tick callers simply ask again a second later.
    const bool force = readShutdownMode(program.settings) == ShutdownMode::ForcedShutdown;
    program.platform.requestSystemShutdown(force);
}

}  // namespace varnel
