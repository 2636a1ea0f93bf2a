// The notification-area icon of a window.
#include <cwchar>
#include <iterator>

#include "platform/win32/Icons.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

constexpr UINT kTrayIconId = 1;

NOTIFYICONDATAW trayData(const WindowState& window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V3_SIZE;  // understood from Windows XP on
    data.hWnd = window.listener ? window.listener : window.hwnd;
    data.uID = kTrayIconId;
    return data;
}

}  // namespace

bool Win32Platform::addTrayIcon(WindowId window, const std::string& iconPath,
                                const std::string& tooltip) {
    WindowState* state = find(window);
    if (!state || state->gone) {
        return false;
    }
    const HICON old = state->trayIcon;
    state->trayIcon = loadTrayIcon(instance_, wideFrom(iconPath));
    state->trayTip = wideFrom(tooltip);
    // An add that timed out may have gone through: then only a modify succeeds.
    const bool shown =
        (state->trayWanted && showTrayIcon(*state, NIM_MODIFY)) || showTrayIcon(*state, NIM_ADD);
    state->trayWanted = true;  // without a taskbar yet, "TaskbarCreated" adds it later
    if (old) {
        DestroyIcon(old);
    }
    return shown;
}

void Win32Platform::removeTrayIcon(WindowId window) {
    if (WindowState* state = find(window)) {
        hideTrayIcon(*state);
    }
}

bool Win32Platform::showTrayIcon(WindowState& window, DWORD action) {
    NOTIFYICONDATAW data = trayData(window);
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = window.trayIcon;
    wcsncpy(data.szTip, window.trayTip.c_str(), std::size(data.szTip) - 1);
    return Shell_NotifyIconW(action, &data) != FALSE;
}

void Win32Platform::hideTrayIcon(WindowState& window) {
    if (!window.trayWanted) {
        return;
    }
    NOTIFYICONDATAW data = trayData(window);
    Shell_NotifyIconW(NIM_DELETE, &data);
    window.trayWanted = false;
}

// Only the button releases count, so that one click toggles exactly once and
// the press of a double click adds nothing.
void Win32Platform::onTrayMessage(WindowState& window, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP) {
        emit(window, "", EventKind::TrayNotify, kTrayLeftClick);
    } else if (mouseMessage == WM_RBUTTONUP) {
        emit(window, "", EventKind::TrayNotify, kTrayRightClick);
    }
}

}  // namespace varnel
