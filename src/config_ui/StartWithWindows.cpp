#include "config_ui/StartWithWindows.h"

#include "config_ui/Restart.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

void setStartWithWindows(Program& program, bool on) {
    Platform& platform = program.platform;
    if (on) {
        // A standard user may not write HKEY_LOCAL_MACHINE.
        const std::string commandLine = ownCommandLine(program);
        if (!platform.writeRegistryString(RegistryRoot::LocalMachine, keys::kRunKey,
                                          keys::kRunValue, commandLine)) {
            platform.writeRegistryString(RegistryRoot::CurrentUser, keys::kRunKey, keys::kRunValue,
                                         commandLine);
        }
        return;
    }
    platform.deleteRegistryValue(RegistryRoot::LocalMachine, keys::kRunKey, keys::kRunValue);
    platform.deleteRegistryValue(RegistryRoot::CurrentUser, keys::kRunKey, keys::kRunValue);
}

}  // namespace varnel
