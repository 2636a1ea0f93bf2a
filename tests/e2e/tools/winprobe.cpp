// Reads and works the windows of other programs in the same Wine prefix, as a user would, for
// the end-to-end scenarios. Prints JSON; exit status 0 when done.
//   winprobe list                       every top-level window with its control tree
//   winprobe settext HWND TEXT          WM_SETTEXT: the control reports the change
//   winprobe post HWND MSG WPARAM LPARAM
//   winprobe keys KEY [MS] KEY...       presses through SendInput (ctrl+F11, Down, Return, space),
//                                       with pauses timed here, not by starting programs
//   winprobe display WIDTH HEIGHT       changes the screen's size (ChangeDisplaySettingsEx)
//   winprobe workarea L T R B           sets the work area and tells every window
//   winprobe hold PATH                  opens the file sharing nothing, as some editors and
//                                       backup programs do, prints true and stays
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// A JSON string, every character escaped: no conversion, whatever the console's code page.
std::string quoted(const std::wstring& text) {
    std::string out = "\"";
    for (wchar_t c : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        out += escaped;
    }
    return out + "\"";
}

std::string describe(HWND window) {
    auto number = [](HWND handle) {
        return static_cast<long long>(reinterpret_cast<INT_PTR>(handle));
    };
    RECT r{};
    GetWindowRect(window, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[256] = {}, text[1024] = {};
    const size_t clsLength = GetClassNameW(window, cls, 256);
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        3000, &length);
    char numbers[512];
    std::snprintf(numbers, sizeof numbers,
                  "{\"handle\":%lld,\"pid\":%lu,\"owner\":%lld,\"parent\":%lld,\"id\":%d,"
                  "\"rect\":[%ld,%ld,%ld,%ld],\"exstyle\":%lu,\"visible\":%d,\"enabled\":%d,"
                  "\"foreground\":%d,",
                  number(window), pid, number(GetWindow(window, GW_OWNER)),
                  number(GetAncestor(window, GA_PARENT)), GetDlgCtrlID(window), r.left, r.top,
                  r.right - r.left, r.bottom - r.top, GetWindowLongW(window, GWL_EXSTYLE),
                  IsWindowVisible(window) != 0, IsWindowEnabled(window) != 0,
                  GetForegroundWindow() == window);
    std::string out = numbers + ("\"cls\":" + quoted({cls, clsLength})) +
                      ",\"text\":" + quoted({text, length}) + ",\"children\":[";
    // The next child is read once: one created meanwhile would otherwise come in
    // without its comma.
    for (HWND child = GetWindow(window, GW_CHILD), next; child; child = next) {
        next = GetWindow(child, GW_HWNDNEXT);
        out += describe(child) + (next ? "," : "");
    }
    return out + "]}";
}

BOOL CALLBACK collect(HWND window, LPARAM found) {
    auto& windows = *reinterpret_cast<std::string*>(found);
    windows += (windows.empty() ? "" : ",\n") + describe(window);
    return TRUE;
}

// "ctrl+F11", "Down": the modifier down, the key down and up, the modifier up; each key goes
// into the middle as a press and a release.
bool press(const std::wstring& keys) {
    std::vector<INPUT> inputs;
    for (size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = keys.find(L'+', start);
        const std::wstring name = keys.substr(start, end - start);
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = name == L"ctrl"     ? VK_CONTROL
                       : name == L"Down"   ? VK_DOWN
                       : name == L"Return" ? VK_RETURN
                       : name == L"space"  ? VK_SPACE
                                           : VK_F1 + _wtoi(name.c_str() + 1) - 1;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(input.ki.wVk, MAPVK_VK_TO_VSC));
        inputs.insert(inputs.begin() + inputs.size() / 2, 2, input);
        inputs[inputs.size() / 2].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    auto arg = [&](int i) { return static_cast<INT_PTR>(_wcstoi64(argv[i], nullptr, 0)); };
    HWND window = argc > 3 ? reinterpret_cast<HWND>(arg(2)) : nullptr;
    bool done = command == L"keys";
    if (command == L"list") {
        std::string windows;
        EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
        std::printf("[%s]\n", windows.c_str());
        return 0;
    }
    for (int i = 2; done && i < argc; ++i) {
        done =
            iswdigit(argv[i][0]) ? SleepEx(static_cast<DWORD>(arg(i)), FALSE) == 0 : press(argv[i]);
    }
    if (command == L"hold" && argc == 3) {
        if (CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr) == INVALID_HANDLE_VALUE) {
            return 1;
        }
        std::puts("true");
        std::fflush(stdout);
        Sleep(INFINITE);
    }
    if (command == L"settext" && argc == 4) {
        done = SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]),
                                   SMTO_ABORTIFHUNG, 3000, nullptr) != 0;
    } else if (command == L"post" && argc == 6) {
        done = PostMessageW(window, static_cast<UINT>(arg(3)), arg(4), arg(5));
    } else if (command == L"display" && argc == 4) {
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = static_cast<DWORD>(arg(2));
        mode.dmPelsHeight = static_cast<DWORD>(arg(3));
        done =
            ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
    } else if (command == L"workarea" && argc == 6) {
        RECT area{static_cast<LONG>(arg(2)), static_cast<LONG>(arg(3)), static_cast<LONG>(arg(4)),
                  static_cast<LONG>(arg(5))};
        done = SystemParametersInfoW(SPI_SETWORKAREA, 0, &area,
                                     SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != FALSE;
    }
    std::puts(done ? "true" : "false");
    return done ? 0 : 1;
}
