#include "config_ui/StartWithWindows.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "config_ui/Restart.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine, kUser = RegistryRoot::CurrentUser;

// Windows compares paths in any letter case.
std::string folded(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts(1);
    for (const char c : folded(path)) {
        if (c == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// Whole components, so that "C:\Program Files Evil" is not inside "C:\Program
// Files"; nor is a path that climbs out again.
bool isInside(const std::string& path, const std::string& folder) {
    const std::vector<std::string> inner = components(path), outer = components(folder);
    return inner.size() >= outer.size() && std::equal(outer.begin(), outer.end(), inner.begin()) &&
           std::ranges::find(inner, "..") == inner.end();
}

// A value under HKEY_LOCAL_MACHINE runs at every user's logon: only a file that
// standard users cannot replace.
bool mayStartForEveryUser(Program& program) {
    const std::string folder = program.platform.exeDirectory();
    return std::ranges::any_of(program.platform.programFilesDirectories(),
                               [&](const std::string& p) { return isInside(folder, p); });
}

// Whether the root's Run value starts this very executable: quoted or not, in
// any letter case.
bool startsThisCopy(Program& program, RegistryRoot root) {
    const auto bare = [](std::string text) {
        std::erase(text, '"');
        return folded(text);
    };
    const auto value = program.platform.readRegistryString(root, keys::kRunKey, keys::kRunValue);
    return value && bare(*value) == bare(ownCommandLine(program));
}

void writeValue(Program& program, RegistryRoot root) {
    program.platform.writeRegistryString(root, keys::kRunKey, keys::kRunValue,
                                         ownCommandLine(program));
}

void deleteValue(Program& program, RegistryRoot root) {
    program.platform.deleteRegistryValue(root, keys::kRunKey, keys::kRunValue);
}

// Another copy's value is that copy's business.
void deleteIfThisCopy(Program& program, RegistryRoot root) {
    if (startsThisCopy(program, root)) {
        deleteValue(program, root);
    }
}

// Exactly one root names the program, or it would start twice at logon. A
// standard user may not write HKEY_LOCAL_MACHINE, nor delete a value there that
// an administrator's save left: that one starts this copy already.
void startThisCopy(Program& program) {
    if (mayStartForEveryUser(program)) {
        writeValue(program, kMachine);
    } else {
        deleteIfThisCopy(program, kMachine);
    }
    if (startsThisCopy(program, kMachine)) {
        deleteValue(program, kUser);  // whichever copy it names: the user chose this one
    } else {
        writeValue(program, kUser);
    }
}

}  // namespace

void setStartWithWindows(Program& program, bool on) {
    if (on) {
        startThisCopy(program);
    } else {
        deleteIfThisCopy(program, kMachine);
        deleteIfThisCopy(program, kUser);
    }
    // Read back: security software may refuse the Run key, or say yes and not do it.
    if ((startsThisCopy(program, kMachine) || startsThisCopy(program, kUser)) == on) {
        return;
    }
    program.platform.messageBox(program.configWizard,
                                on ? "设置已保存，但无法写入开机启动项，程序不会随Windows启动。\r\n"
                                     "可能被安全软件拦截，请允许后重新保存。"
                                   : "设置已保存，但无法删除开机启动项，程序仍会随Windows启动。",
                                on ? "开机自动运行未设置" : "开机自动运行未取消", kMbOkWarning);
}

}  // namespace varnel
