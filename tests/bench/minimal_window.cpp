// The least a Win32 window program does: one class, one visible window, a
// message loop. Start-up time and memory of varnel.exe are read against it.
// Built a second time with VARNEL_SAME_DLLS, it also loads and initialises the
// system DLLs varnel.exe imports, so that what remains of the difference is
// varnel.exe's own start-up work.
#include <windows.h>
#ifdef VARNEL_SAME_DLLS
// after windows.h, which they need
#include <commctrl.h>
#include <shellapi.h>
#endif

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

#ifdef VARNEL_SAME_DLLS
// One harmless call into each DLL, as varnel.exe makes before its window shows;
// shell32's leaves the tray alone.
void useSameDlls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const HDC screen = GetDC(nullptr);
    GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    int count = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &count));
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
#ifdef VARNEL_SAME_DLLS
    useSameDlls();
#endif
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"MinimalWindow";
    if (!RegisterClassW(&windowClass)) {
        return 1;
    }
    HWND window =
        CreateWindowExW(0, L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 229, 152, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
