// Page 3: the four hotkeys. A choice that makes two groups equal is refused
// with a message and the list goes back to what it showed before.
#include <algorithm>
#include <array>
#include <optional>

#include "common/Number.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"
#include "core/Program.h"
#include "core/Texts.h"

namespace varnel::wizard {

namespace {

constexpr int kGroups = 4;
constexpr std::array<const char*, 3> kModifierNames = {"Ctrl", "Alt", "Shift"};

struct ListPlace {
    int group;  // 0-based
    HotkeyList list;
};

const char* listName(const ListPlace& at) {
    return kHotkeyCombos[at.group][static_cast<int>(at.list)];
}

std::optional<ListPlace> findList(std::string_view control) {
    for (int g = 0; g < kGroups; ++g) {
        for (HotkeyList list : {HotkeyList::Modifier, HotkeyList::FunctionKey}) {
            if (control == listName({g, list})) {
                return ListPlace{g, list};
            }
        }
    }
    return std::nullopt;
}

std::string listText(Program& program, const ListPlace& at) {
    return program.platform.text(program.configWizard, listName(at));
}

std::string& remembered(Program& program, const ListPlace& at) {
    return program.hotkeyListTexts[at.group][static_cast<int>(at.list)];
}

bool sameBinding(Program& program, int a, int b) {
    return listText(program, {a, HotkeyList::Modifier}) ==
               listText(program, {b, HotkeyList::Modifier}) &&
           listText(program, {a, HotkeyList::FunctionKey}) ==
               listText(program, {b, HotkeyList::FunctionKey});
}

// previousHotkeyText holds what the list showed before the change.
void checkChangedList(Program& program, const ListPlace& at) {
    for (int other = 0; other < kGroups; ++other) {
        if (other != at.group && sameBinding(program, at.group, other)) {
            checkHotkeyConflict(program, at.group + 1, at.list);
            break;
        }
    }
    remembered(program, at) = listText(program, at);
}

void onListOpened(Program& program, const Event& event) {
    program.previousHotkeyText = listText(program, *findList(event.control));
}

void onListClosed(Program& program, const Event& event) {
    checkChangedList(program, *findList(event.control));
}

// Arrow keys on a closed list change it without opening it: the same check,
// against the text the list showed before.
void onListSelectionChanged(Program& program, const Event& event) {
    const ListPlace at = *findList(event.control);
    program.previousHotkeyText = remembered(program, at);
    checkChangedList(program, at);
}

constexpr auto kRoutes = [] {
    std::array<Route, kGroups * 2 * 3> routes{};
    std::size_t i = 0;
    for (const auto& group : kHotkeyCombos) {
        for (const char* list : group) {
            routes[i++] = {list, EventKind::DropDownOpened, onListOpened};
            routes[i++] = {list, EventKind::DropDownClosed, onListClosed};
            routes[i++] = {list, EventKind::SelectionChanged, onListSelectionChanged};
        }
    }
    return routes;
}();

}  // namespace

void checkHotkeyConflict(Program& program, int group, HotkeyList list) {
    Platform& platform = program.platform;
    const bool modifier = list == HotkeyList::Modifier;
    platform.messageBox(
        program.configWizard,
        modifier ? "热键设置不能相同，请更正！(002)" : "热键设置不能相同，请更正！(001)",
        kUntitledCaption, kMbOk);
    const char* control = listName({group - 1, list});
    const std::string& previous = program.previousHotkeyText;
    if (modifier) {
        const auto it = std::find(kModifierNames.begin(), kModifierNames.end(), previous);
        if (it != kModifierNames.end()) {
            platform.setSelection(program.configWizard, control,
                                  static_cast<int>(it - kModifierNames.begin()));
        }
    } else {
        // "F10" -> 10 -> position 9; a text without a number selects nothing.
        const int n =
            textToInt(std::string_view(previous).substr(std::min<std::size_t>(1, previous.size())));
        platform.setSelection(program.configWizard, control, n - 1);
    }
}

void rememberHotkeyLists(Program& program) {
    for (int g = 0; g < kGroups; ++g) {
        for (HotkeyList list : {HotkeyList::Modifier, HotkeyList::FunctionKey}) {
            remembered(program, {g, list}) = listText(program, {g, list});
        }
    }
}

std::span<const Route> hotkeyPageRoutes() {
    return kRoutes;
}

}  // namespace varnel::wizard
