// The executable's own path and the files beside it.
#include <algorithm>
#include <cstdint>
#include <string>

#include "common/Number.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

// Attributes a replaced file takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: long path
    }
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { close(); }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        const bool ok = !valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

bool writeAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// The new content goes to a file of its own first, flushed to disk, so that
// the rename below is the only moment the target changes.
bool writeTemporary(const std::wstring& path, const std::string& bytes) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a leftover of a crash
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.get(), bytes) && FlushFileBuffers(file.get()) &&
           file.close();
}

// Another program reading the target at this moment (a virus scanner, an
// editor) can refuse the replacement for a few milliseconds: try again briefly.
bool replaceWith(const std::wstring& temporary, const std::wstring& target) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (attempt == 20 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) {
            return false;
        }
        Sleep(50);
    }
}

// A mutex named after the file, the same in every copy of the program: kernel
// object names cannot hold backslashes and file names ignore case, so the name
// carries a hash of the upper-cased path.
std::wstring lockName(const std::wstring& path) {
    std::wstring upper = path;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t c : upper) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    std::wstring name = L"Local\\Varnel.file.";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += kHex[(hash >> shift) & 0xF];
    }
    return name;
}

}  // namespace

std::string Win32Platform::exeDirectory() {
    const std::wstring path = modulePath();
    const std::size_t slash = path.find_last_of(L'\\');
    return bytesFrom(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

std::string Win32Platform::exeFileName() {
    const std::wstring path = modulePath();
    const std::size_t slash = path.find_last_of(L'\\');
    return bytesFrom(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

bool Win32Platform::fileExists(const std::string& path) {
    return GetFileAttributesW(wideFrom(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::uint32_t> Win32Platform::fileAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wideFrom(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

bool Win32Platform::setFileAttributes(const std::string& path, std::uint32_t attributes) {
    return SetFileAttributesW(wideFrom(path).c_str(), attributes) != 0;
}

std::optional<std::string> Win32Platform::readFile(const std::string& path) {
    FileHandle file(CreateFileW(wideFrom(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size)) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            bytes.resize(done);  // the file shrank meanwhile
            break;
        }
        done += read;
    }
    return bytes;
}

bool Win32Platform::writeFile(const std::string& path, const std::string& bytes) {
    const std::wstring target = wideFrom(path);
    const DWORD old = GetFileAttributesW(target.c_str());
    if (old != INVALID_FILE_ATTRIBUTES &&
        (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    const std::wstring temporary = target + wideFrom("." + decimal(GetCurrentProcessId()) + ".tmp");
    bool ok = writeTemporary(temporary, bytes);
    if (ok && old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes)) {
        ok = SetFileAttributesW(temporary.c_str(), old & kKeptAttributes) != 0;
    }
    if (ok) {
        ok = replaceWith(temporary, target);
    }
    if (!ok) {
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temporary.c_str());
    }
    return ok;
}

void Win32Platform::lockFile(const std::string& path) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, lockName(wideFrom(path)).c_str());
    if (mutex == nullptr) {
        return;  // then write unguarded, as before there were two copies
    }
    // A copy that died holding it leaves it abandoned, which still hands it over. A copy
    // stuck while holding it must not freeze this one: go on after a while.
    const DWORD waited = WaitForSingleObject(mutex, 5000);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return;
    }
    fileLocks_[path] = mutex;
}

void Win32Platform::unlockFile(const std::string& path) {
    const auto lock = fileLocks_.find(path);
    if (lock == fileLocks_.end()) {
        return;
    }
    ReleaseMutex(lock->second);
    CloseHandle(lock->second);
    fileLocks_.erase(lock);
}

}  // namespace varnel
