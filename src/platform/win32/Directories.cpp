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

namespace {

// FOLDERID_RoamingAppData, defined here: libuuid's copy comes with its whole
// table of GUIDs (about 32 KB).
constexpr GUID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};

// CoTaskMemFree, looked up only by the starts that need it, so that the others
// do not load ole32.
void freeTaskMemory(void* memory) {
    const HMODULE ole32 = LoadLibraryW(L"ole32.dll");
    const auto free = reinterpret_cast<void(WINAPI*)(void*)>(
        reinterpret_cast<void*>(GetProcAddress(ole32, "CoTaskMemFree")));
    if (free) {
        free(memory);
    }
}

}  // namespace

std::string Win32Platform::roamingAppDataDirectory() {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(kRoamingAppData, KF_FLAG_CREATE, nullptr, &path);
    const std::string directory = SUCCEEDED(result) ? bytesFrom(path) : std::string();
    if (path) {
        freeTaskMemory(path);
    }
    return directory;
}

bool Win32Platform::createDirectory(const std::string& path) {
    const std::wstring wide = wideFrom(path);
    CreateDirectoryW(wide.c_str(), nullptr);  // fails when it exists: looked at below
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace varnel
