#include "platform/win32/Icons.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace varnel {

namespace {

constexpr std::size_t kFileHeader = 6;   // reserved, type, count
constexpr std::size_t kFileEntry = 16;   // ICONDIRENTRY of a file
constexpr std::size_t kGroupEntry = 14;  // GRPICONDIRENTRY of a resource
constexpr DWORD kIconFormat = 0x00030000;

std::uint32_t little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

}  // namespace

HICON iconFromFileBytes(const std::string& bytes, int width, int height) {
    if (bytes.size() < kFileHeader || little(bytes, 0, 2) != 0 || little(bytes, 2, 2) != 1) {
        return nullptr;
    }
    const std::size_t count = little(bytes, 4, 2);
    if (count == 0 || bytes.size() < kFileHeader + count * kFileEntry) {
        return nullptr;
    }
    // Windows picks the best image from a resource directory; a file's
    // directory differs only in its last field (offset instead of an id).
    std::vector<BYTE> group(kFileHeader + count * kGroupEntry);
    std::copy(bytes.begin(), bytes.begin() + kFileHeader, group.begin());
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t from = kFileHeader + i * kFileEntry;
        const std::size_t to = kFileHeader + i * kGroupEntry;
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                  bytes.begin() + static_cast<std::ptrdiff_t>(from + 12), group.begin() + to);
        const WORD id = static_cast<WORD>(i + 1);
        group[to + 12] = static_cast<BYTE>(id & 0xFF);
        group[to + 13] = static_cast<BYTE>(id >> 8);
    }
    const int id = LookupIconIdFromDirectoryEx(group.data(), TRUE, width, height, LR_DEFAULTCOLOR);
    if (id < 1 || static_cast<std::size_t>(id) > count) {
        return nullptr;
    }
    const std::size_t entry = kFileHeader + static_cast<std::size_t>(id - 1) * kFileEntry;
    const std::size_t size = little(bytes, entry + 8, 4);
    const std::size_t offset = little(bytes, entry + 12, 4);
    if (offset > bytes.size() || size > bytes.size() - offset) {
        return nullptr;
    }
    auto* image = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data() + offset));
    return CreateIconFromResourceEx(image, static_cast<DWORD>(size), TRUE, kIconFormat, width,
                                    height, LR_DEFAULTCOLOR);
}

HICON loadTrayIcon(HINSTANCE instance, const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSMICON);
    const int height = GetSystemMetrics(SM_CYSMICON);
    if (auto icon = static_cast<HICON>(
            LoadImageW(nullptr, path.c_str(), IMAGE_ICON, width, height, LR_LOADFROMFILE))) {
        return icon;
    }
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, width, height, 0));
}

}  // namespace varnel
