// Named timers of a window, kept as Windows timer ids on the window.
#include "platform/win32/Win32Platform.h"

namespace varnel {

void Win32Platform::setTimer(WindowId window, const std::string& timer, int periodMs) {
    WindowState* state = find(window);
    if (!state || state->gone) {
        return;
    }
    auto it = state->timerIds.find(timer);
    if (periodMs <= 0) {
        if (it != state->timerIds.end()) {
            KillTimer(state->hwnd, it->second);
        }
        return;
    }
    if (it == state->timerIds.end()) {
        const UINT_PTR id = state->timerIds.size() + 1;
        it = state->timerIds.emplace(timer, id).first;
        state->timerNames.emplace(id, timer);
    }
    // Setting a running timer again starts its period afresh.
    SetTimer(state->hwnd, it->second, static_cast<UINT>(periodMs), nullptr);
}

void Win32Platform::onTimer(WindowState& window, UINT_PTR id) {
    auto it = window.timerNames.find(id);
    if (it != window.timerNames.end()) {
        emit(window, it->second, EventKind::Timer);
    }
}

}  // namespace varnel
