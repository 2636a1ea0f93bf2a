// Starts a window program the way a user would and measures it from outside,
// with the calls a Windows tool would use, in one line of JSON per stage:
//
//   launch_probe EXE IDLE_MS
//     {"visibleMs":..,"pid":..,"class":".."}   once its first top-level window is
//                                             visible (from CreateProcess, polled every ms)
//     {"workingSet":..,"privateUsage":..,...}  IDLE_MS later: GetProcessMemoryInfo
//   It then waits for a file "release" in the current directory (up to a minute),
//   so that the caller can read the process from outside at the same moment, and
//   ends the program.
//
// Exit status: 0 done, 1 usage, 2 the program did not start, 3 no visible window.
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kVisibleTimeoutMs = 60000;
constexpr DWORD kReleaseTimeoutMs = 60000;

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findVisible(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string utf8(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    std::string out;
    for (const char* c = buffer; *c; ++c) {
        if (*c == '"' || *c == '\\') {
            out += '\\';
        }
        out += *c;
    }
    return out;
}

double millisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: launch_probe EXE IDLE_MS\n", stderr);
        return 1;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    const DWORD idleMs = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("{\"error\":\"CreateProcess failed: %lu\"}\n", GetLastError());
        return 2;
    }

    Search search{process.dwProcessId, nullptr};
    while (!search.found && millisecondsSince(started) < kVisibleTimeoutMs) {
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            Sleep(1);
        }
    }
    const double visibleMs = millisecondsSince(started);
    if (!search.found) {
        TerminateProcess(process.hProcess, 1);
        std::printf("{\"error\":\"no visible window\"}\n");
        return 3;
    }
    wchar_t className[256] = {};
    GetClassNameW(search.found, className, 256);
    std::printf("{\"visibleMs\":%.1f,\"pid\":%lu,\"class\":\"%s\"}\n", visibleMs,
                process.dwProcessId, utf8(className).c_str());
    std::fflush(stdout);

    Sleep(idleMs);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        std::printf(
            "{\"workingSet\":%llu,\"peakWorkingSet\":%llu,\"privateUsage\":%llu,"
            "\"pagefileUsage\":%llu}\n",
            static_cast<unsigned long long>(memory.WorkingSetSize),
            static_cast<unsigned long long>(memory.PeakWorkingSetSize),
            static_cast<unsigned long long>(memory.PrivateUsage),
            static_cast<unsigned long long>(memory.PagefileUsage));
    } else {
        std::printf("{\"error\":\"GetProcessMemoryInfo failed: %lu\"}\n", GetLastError());
    }
    std::fflush(stdout);

    for (DWORD waited = 0; waited < kReleaseTimeoutMs; waited += 20) {
        if (GetFileAttributesW(L"release") != INVALID_FILE_ATTRIBUTES) {
            break;
        }
        Sleep(20);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
