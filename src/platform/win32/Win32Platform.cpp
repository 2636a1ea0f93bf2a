// Set-up and tear-down of the layer, the lookups every part uses, events to
// the sinks, and the shared GDI objects.
#include "platform/win32/Win32Platform.h"

#include <vector>

#include "platform/win32/Icons.h"
#include "platform/win32/Text.h"

namespace varnel {

WindowState::~WindowState() {
    for (ControlState& control : controls) {
        if (control.picture) {
            DestroyIcon(control.picture);
        }
    }
    if (trayIcon) {
        DestroyIcon(trayIcon);
    }
}

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {
    const HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    showAsked_ = RegisterWindowMessageW(L"Varnel.ShowAsked");

    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = windowProc;
    window.hInstance = instance;
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId));
    window.lpszClassName = kWindowClass;
    RegisterClassExW(&window);

    WNDCLASSEXW canvas{};
    canvas.cbSize = sizeof canvas;
    canvas.lpfnWndProc = canvasProc;
    canvas.hInstance = instance;
    canvas.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    canvas.lpszClassName = kCanvasClass;
    RegisterClassExW(&canvas);

    WNDCLASSEXW listener{};
    listener.cbSize = sizeof listener;
    listener.lpfnWndProc = listenerProc;
    listener.hInstance = instance;
    listener.lpszClassName = kListenerClass;
    RegisterClassExW(&listener);
}

Win32Platform::~Win32Platform() {
    shuttingDown_ = true;  // the sinks may be gone already
    std::vector<HWND> open;
    for (const auto& entry : windows_) {
        open.push_back(entry.second->hwnd);
    }
    for (HWND hwnd : open) {
        DestroyWindow(hwnd);
    }
    for (const auto& entry : fonts_) {
        DeleteObject(entry.second);
    }
    for (const auto& entry : brushes_) {
        DeleteObject(entry.second);
    }
    UnregisterClassW(kWindowClass, instance_);
    UnregisterClassW(kCanvasClass, instance_);
    UnregisterClassW(kListenerClass, instance_);
    if (claimed_) {
        ReleaseMutex(claim_);
    }
    for (const HANDLE handle : {claim_, handover_}) {
        if (handle) {
            CloseHandle(handle);
        }
    }
}

WindowState* Win32Platform::find(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

WindowState* Win32Platform::findByHwnd(HWND hwnd) {
    auto it = byHwnd_.find(hwnd);
    return it == byHwnd_.end() ? nullptr : it->second;
}

WindowState* Win32Platform::ownerOf(HWND hwnd) {
    for (HWND h = hwnd; h != nullptr; h = GetAncestor(h, GA_PARENT)) {
        if (WindowState* window = findByHwnd(h)) {
            return window;
        }
    }
    return nullptr;
}

ControlState* Win32Platform::findControl(WindowId window, const std::string& name) {
    WindowState* state = find(window);
    return state ? state->control(name) : nullptr;
}

ControlState* Win32Platform::controlOf(HWND hwnd, WindowState** window) {
    WindowState* state = findByHwnd(GetParent(hwnd));
    const int index = state ? state->indexOf(hwnd) : -1;
    if (index < 0) {
        return nullptr;
    }
    *window = state;
    return &state->controls[index];
}

void Win32Platform::emit(WindowState& window, const std::string& control, EventKind kind, int arg) {
    if (shuttingDown_ || window.building || (window.gone && kind != EventKind::Destroyed)) {
        return;
    }
    const Event event{window.id, control, kind, arg};
    window.sink->onEvent(event);
}

int Win32Platform::scale(int pixels) const {
    return MulDiv(pixels, dpi_, 96);
}

HFONT Win32Platform::font(const Font& font) {
    const FontKey key{font.face, font.pixelHeight, font.bold, font.underline};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) {
        return it->second;
    }
    const HFONT handle =
        CreateFontW(-scale(font.pixelHeight), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                    font.underline, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, wideFrom(font.face).c_str());
    fonts_[key] = handle;
    return handle;
}

HBRUSH Win32Platform::brush(Color color) {
    auto it = brushes_.find(color);
    if (it != brushes_.end()) {
        return it->second;
    }
    const HBRUSH handle = CreateSolidBrush(color);
    brushes_[color] = handle;
    return handle;
}

COLORREF Win32Platform::backgroundColor(const WindowState& window) const {
    return window.background == kDefaultColor ? GetSysColor(COLOR_BTNFACE) : window.background;
}

HBRUSH Win32Platform::backgroundBrush(const WindowState& window) {
    return window.background == kDefaultColor ? GetSysColorBrush(COLOR_BTNFACE)
                                              : brush(window.background);
}

}  // namespace varnel
