// Icons from .ico files: the picture box's bytes and the tray's file.
#pragma once

#include <windows.h>

#include <string>

namespace varnel {

inline constexpr WORD kAppIconId = 1;  // the icon resource embedded in the program

// The image of an .ico file (read into memory) that suits the size best;
// null for empty or damaged bytes.
HICON iconFromFileBytes(const std::string& bytes, int width, int height);

// A small icon for the notification area: from the file, else the icon
// embedded in the program.
HICON loadTrayIcon(HINSTANCE instance, const std::wstring& path);

}  // namespace varnel
