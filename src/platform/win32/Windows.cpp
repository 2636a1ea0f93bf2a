// Top-level windows: creation from the table, their life, and the routing of
// their messages to the handlers of each concern.
#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

constexpr DWORD kCaptionStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

}  // namespace

WindowId Win32Platform::createWindow(const WindowSpec& design, EventSink& sink, WindowId owner) {
    auto state = std::make_unique<WindowState>();
    state->platform = this;
    state->id = nextWindow_++;
    state->sink = &sink;
    state->owner = owner;
    state->caption = design.caption;
    state->background = design.background;
    for (const ControlSpec& control : design.controls) {
        state->controlByName.emplace(control.name, static_cast<int>(state->controls.size()));
        state->controls.push_back(ControlState{control});
        state->controls.back().visible = control.visible;
    }

    const DWORD style = (design.caption ? kCaptionStyle : WS_POPUP) | WS_CLIPCHILDREN;
    // A window with a caption keeps its taskbar button although it has an owner.
    const DWORD exStyle = design.toolWindow ? WS_EX_TOOLWINDOW
                          : design.caption  ? WS_EX_APPWINDOW
                                            : 0;
    RECT frame{0, 0, scale(design.rect.width), scale(design.rect.height)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    // An owner set into another window (the desktop) would hand the ownership
    // to that window's top level, another program's; then the owner stays ours
    // only for runModal.
    const WindowState* ownerState = find(owner);
    const HWND ownerHwnd =
        ownerState && GetAncestor(ownerState->hwnd, GA_PARENT) == GetDesktopWindow()
            ? ownerState->hwnd
            : nullptr;

    WindowState& window = *state;
    const WindowId id = window.id;
    windows_[id] = std::move(state);
    // WM_NCCREATE links the handle and the state (windowProc).
    if (!CreateWindowExW(exStyle, kWindowClass, wideFrom(design.title).c_str(), style,
                         scale(design.rect.left), scale(design.rect.top), frame.right - frame.left,
                         frame.bottom - frame.top, ownerHwnd, nullptr, instance_, &window)) {
        windows_.erase(id);
        return 0;
    }
    buildControls(window);
    if (design.shellEvents) {
        createListener(window);
    }
    window.building = false;
    return id;
}

void Win32Platform::destroyWindow(WindowId window) {
    WindowState* state = find(window);
    if (state && !state->gone) {
        closeWindow(*state);
    }
}

bool Win32Platform::windowExists(WindowId window) {
    const WindowState* state = find(window);
    return state && !state->gone;
}

void Win32Platform::bringToFront(WindowId window) {
    const WindowState* state = find(window);
    if (!state) {
        return;
    }
    if (IsIconic(state->hwnd)) {
        ShowWindow(state->hwnd, SW_RESTORE);
    } else if (!IsWindowVisible(state->hwnd)) {
        ShowWindow(state->hwnd, SW_SHOW);
    }
    SetForegroundWindow(state->hwnd);
    BringWindowToTop(state->hwnd);
}

void Win32Platform::showForAttention(WindowId window) {
    const WindowState* state = find(window);
    if (!state || state->gone) {
        return;
    }
    // Windows would refuse a background program the foreground anyway; above
    // all others it is seen, and the keys still go where the user types.
    SetWindowPos(state->hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FLASHWINFO flash{};
    flash.cbSize = sizeof flash;
    flash.hwnd = state->hwnd;
    flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;  // until it comes to the foreground
    FlashWindowEx(&flash);
}

void Win32Platform::endTopmost(WindowId window) {
    const WindowState* state = find(window);
    if (state && !state->gone && (GetWindowLongW(state->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        SetWindowPos(state->hwnd, HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32Platform::setWindowVisible(WindowId window, bool visible) {
    const WindowState* state = find(window);
    if (!state) {
        return;
    }
    // A window with a caption is one to work in, so it comes up active; the
    // captionless clock only appears.
    const int show = !visible ? SW_HIDE : state->caption ? SW_SHOW : SW_SHOWNA;
    ShowWindow(state->hwnd, show);
}

bool Win32Platform::windowVisible(WindowId window) {
    const WindowState* state = find(window);
    return state && (GetWindowLongW(state->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

Rect Win32Platform::windowRect(WindowId window) {
    const WindowState* state = find(window);
    RECT r{};
    if (state) {
        GetWindowRect(state->hwnd, &r);
    }
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Platform::moveWindow(WindowId window, int left, int top) {
    const WindowState* state = find(window);
    if (!state) {
        return;
    }
    POINT position{left, top};
    // Once set into another window (the desktop), positions count from its client area.
    const HWND parent = GetAncestor(state->hwnd, GA_PARENT);
    if (parent && parent != GetDesktopWindow()) {
        ScreenToClient(parent, &position);
    }
    SetWindowPos(state->hwnd, nullptr, position.x, position.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32Platform::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* state =
            static_cast<WindowState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        state->hwnd = hwnd;
        state->platform->byHwnd_[hwnd] = state;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    }
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!state) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        if (!state->gone) {
            // Taken down from outside without WM_DESTROY: Wine does so when the
            // process of a parent window (the desktop's) ends.
            state->platform->onDestroy(*state);
        }
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        state->platform->forget(*state);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return state->platform->windowMessage(*state, message, wParam, lParam);
}

LRESULT Win32Platform::windowMessage(WindowState& window, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
    const HWND hwnd = window.hwnd;
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) {
                onCommand(window, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
                return 0;
            }
            break;
        case WM_NOTIFY:
            return onNotify(window, *reinterpret_cast<const NMHDR*>(lParam));
        case kCloseUpMessage:
            onCloseUp(window, static_cast<int>(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return onControlColor(window, message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, backgroundBrush(window));
            return 1;
        }
        case WM_TIMER:
            onTimer(window, wParam);
            return 0;
        case WM_HOTKEY:
            onHotkey(static_cast<int>(wParam));
            return 0;
        case kTrayMessage:  // the icon of a window without a listener
            onTrayMessage(window, lParam);
            return 0;
        case WM_ACTIVATE:
            if (onActivate(window, LOWORD(wParam) != WA_INACTIVE)) {
                return 0;
            }
            break;
        case WM_CLOSE:
            emit(window, "", EventKind::CloseAsked);
            if (!window.gone) {
                closeWindow(window);
            }
            return 0;
        case WM_DESTROY:
            onDestroy(window);
            return 0;
        case WM_ENDSESSION:
            // Windows is going down: what it destroys now must stay destroyed.
            shuttingDown_ = shuttingDown_ || wParam != FALSE;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Broadcasts reach top-level windows only, and a window set into the desktop
// is none: a hidden top-level window hears them for it.
void Win32Platform::createListener(WindowState& window) {
    window.listener = CreateWindowExW(WS_EX_TOOLWINDOW, kListenerClass, L"", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, instance_, nullptr);
    SetWindowLongPtrW(window.listener, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&window));
}

LRESULT CALLBACK Win32Platform::listenerProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* window = reinterpret_cast<WindowState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return window ? window->platform->listenerMessage(*window, message, wParam, lParam)
                  : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Platform::listenerMessage(WindowState& window, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    if (message == kTrayMessage) {
        onTrayMessage(window, lParam);
        return 0;
    }
    if (message == WM_DISPLAYCHANGE || (message == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA)) {
        emit(window, "", EventKind::ScreenChanged);
        return 0;
    }
    if (message == WM_CLOSE) {  // asked from outside: it is the window's own close
        PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == showAsked_) {
        emit(window, "", EventKind::ShowAsked);
        return 0;
    }
    if (message == taskbarCreated_) {
        if (window.trayWanted) {
            showTrayIcon(window, NIM_ADD);  // Explorer restarted: its new taskbar is empty
        }
        emit(window, "", EventKind::ShellRestarted);
        return 0;
    }
    return DefWindowProcW(window.listener, message, wParam, lParam);
}

// Windows gives the focus to the window itself on activation; a control that
// had it before the window lost the activation should get it back.
bool Win32Platform::onActivate(WindowState& window, bool active) {
    if (!active) {
        hideOwnBalloon(window);
        const HWND focus = GetFocus();
        if (focus && IsChild(window.hwnd, focus)) {
            window.savedFocus = focus;
        }
        return false;
    }
    if (window.savedFocus && IsWindow(window.savedFocus) &&
        IsChild(window.hwnd, window.savedFocus) && IsWindowVisible(window.savedFocus) &&
        IsWindowEnabled(window.savedFocus)) {
        SetFocus(window.savedFocus);
        return true;
    }
    return false;
}

void Win32Platform::closeWindow(WindowState& window) {
    window.closing = true;
    // The owner of a modal window must be enabled before the window goes, or
    // Windows activates some other program's window instead.
    if (window.disabledOwner) {
        EnableWindow(window.disabledOwner, TRUE);
        window.disabledOwner = nullptr;
    }
    DestroyWindow(window.hwnd);
}

void Win32Platform::onDestroy(WindowState& window) {
    window.gone = true;
    if (window.disabledOwner) {  // destroyed along with its owner or by the system
        EnableWindow(window.disabledOwner, TRUE);
        window.disabledOwner = nullptr;
    }
    hideTrayIcon(window);
    if (window.listener) {
        SetWindowLongPtrW(window.listener, GWLP_USERDATA, 0);
        DestroyWindow(window.listener);
        window.listener = nullptr;
    }
    for (auto it = hotkeys_.begin(); it != hotkeys_.end();) {
        if (it->second.window == window.id) {
            UnregisterHotKey(window.hwnd, it->first);
            it = hotkeys_.erase(it);
        } else {
            ++it;
        }
    }
    emit(window, "", EventKind::Destroyed, window.closing ? kClosed : kDestroyedUnasked);
}

void Win32Platform::forget(WindowState& window) {
    // A window built while this one went down may have been given its handle.
    if (auto it = byHwnd_.find(window.hwnd); it != byHwnd_.end() && it->second == &window) {
        byHwnd_.erase(it);
    }
    windows_.erase(window.id);
}

}  // namespace varnel
