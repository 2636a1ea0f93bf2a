#include "settings/DataDirectory.h"

#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr const char* kProfileFolder = "\\Varnel";

}  // namespace

std::string chooseDataDirectory(Platform& platform) {
    const std::string exe = platform.exeDirectory();
    // Under Program Files a standard user cannot write, and with a manifest
    // Windows does not redirect the writes: they would all fail unseen.
    if (platform.canWriteIn(exe)) {
        return exe;
    }
    const std::string roaming = platform.roamingAppDataDirectory();
    if (roaming.empty()) {
        return exe;
    }
    const std::string profile = roaming + kProfileFolder;
    if (!platform.createDirectory(profile) || !platform.canWriteIn(profile)) {
        return exe;  // no better: there a prepared settings file can at least be read
    }
    // Settings prepared beside the executable (by whoever installed it) carry
    // over once; the user's own copy is never replaced.
    const std::string settings = profile + keys::kFileName;
    if (!platform.fileExists(settings)) {
        if (const auto prepared = platform.readFile(exe + keys::kFileName)) {
            platform.writeFile(settings, *prepared);
        }
    }
    return profile;
}

}  // namespace varnel
