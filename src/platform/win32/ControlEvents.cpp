// What the controls tell their window, turned into events; their colours; the
// drawn controls. Every handler reports last: the sink may destroy the window.
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr COLORREF kFrameColor = RGB(0, 0, 0);

}  // namespace

void Win32Platform::onCommand(WindowState& window, HWND hwnd, int code) {
    const int index = window.indexOf(hwnd);
    if (index < 0) {
        return;
    }
    ControlState& control = window.controls[index];
    const std::string& name = control.design.name;
    switch (control.design.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:  // an auto check box has flipped already
            if (code == BN_CLICKED) {
                emit(window, name, EventKind::Clicked);
            }
            break;
        case ControlKind::Hyperlink:
            if (code == STN_CLICKED) {
                emit(window, name, EventKind::Clicked);
            }
            break;
        case ControlKind::Label:
            if (code == STN_DBLCLK) {
                emit(window, name, EventKind::DoubleClicked);
            }
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE) {
                hideOwnBalloon(window);
                emit(window, name, EventKind::Changed);
            } else if (code == EN_SETFOCUS) {
                emit(window, name, EventKind::FocusGained);
            }
            break;
        case ControlKind::DropDownList:
            if (code == CBN_DROPDOWN) {
                control.listOpen = true;
                emit(window, name, EventKind::DropDownOpened);
            } else if (code == CBN_CLOSEUP) {
                // The selection the user picked may arrive after the close-up
                // (Wine: after it; Windows: either way), so report it later.
                PostMessageW(window.hwnd, kCloseUpMessage, static_cast<WPARAM>(index), 0);
            } else if (code == CBN_SELCHANGE && !control.listOpen) {
                emit(window, name, EventKind::SelectionChanged,
                     static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)));
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                emit(window, name, EventKind::SelectionChanged,
                     static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0)));
            }
            break;
        default:
            break;
    }
}

void Win32Platform::onCloseUp(WindowState& window, int index) {
    if (index < 0 || index >= static_cast<int>(window.controls.size()) ||
        !window.controls[index].listOpen) {
        return;
    }
    ControlState& control = window.controls[index];
    control.listOpen = false;
    emit(window, control.design.name, EventKind::DropDownClosed,
         static_cast<int>(SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0)));
}

LRESULT Win32Platform::onNotify(WindowState& window, const NMHDR& header) {
    const int index = window.indexOf(header.hwndFrom);
    if (index < 0) {
        return 0;
    }
    const ControlState& control = window.controls[index];
    const UINT code = header.code;
    if (control.design.kind == ControlKind::Spin && code == UDN_DELTAPOS) {
        const int delta = reinterpret_cast<const NMUPDOWN&>(header).iDelta;
        if (delta != 0) {
            emit(window, control.design.name, EventKind::Spin, delta > 0 ? 1 : -1);
        }
        return TRUE;  // keep the position: the arrows only report
    }
    if (control.design.kind == ControlKind::Tab && code == TCN_SELCHANGE) {
        applyVisibility(window);
        emit(window, control.design.name, EventKind::PageChanged,
             static_cast<int>(SendMessageW(control.hwnd, TCM_GETCURSEL, 0, 0)));
    }
    return 0;
}

LRESULT Win32Platform::onControlColor(WindowState& window, UINT message, HDC dc, HWND hwnd) {
    const int index = window.indexOf(hwnd);
    const LRESULT system = DefWindowProcW(window.hwnd, message, reinterpret_cast<WPARAM>(dc),
                                          reinterpret_cast<LPARAM>(hwnd));
    if (index < 0) {
        return system;
    }
    const ControlSpec& design = window.controls[index].design;
    switch (design.kind) {
        case ControlKind::Label:
        case ControlKind::Hyperlink:
        case ControlKind::CheckBox:
        case ControlKind::GroupBox: {
            // Text on the window: its background unless the table says otherwise.
            const COLORREF text = design.textColor != kDefaultColor ? design.textColor
                                  : design.kind == ControlKind::Hyperlink
                                      ? kLinkColor
                                      : GetSysColor(COLOR_WINDOWTEXT);
            SetTextColor(dc, text);
            if (design.backColor != kDefaultColor) {
                SetBkColor(dc, design.backColor);
                return reinterpret_cast<LRESULT>(brush(design.backColor));
            }
            SetBkColor(dc, backgroundColor(window));
            return reinterpret_cast<LRESULT>(backgroundBrush(window));
        }
        case ControlKind::Button:  // only the corners around the face
            return reinterpret_cast<LRESULT>(backgroundBrush(window));
        case ControlKind::Edit:
        case ControlKind::DropDownList:
        case ControlKind::ListBox:  // white boxes unless the table colours them
            if (design.textColor != kDefaultColor) {
                SetTextColor(dc, design.textColor);
            }
            if (design.backColor != kDefaultColor) {
                SetBkColor(dc, design.backColor);
                return reinterpret_cast<LRESULT>(brush(design.backColor));
            }
            return system;
        default:
            return system;
    }
}

