// Stands in for the shell's desktop window, which Wine does not have: a "ProgMan" window with one
// child, to set a window into; prints both handles as JSON and stays. With "announce" it first
// tells every top-level window that a new shell is up, as a restarted Explorer does.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"ProgMan";
    RegisterClassW(&cls);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND desktop =
        CreateWindowExW(WS_EX_TOOLWINDOW, L"ProgMan", L"Program Manager", WS_POPUP | WS_VISIBLE, 0,
                        0, width, height, nullptr, nullptr, cls.hInstance, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                                 desktop, nullptr, cls.hInstance, nullptr);
    // The real desktop lies under every other window.
    SetWindowPos(desktop, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (argc > 1 && std::wcscmp(argv[1], L"announce") == 0) {
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
    std::printf("{\"progman\":%lld,\"child\":%lld}\n",
                static_cast<long long>(reinterpret_cast<INT_PTR>(desktop)),
                static_cast<long long>(reinterpret_cast<INT_PTR>(child)));
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
