// System-wide hotkeys, delivered as events of the control named at registration.
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

UINT modifierFlag(HotkeyModifier modifier) {
    switch (modifier) {
        case HotkeyModifier::Ctrl:
            return MOD_CONTROL;
        case HotkeyModifier::Alt:
            return MOD_ALT;
        case HotkeyModifier::Shift:
            return MOD_SHIFT;
    }
    return 0;
}

}  // namespace

int Win32Platform::registerHotkey(WindowId window, const std::string& target,
                                  HotkeyModifier modifier, unsigned virtualKey) {
    const WindowState* state = find(window);
    if (!state || state->gone) {
        return 0;
    }
    // The lowest free identifier: a window built again after its loss gets
    // back the identifiers of its predecessor when it registers in the same order.
    int id = 1;
    while (hotkeys_.count(id) != 0) {
        ++id;
    }
    if (!RegisterHotKey(state->hwnd, id, modifierFlag(modifier), virtualKey)) {
        return 0;  // taken by another program, or by an earlier registration
    }
    hotkeys_[id] = HotkeyTarget{window, target};
    return id;
}

void Win32Platform::unregisterHotkey(WindowId window, int id) {
    const WindowState* state = find(window);
    UnregisterHotKey(state ? state->hwnd : nullptr, id);
    hotkeys_.erase(id);
}

void Win32Platform::onHotkey(int id) {
    auto it = hotkeys_.find(id);
    WindowState* window = it != hotkeys_.end() ? find(it->second.window) : nullptr;
    if (window) {
        emit(*window, it->second.control, EventKind::Hotkey, id);
    }
}

}  // namespace varnel
