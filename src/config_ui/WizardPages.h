// Inside the configuration window: the event routes of each page and the
// operations the pages share with the window.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace varnel {

struct Program;

namespace wizard {

using Handler = void (*)(Program&, const Event&);

// One handler per control event. An empty control name matches the event
// wherever in the window it arises.
struct Route {
    std::string_view control;
    EventKind kind;
    Handler handler;
};

std::span<const Route> navigationRoutes();
std::span<const Route> timePageRoutes();
std::span<const Route> optionsPageRoutes();
std::span<const Route> hotkeyPageRoutes();
std::span<const Route> infoPageRoutes();

enum class HotkeyList { Modifier = 0, FunctionKey = 1 };

// Time page.
void validateShutdownTime(Program& program);

// Hotkey page. `group` counts from 1.
void checkHotkeyConflict(Program& program, int group, HotkeyList list);
// Notes what every list shows, for changes made with a list closed.
void rememberHotkeyLists(Program& program);

// Options page: the state "程序启动后立刻关机" takes when the window is created.
void enableShutdownAtStartBox(Program& program);

// Texts of the information pages.
std::string welcomeText();
std::string versionText();

}  // namespace wizard
}  // namespace varnel