LRESULT CALLBACK Win32Platform::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR platform) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, controlProc, 0);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return reinterpret_cast<Win32Platform*>(platform)->controlMessage(hwnd, message, wParam,
                                                                      lParam);
}

LRESULT Win32Platform::controlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowState* window = nullptr;
    ControlState* control = controlOf(hwnd, &window);
    if (!control) {
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    const ControlKind kind = control->design.kind;
    if ((message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) &&
        !control->takesKeys()) {
        return 0;  // a hidden button would click on Space and report Enter
    }
    switch (message) {
        case WM_MOUSEMOVE: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            if (!control->mouseInside) {
                control->mouseInside = true;
                TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&leave);
                emit(*window, control->design.name, EventKind::MouseOver);
            }
            return result;
        }
        case WM_MOUSELEAVE:
            control->mouseInside = false;
            break;
        case WM_KEYDOWN:
            if (kind == ControlKind::Button) {
                control->keyDown = wParam;
            }
            break;
        case WM_KEYUP:
            if (kind == ControlKind::Button) {
                // Only a key pressed here counts: the Enter that picked a menu
                // item and opened this window must not act on its button.
                const bool pressedHere = control->keyDown == wParam;
                control->keyDown = 0;
                // Space clicks the button in here, and the click may close the window.
                const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
                if (pressedHere && (control = controlOf(hwnd, &window)) != nullptr) {
                    emit(*window, control->design.name, EventKind::KeyUp, static_cast<int>(wParam));
                }
                return result;
            }
            break;
        case WM_CHAR:
            if (kind == ControlKind::Edit && (wParam == L'\r' || wParam == 0x1B)) {
                return 0;  // a one-line edit box beeps at Enter and Escape
            }
            break;
        case WM_SETCURSOR:
            if (kind == ControlKind::Hyperlink) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            // A group box paints only its frame, and the window does not
            // paint under its controls.
            if (kind == ControlKind::GroupBox) {
                RECT area;
                GetClientRect(hwnd, &area);
                const Color back = control->design.backColor;
                FillRect(reinterpret_cast<HDC>(wParam), &area,
                         back != kDefaultColor ? brush(back) : backgroundBrush(*window));
                return 1;
            }
            break;
        case WM_PAINT:
            if (kind == ControlKind::Tab) {
                const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
                paintTabPage(*window, *control);
                return result;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The pages take the colour of the controls on them (the window's unless the
// table gives one); the tab headers keep the system's look.
void Win32Platform::paintTabPage(WindowState& window, const ControlState& tab) {
    RECT page;
    GetClientRect(tab.hwnd, &page);
    SendMessageW(tab.hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    const HDC dc = GetDC(tab.hwnd);
    const Color back = tab.design.backColor;
    FillRect(dc, &page, back != kDefaultColor ? brush(back) : backgroundBrush(window));
    ReleaseDC(tab.hwnd, dc);
}

LRESULT CALLBACK Win32Platform::canvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            auto* owner =
                reinterpret_cast<WindowState*>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA));
            WindowState* window = nullptr;
            const ControlState* control =
                owner ? owner->platform->controlOf(hwnd, &window) : nullptr;
            PAINTSTRUCT paint;
            const HDC dc =
                message == WM_PAINT ? BeginPaint(hwnd, &paint) : reinterpret_cast<HDC>(wParam);
            if (control) {
                owner->platform->paintCanvas(*window, *control, dc);
            }
            if (message == WM_PAINT) {
                EndPaint(hwnd, &paint);
            }
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// A shape box is a filled rectangle with a one-pixel frame (fill: the back
// colour, else the window's background; frame: the text colour, else black).
// A picture shows its icon stretched over the control.
void Win32Platform::paintCanvas(WindowState& window, const ControlState& control, HDC dc) {
    RECT area;
    GetClientRect(control.hwnd, &area);
    const Color back = control.design.backColor;
    FillRect(dc, &area, back != kDefaultColor ? brush(back) : backgroundBrush(window));
    if (control.design.kind == ControlKind::ShapeBox) {
        const Color frame = control.design.textColor;
        FrameRect(dc, &area, brush(frame != kDefaultColor ? frame : kFrameColor));
    } else if (control.picture) {
        DrawIconEx(dc, 0, 0, control.picture, area.right, area.bottom, 0, nullptr, DI_NORMAL);
    }
}

}  // namespace varnel
