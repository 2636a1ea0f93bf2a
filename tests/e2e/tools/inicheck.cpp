// inicheck ENTRY...: each "section|key", or "section|key=value" to write, for the end-to-end
// cross-check of SettingsFile against Windows' GetPrivateProfileStringA and
// WritePrivateProfileStringA. From start.ini beside itself (or no file), the entries are written by
// us and, from the same start, by Windows; then on the starting file, on ours and on Windows' it
// prints each entry as we read it and as Windows does, every value followed by '\x1f'.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "common/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "settings/SettingsFile.h"

namespace {

varnel::Win32Platform platform{GetModuleHandleW(nullptr)};
varnel::SettingsFile settings{platform};

std::string gbk(const std::string& utf8) {
    return platform.gbkFromUtf8(utf8);
}

// Puts the file in place (or removes it). Windows caches profile files and trusts their write
// time, which a quick rewrite may leave unchanged: the cache is dropped first, and every version
// gets a time of its own, 2001 plus a second per version.
void put(const std::optional<std::string>& bytes) {
    static unsigned long long versions = 0;
    const std::string path = gbk(settings.path());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    DeleteFileA(path.c_str());
    if (bytes) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
        const unsigned long long time = (12'622'780'800ULL + ++versions) * 10'000'000;
        const FILETIME stamp{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
        SetFileTime(file, nullptr, nullptr, &stamp);
        CloseHandle(file);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    struct Entry {
        std::string section, key, value;
        bool written;
    };
    std::vector<Entry> entries;
    for (int i = 1; i < argc; ++i) {
        const std::string text = varnel::utf8FromUtf16le(
            {reinterpret_cast<const char*>(argv[i]), std::wcslen(argv[i]) * sizeof(wchar_t)});
        const size_t bar = text.find('|'), is = text.find('=', bar);
        entries.push_back({text.substr(0, bar), text.substr(bar + 1, is - bar - 1),
                           is == std::string::npos ? "" : text.substr(is + 1),
                           is != std::string::npos});
    }
    const std::string file = settings.path(), path = gbk(file);
    std::optional<std::string> files[3] = {
        platform.readFile(file.substr(0, file.rfind('\\')) + "\\start.ini")};
    for (int writer : {1, 2}) {
        put(files[0]);
        for (const Entry& e : entries) {
            if (e.written && writer == 1) {
                settings.writeSetting(e.section, e.key, e.value);
            } else if (e.written) {
                WritePrivateProfileStringA(gbk(e.section).c_str(), gbk(e.key).c_str(),
                                           gbk(e.value).c_str(), path.c_str());
            }
        }
        files[writer] = platform.readFile(file);
    }
    for (const auto& bytes : files) {
        put(bytes);
        for (const Entry& e : entries) {
            char windows[4096] = {};
            GetPrivateProfileStringA(gbk(e.section).c_str(), gbk(e.key).c_str(), "@missing@",
                                     windows, sizeof windows, path.c_str());
            std::printf("%s\x1f%s\x1f", settings.readSetting(e.section, e.key, "@missing@").c_str(),
                        platform.utf8FromGbk(windows).c_str());
        }
    }
    return 0;
}
