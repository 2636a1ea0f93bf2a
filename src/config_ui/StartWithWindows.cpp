#include "config_ui/StartWithWindows.h"

#include <algorithm>
#include <cctype>

#include "config_ui/Restart.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

std::string withoutQuotes(const std::string& text) {
    std::string bare = text;
    std::erase(bare, '"');
    return bare;
}

// Whether a Run value starts this very executable: quoted or not, and in any
// letter case, as Windows compares paths.
bool namesThisProgram(Program& program, const std::optional<std::string>& value) {
    const auto folded = [](std::string text) {
        std::ranges::transform(text, text.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    return value && folded(withoutQuotes(*value)) == folded(withoutQuotes(ownCommandLine(program)));
}

}  // namespace

void setStartWithWindows(Program& program, bool on) {
    Platform& platform = program.platform;
    const RegistryRoot machine = RegistryRoot::LocalMachine, user = RegistryRoot::CurrentUser;
    if (!on) {
        platform.deleteRegistryValue(machine, keys::kRunKey, keys::kRunValue);
        platform.deleteRegistryValue(user, keys::kRunKey, keys::kRunValue);
        return;
    }
    // Exactly one root names the program, or it would start twice at logon. A
    // standard user may not write HKEY_LOCAL_MACHINE, nor delete a value there
    // that an administrator's save left.
    const std::string commandLine = ownCommandLine(program);
    const bool forEveryUser =
        platform.writeRegistryString(machine, keys::kRunKey, keys::kRunValue, commandLine) ||
        namesThisProgram(program,
                         platform.readRegistryString(machine, keys::kRunKey, keys::kRunValue));
    if (forEveryUser) {
        platform.deleteRegistryValue(user, keys::kRunKey, keys::kRunValue);
    } else {
        platform.writeRegistryString(user, keys::kRunKey, keys::kRunValue, commandLine);
    }
}

}  // namespace varnel
