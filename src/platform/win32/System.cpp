// Clock, screen, registry, processes and URLs.
#include <cwchar>
#include <vector>

#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

LocalTime Win32Platform::now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth,  t.wDay,    t.wDayOfWeek,
                     t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

Size Win32Platform::screenSize() {
    return Size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int Win32Platform::displayDpi() {
    return dpi_;
}

Rect Win32Platform::workArea() {
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        const Size screen = screenSize();
        return Rect{0, 0, screen.width, screen.height};
    }
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

namespace {

HKEY rootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

std::optional<std::string> Win32Platform::readRegistryString(RegistryRoot root,
                                                             const std::string& key,
                                                             const std::string& valueName) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(rootKey(root), wideFrom(key).c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring name = wideFrom(valueName);
    DWORD type = 0, size = 0;
    std::vector<wchar_t> data;
    LONG result = RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        data.resize(size / sizeof(wchar_t) + 1);  // the stored text may lack its terminator
        result = RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || data.empty()) {
        return std::nullopt;
    }
    data.resize(size / sizeof(wchar_t));
    return bytesFrom(std::wstring_view(data.data(), wcsnlen(data.data(), data.size())));
}

bool Win32Platform::writeRegistryString(RegistryRoot root, const std::string& key,
                                        const std::string& valueName, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(rootKey(root), wideFrom(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring data = wideFrom(value);
    const DWORD size = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LONG result = RegSetValueExW(handle, wideFrom(valueName).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()), size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool Win32Platform::deleteRegistryValue(RegistryRoot root, const std::string& key,
                                        const std::string& valueName) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(rootKey(root), wideFrom(key).c_str(), 0, KEY_SET_VALUE, &handle) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegDeleteValueW(handle, wideFrom(valueName).c_str());
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool Win32Platform::startProcess(const std::string& commandLine) {
    std::wstring line = wideFrom(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void Win32Platform::exitProcess(int exitCode) {
    ExitProcess(static_cast<UINT>(exitCode));
}

bool Win32Platform::openUrl(const std::string& url) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", wideFrom(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void Win32Platform::pause(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

}  // namespace varnel
