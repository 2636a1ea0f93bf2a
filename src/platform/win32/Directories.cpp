// Folders: where the program may keep its files (a write test, the user's
// roaming application-data folder and creating a folder there) and the Program
// Files folders, which standard users cannot change.
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

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

// The FOLDERIDs, defined here: libuuid's copy comes with its whole table of
// GUIDs (about 32 KB).
constexpr GUID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
// This process's own kind: the x86 folder in a 32-bit process on 64-bit Windows.
constexpr GUID kProgramFiles = {
    0x905E63B6, 0xC1BF, 0x494E, {0xB2, 0x9C, 0x65, 0xB7, 0x32, 0xD3, 0xD2, 0x1A}};
constexpr GUID kProgramFilesX86 = {
    0x7C5A40EF, 0xA0FB, 0x4BFC, {0x87, 0x4A, 0xC0, 0xF2, 0xE0, 0xB9, 0xFA, 0x8E}};
// Refused to a 32-bit process, which then cannot name the 64-bit folder.
constexpr GUID kProgramFilesX64 = {
    0x6D809377, 0x6AF0, 0x444B, {0x89, 0x57, 0xA3, 0x77, 0x3F, 0x02, 0x20, 0x0E}};

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

// "" when the system has no such folder or will not name it.
std::string knownFolder(const GUID& folder, DWORD flags) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(folder, flags, nullptr, &path);
    const std::string directory = SUCCEEDED(result) ? bytesFrom(path) : std::string();
    if (path) {
        freeTaskMemory(path);
    }
    return directory;
}

}  // namespace

std::string Win32Platform::roamingAppDataDirectory() {
    return knownFolder(kRoamingAppData, KF_FLAG_CREATE);
}

std::vector<std::string> Win32Platform::programFilesDirectories() {
    std::vector<std::string> folders;
    for (const GUID* folder : {&kProgramFiles, &kProgramFilesX86, &kProgramFilesX64}) {
        if (std::string path = knownFolder(*folder, 0); !path.empty()) {
            folders.push_back(std::move(path));
        }
    }
    return folders;
}

bool Win32Platform::createDirectory(const std::string& path) {
    const std::wstring wide = wideFrom(path);
    CreateDirectoryW(wide.c_str(), nullptr);  // fails when it exists: looked at below
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace varnel
