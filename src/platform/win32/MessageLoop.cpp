// The message loops: the program's, the nested one of a modal window, and a
// quick drain. Keys that no control handles on its own are handled here.
#include "platform/win32/Win32Platform.h"

namespace varnel {

void Win32Platform::runEventLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        dispatch(msg);
    }
}

void Win32Platform::runModal(WindowId window) {
    WindowState* state = find(window);
    if (!state || state->gone) {
        return;
    }
    const WindowState* owner = find(state->owner);
    const HWND ownerHwnd = owner ? owner->hwnd : nullptr;
    if (ownerHwnd && IsWindowEnabled(ownerHwnd)) {
        EnableWindow(ownerHwnd, FALSE);
        state->disabledOwner = ownerHwnd;
    }
    if (!IsWindowVisible(state->hwnd)) {
        ShowWindow(state->hwnd, SW_SHOW);
    }
    SetForegroundWindow(state->hwnd);

    MSG msg;
    while (windowExists(window)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if (got < 0) {
            break;
        }
        dispatch(msg);
    }

    if (WindowState* still = find(window); still && still->disabledOwner) {
        EnableWindow(still->disabledOwner, TRUE);  // left early, by WM_QUIT
        still->disabledOwner = nullptr;
    }
    if (ownerHwnd && IsWindow(ownerHwnd) && IsWindowVisible(ownerHwnd)) {
        SetActiveWindow(ownerHwnd);
    }
}

void Win32Platform::processPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

void Win32Platform::dispatch(MSG& msg) {
    if (!preTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Alt with a key is reported to the window and swallowed, so Windows does not
// beep for a menu the window does not have; Alt+F4 and Alt+Space keep their
// system meaning. Tab and Shift+Tab move the focus; Enter and the arrows are
// left to the control, so a focused button sees them as plain keys.
bool Win32Platform::preTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
        return false;
    }
    WindowState* window = ownerOf(msg.hwnd);
    if (!window) {
        return false;
    }
    const auto key = static_cast<unsigned>(msg.wParam);
    if (msg.message == WM_SYSKEYDOWN) {
        const bool withAlt = (msg.lParam & (LPARAM{1} << 29)) != 0;
        if (!withAlt || key == VK_MENU) {
            return false;
        }
        const bool systemKey = key == VK_F4 || key == VK_SPACE;
        emit(*window, "", EventKind::AltKey, static_cast<int>(key));
        return !systemKey;
    }
    if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        moveFocus(*window, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    return false;
}

void Win32Platform::moveFocus(WindowState& window, bool backwards) {
    HWND focus = GetFocus();
    while (focus && GetParent(focus) != window.hwnd) {
        focus = GetParent(focus);
    }
    const int count = static_cast<int>(window.controls.size());
    const int current = focus ? window.indexOf(focus) : -1;
    int i = current >= 0 ? current : backwards ? 0 : count - 1;
    for (int step = 0; step < count; ++step) {
        i = (i + (backwards ? count - 1 : 1)) % count;
        const ControlState& control = window.controls[i];
        if ((GetWindowLongW(control.hwnd, GWL_STYLE) & WS_TABSTOP) &&
            IsWindowVisible(control.hwnd) && IsWindowEnabled(control.hwnd)) {
            const HWND next = control.hwnd;
            if (control.design.kind == ControlKind::Edit) {
                SendMessageW(next, EM_SETSEL, 0, -1);
            }
            SetFocus(next);  // an edit box reports FocusGained
            return;
        }
    }
}

}  // namespace varnel
