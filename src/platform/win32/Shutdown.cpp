// Asking Windows to turn the computer off and to stay awake until then; the warning sound.
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

// An ordinary user holds the shutdown right but it is disabled until asked for.
void enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
}

}  // namespace

bool Win32Platform::requestSystemShutdown(bool force) {
    enableShutdownPrivilege();  // without it ExitWindowsEx fails and says why
    // Power off rather than stop at "safe to turn off"; a planned reason keeps
    // the event log from calling it unexpected. ExitWindowsEx returns at once.
    const UINT flags = EWX_SHUTDOWN | EWX_POWEROFF | (force ? EWX_FORCE : 0);
    const DWORD reason =
        SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
    return ExitWindowsEx(flags, reason) != 0;
}

void Win32Platform::keepSystemAwake(bool on) {
    SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

void Win32Platform::playWarningSound() {
    MessageBeep(MB_ICONWARNING);
}

}  // namespace varnel
