#include "schedule/Shutdown.h"

#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

ShutdownMode readShutdownMode(const SettingsFile& settings) {
    return settings.readOption(keys::kForcedShutdown) ? ShutdownMode::ForcedShutdown
                                                      : ShutdownMode::NormalShutdown;
}

bool requestShutdown(Program& program) {
    // Read at every request, so a mode saved meanwhile applies without a restart.
    const bool force = readShutdownMode(program.settings) == ShutdownMode::ForcedShutdown;
    return program.platform.requestSystemShutdown(force);
}

}  // namespace varnel
