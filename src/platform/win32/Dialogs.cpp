// Message boxes and popup menus.
#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

HMENU buildMenu(const std::vector<MenuItem>& items) {
    const HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : items) {
        const std::wstring text = wideFrom(item.text);
        if (!item.submenu.empty()) {
            AppendMenuW(menu, MF_STRING | MF_POPUP,
                        reinterpret_cast<UINT_PTR>(buildMenu(item.submenu)), text.c_str());
        } else if (item.text.empty()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), text.c_str());
        }
    }
    return menu;
}

}  // namespace

int Win32Platform::messageBox(WindowId owner, const std::string& text, const std::string& title,
                              unsigned style) {
    const WindowState* state = find(owner);
    const HWND hwnd = state && !state->gone ? state->hwnd : nullptr;
    return MessageBoxW(hwnd, wideFrom(text).c_str(), wideFrom(title).c_str(), style);
}

int Win32Platform::popupMenu(WindowId window, const std::vector<MenuItem>& items) {
    const WindowState* state = find(window);
    if (!state || state->gone) {
        return 0;
    }
    // The state may go while the menu is up. A window set into the desktop
    // cannot come to the front: its listener can.
    const HWND hwnd = state->listener ? state->listener : state->hwnd;
    const HMENU menu = buildMenu(items);
    POINT at;
    GetCursorPos(&at);
    // The menu closes on a click elsewhere only if its window is in front,
    // and only after the next message has reached that window.
    SetForegroundWindow(hwnd);
    const int command = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr));
    PostMessageW(hwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return command;
}

}  // namespace varnel
