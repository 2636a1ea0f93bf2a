// What the Win32 layer remembers about each window it built and each control
// in it. Controls keep their table order; their index is also their control id.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace varnel {

class Win32Platform;

// Control ids start here so that no control answers to IDOK or IDCANCEL.
inline constexpr int kFirstControlId = 1000;

inline constexpr wchar_t kWindowClass[] = L"VarnelWindow";
inline constexpr wchar_t kCanvasClass[] = L"VarnelCanvas";      // shape boxes and pictures
inline constexpr wchar_t kListenerClass[] = L"VarnelListener";  // see WindowSpec::shellEvents

inline constexpr UINT kTrayMessage = WM_APP + 1;     // lParam = the mouse message
inline constexpr UINT kCloseUpMessage = WM_APP + 2;  // wParam = the drop-down list's index

struct ControlState {
    ControlSpec design;
    HWND hwnd = nullptr;
    int parent = -1;           // index of the container, -1 = the window itself
    bool visible = true;       // the control's own flag; a hidden container hides it too
    bool mouseInside = false;  // between the first WM_MOUSEMOVE and WM_MOUSELEAVE
    bool listOpen = false;     // drop-down open, until its close-up has been reported
    WPARAM keyDown = 0;        // Button: the key pressed on it and not yet released
    HICON picture = nullptr;   // Picture: owned here

    // A hidden or disabled control never takes the focus nor acts on a key.
    bool takesKeys() const { return visible && IsWindowEnabled(hwnd); }
};

struct WindowState {
    WindowState() = default;
    WindowState(const WindowState&) = delete;
    WindowState& operator=(const WindowState&) = delete;
    ~WindowState();

    Win32Platform* platform = nullptr;
    WindowId id = 0;
    HWND hwnd = nullptr;
    EventSink* sink = nullptr;
    WindowId owner = 0;
    bool caption = true;
    Color background = kDefaultColor;

    std::vector<ControlState> controls;
    std::map<std::string, int> controlByName;
    HWND tooltip = nullptr;
    HWND balloon = nullptr;     // a warning pointing at an edit box, while shown
    HWND savedFocus = nullptr;  // the focused control while the window is inactive

    std::map<std::string, UINT_PTR> timerIds;
    std::map<UINT_PTR, std::string> timerNames;

    bool building = true;          // no events until the window is complete
    bool closing = false;          // closed by the user or the program, not by the system
    bool gone = false;             // WM_DESTROY seen
    HWND disabledOwner = nullptr;  // runModal disabled it; enabled again before we vanish

    HWND listener = nullptr;  // the hidden top-level window of shellEvents; owns the tray icon
    bool trayWanted = false;  // added, or to be added once a taskbar exists
    HICON trayIcon = nullptr;
    std::wstring trayTip;

    ControlState* control(const std::string& name) {
        auto it = controlByName.find(name);
        return it == controlByName.end() ? nullptr : &controls[it->second];
    }
    int indexOf(HWND child) const {
        const int index = GetDlgCtrlID(child) - kFirstControlId;
        return index >= 0 && index < static_cast<int>(controls.size()) &&
                       controls[index].hwnd == child
                   ? index
                   : -1;
    }
};

}  // namespace varnel
