// Stands in for the shell's desktop window, which Wine does not have: a
// top-level window of class "ProgMan" with one child, so a program can find
// it and sink a window into it. Prints both handles as JSON, then stays until
// its window is closed or the process is ended. With "announce" it then tells
// every top-level window that a new shell is up, as a restarted Explorer does.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ToolText.h"

namespace {

LRESULT CALLBACK fixtureProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.lpfnWndProc = fixtureProc;
    cls.hInstance = instance;
    cls.lpszClassName = L"ProgMan";
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    RegisterClassW(&cls);
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HWND desktop =
        CreateWindowExW(WS_EX_TOOLWINDOW, L"ProgMan", L"Program Manager", WS_POPUP | WS_VISIBLE, 0,
                        0, width, height, nullptr, nullptr, instance, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                                 desktop, nullptr, instance, nullptr);
    if (!desktop || !child) {
        return 1;
    }
    // The real desktop lies under every other window.
    SetWindowPos(desktop, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (argc > 1 && std::wstring(argv[1]) == L"announce") {
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
    tooltext::print("{\"progman\":" + std::to_string(reinterpret_cast<std::intptr_t>(desktop)) +
                    ",\"child\":" + std::to_string(reinterpret_cast<std::intptr_t>(child)) + "}\n");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
