// UTF-8 inside the program, UTF-16 at the Windows edge, GBK in files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace varnel {

inline constexpr UINT kGbkCodePage = 936;

std::wstring wideFrom(std::string_view bytes, UINT codePage = CP_UTF8);
std::string bytesFrom(std::wstring_view wide, UINT codePage = CP_UTF8);

// The whole caption or content of a window or control.
std::wstring windowText(HWND hwnd);

}  // namespace varnel
