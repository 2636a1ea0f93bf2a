// System-wide hotkeys, delivered as events of the control named at registration.
#include "platform/win32/Win32Platform.h"

namespace varnel {

static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModNoRepeat == MOD_NOREPEAT);

namespace {

// After a refusal: Windows before 7 refuses MOD_NOREPEAT itself, so the binding is
// registered without it there. A combination already taken is refused either way.
bool retryWithoutNoRepeat(HWND hwnd, int id, unsigned modifiers, unsigned virtualKey) {
    return (modifiers & MOD_NOREPEAT) && GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED &&
           RegisterHotKey(hwnd, id, modifiers & ~MOD_NOREPEAT, virtualKey);
}

}  // namespace

int Win32Platform::registerHotkey(WindowId window, const std::string& target, unsigned modifiers,
                                  unsigned virtualKey) {
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
    if (!RegisterHotKey(state->hwnd, id, modifiers, virtualKey) &&
        !retryWithoutNoRepeat(state->hwnd, id, modifiers, virtualKey)) {
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
