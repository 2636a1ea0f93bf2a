// Where the program may keep its files: a write test, the user's roaming
// application-data folder and creating a folder there.
#include <shlobj.h>

#include <string>

#include "common/Number.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

bool Win32Platform::canWriteIn(const std::string& directory) {
    // A name of this process's own; the system removes the file when the handle
    // closes, also when the process dies meanwhile.
    const std::string base = directory + "\\varnel-write-test." + decimal(GetCurrentProcessId());
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::wstring path = wideFrom(base + "." + decimal(attempt) + ".tmp");
        const HANDLE file = CreateFileW(
            path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {  // else another file has that name
            return false;
        }
    }
    return false;
}

// SHGetKnownFolderPath(FOLDERID_RoamingAppData) names the same folder but would
// load ole32 at every start (for CoTaskMemFree) and put libuuid's GUID table
// (32 KB) into the executable, for a call only some starts make.
std::string Win32Platform::roamingAppDataDirectory() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    return bytesFrom(path);
}

bool Win32Platform::createDirectory(const std::string& path) {
    const std::wstring wide = wideFrom(path);
    CreateDirectoryW(wide.c_str(), nullptr);  // fails when it exists: looked at below
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace varnel
