#include "platform/win32/Text.h"

#include "platform/win32/Win32Platform.h"

namespace varnel {

std::wstring wideFrom(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), needed);
    return wide;
}

std::string bytesFrom(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string Win32Platform::gbkFromUtf8(const std::string& utf8) {
    return bytesFrom(wideFrom(utf8), kGbkCodePage);
}

std::string Win32Platform::utf8FromGbk(const std::string& gbk) {
    return bytesFrom(wideFrom(gbk, kGbkCodePage));
}

}  // namespace varnel
