// Turns a control table into real controls, and reads and writes their state.
// Every control is a direct child of the top-level window, so all
// notifications come to one place; containers only shift their contents.
#include <algorithm>
#include <numeric>
#include <tuple>

#include "platform/win32/Icons.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

// The spin control never moves: it only reports the direction of each press.
constexpr int kSpinRange = 100;
constexpr int kMaxNesting = 16;  // a table whose containers loop is cut off here
constexpr int kMaxDroppedItems = 12;

bool isContainer(ControlKind kind) {
    return kind == ControlKind::GroupBox || kind == ControlKind::ShapeBox ||
           kind == ControlKind::Tab;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass controlClass(const ControlSpec& design) {
    switch (design.kind) {
        case ControlKind::Label:
        case ControlKind::Hyperlink:
            return {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0};
        case ControlKind::Edit:
            return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::CheckBox:
            return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case ControlKind::DropDownList:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::Spin:
            return {UPDOWN_CLASSW, design.horizontal ? DWORD{UDS_HORZ} : 0, 0};
        case ControlKind::Tab:
            return {WC_TABCONTROLW, WS_TABSTOP, 0};
        case ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::GroupBox:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::ShapeBox:
        case ControlKind::Picture:
            return {kCanvasClass, 0, 0};
        case ControlKind::ListBox:
            return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

void addItems(HWND hwnd, UINT message, const std::vector<std::string>& items) {
    for (const std::string& item : items) {
        SendMessageW(hwnd, message, 0, reinterpret_cast<LPARAM>(wideFrom(item).c_str()));
    }
}

void addPages(HWND tab, const std::vector<std::string>& captions) {
    for (std::size_t i = 0; i < captions.size(); ++i) {
        std::wstring caption = wideFrom(captions[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

int depth(const WindowState& window, int index) {
    int levels = 0;
    for (int p = window.controls[index].parent; p >= 0 && levels < kMaxNesting;
         p = window.controls[p].parent) {
        ++levels;
    }
    return levels;
}

// A control that is hidden or disabled hands the keys back to its window.
void dropFocus(WindowState& window, HWND control) {
    if (window.savedFocus == control) {
        window.savedFocus = nullptr;
    }
    if (GetFocus() == control) {
        SetFocus(window.hwnd);
    }
}

}  // namespace

void Win32Platform::buildControls(WindowState& window) {
    for (ControlState& control : window.controls) {
        auto it = window.controlByName.find(control.design.parent);
        const bool known = !control.design.parent.empty() && it != window.controlByName.end();
        control.parent = known && &window.controls[it->second] != &control ? it->second : -1;
    }
    for (int i = 0; i < static_cast<int>(window.controls.size()); ++i) {
        window.controls[i].hwnd = createControl(window, i);
    }
    layoutControls(window);
    stackControls(window);
    applyVisibility(window);
}

HWND Win32Platform::createControl(WindowState& window, int index) {
    const ControlSpec& design = window.controls[index].design;
    const ControlClass cls = controlClass(design);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | cls.style | (design.enabled ? 0 : WS_DISABLED);
    const HWND hwnd = CreateWindowExW(
        cls.exStyle, cls.name, wideFrom(design.text).c_str(), style, 0, 0, 0, 0, window.hwnd,
        reinterpret_cast<HMENU>(INT_PTR{kFirstControlId + index}), instance_, nullptr);
    if (!hwnd) {
        return nullptr;
    }
    Font look = design.font;
    look.underline = look.underline || design.kind == ControlKind::Hyperlink;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(look)), FALSE);

    switch (design.kind) {
        case ControlKind::Edit:
            if (design.maxLength > 0) {
                SendMessageW(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(design.maxLength), 0);
            }
            break;
        case ControlKind::DropDownList:
            addItems(hwnd, CB_ADDSTRING, design.items);
            break;
        case ControlKind::ListBox:
            addItems(hwnd, LB_ADDSTRING, design.items);
            break;
        case ControlKind::Tab:
            addPages(hwnd, design.items);
            break;
        case ControlKind::Spin:
            SendMessageW(hwnd, UDM_SETRANGE32, static_cast<WPARAM>(-kSpinRange), kSpinRange);
            SendMessageW(hwnd, UDM_SETPOS32, 0, 0);
            break;
        case ControlKind::Button:
            if (!design.hint.empty()) {
                addTooltip(window, hwnd, design.hint);
            }
            break;
        default:
            break;
    }
    if (design.kind != ControlKind::ShapeBox && design.kind != ControlKind::Picture) {
        SetWindowSubclass(hwnd, controlProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    return hwnd;
}

void Win32Platform::addTooltip(WindowState& window, HWND control, const std::string& hint) {
    if (!window.tooltip) {
        window.tooltip =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, window.hwnd, nullptr, instance_, nullptr);
        SendMessageW(window.tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(font(Font{})), FALSE);
    }
    std::wstring text = wideFrom(hint);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the control
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(window.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

POINT Win32Platform::origin(const WindowState& window, int index, int nesting) const {
    const int p = window.controls[index].parent;
    if (p < 0 || nesting >= kMaxNesting) {
        return POINT{0, 0};
    }
    const ControlState& parent = window.controls[p];
    POINT at = origin(window, p, nesting + 1);
    // Tab pages count from the tab control's own corner, headers included, as
    // the pages were laid out; their contents already start below the headers.
    at.x += scale(parent.design.rect.left);
    at.y += scale(parent.design.rect.top);
    return at;
}

void Win32Platform::layoutControls(WindowState& window) {
    for (int i = 0; i < static_cast<int>(window.controls.size()); ++i) {
        const ControlState& control = window.controls[i];
        const Rect& r = control.design.rect;
        const POINT at = origin(window, i);
        int height = scale(r.height);
        if (control.design.kind == ControlKind::DropDownList) {
            // A combo box's height includes its dropped-down list.
            const int shown =
                std::clamp(static_cast<int>(control.design.items.size()), 1, kMaxDroppedItems);
            const auto item = SendMessageW(control.hwnd, CB_GETITEMHEIGHT, 0, 0);
            height += shown * static_cast<int>(item) + 2;
        }
        MoveWindow(control.hwnd, at.x + scale(r.left), at.y + scale(r.top), scale(r.width), height,
                   FALSE);
    }
}

// Overlapping siblings paint in z-order. Containers go underneath everything
// else, an inner one above the one holding it; of the other controls, those
// on the window come above those inside a container, as if nested. At the
// same level a later row of the table lies on top, as in a form designer.
void Win32Platform::stackControls(WindowState& window) {
    std::vector<int> order(window.controls.size());
    std::iota(order.begin(), order.end(), 0);
    const auto rank = [&](int i) {
        const bool container = isContainer(window.controls[i].design.kind);
        const int levels = depth(window, i);
        return std::make_tuple(container ? 1 : 0, container ? -levels : levels, -i);
    };
    std::sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
    for (int i : order) {
        SetWindowPos(window.controls[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

bool Win32Platform::shownByTable(const WindowState& window, int index, int nesting) const {
    const ControlState& control = window.controls[index];
    const int p = control.parent;
    if (!control.visible) {
        return false;
    }
    if (p < 0 || nesting >= kMaxNesting) {
        return true;
    }
    const ControlState& parent = window.controls[p];
    if (parent.design.kind == ControlKind::Tab && control.design.page >= 0 &&
        control.design.page != static_cast<int>(SendMessageW(parent.hwnd, TCM_GETCURSEL, 0, 0))) {
        return false;
    }
    return shownByTable(window, p, nesting + 1);
}

void Win32Platform::applyVisibility(WindowState& window) {
    for (int i = 0; i < static_cast<int>(window.controls.size()); ++i) {
        const HWND hwnd = window.controls[i].hwnd;
        const bool show = shownByTable(window, i);
        if (show == ((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0)) {
            continue;
        }
        if (!show && GetFocus() == hwnd) {
            SetFocus(window.hwnd);  // keys must not go to a control nobody sees
        }
        ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
    }
}

void Win32Platform::setText(WindowId window, const std::string& control, const std::string& text) {
    if (const ControlState* c = findControl(window, control)) {
        SetWindowTextW(c->hwnd, wideFrom(text).c_str());  // an edit box reports EN_CHANGE
    }
}

std::string Win32Platform::text(WindowId window, const std::string& control) {
    const ControlState* c = findControl(window, control);
    return c ? bytesFrom(windowText(c->hwnd)) : std::string();
}

void Win32Platform::setVisible(WindowId window, const std::string& control, bool visible) {
    WindowState* state = find(window);
    ControlState* c = state ? state->control(control) : nullptr;
    if (c) {
        c->visible = visible;
        applyVisibility(*state);
        if (!visible) {
            dropFocus(*state, c->hwnd);
        }
    }
}

bool Win32Platform::visible(WindowId window, const std::string& control) {
    const ControlState* c = findControl(window, control);
    return c && c->visible;
}

void Win32Platform::setEnabled(WindowId window, const std::string& control, bool enabled) {
    WindowState* state = find(window);
    if (const ControlState* c = state ? state->control(control) : nullptr) {
        EnableWindow(c->hwnd, enabled);
        if (!enabled) {
            dropFocus(*state, c->hwnd);
        }
    }
}

bool Win32Platform::enabled(WindowId window, const std::string& control) {
    const ControlState* c = findControl(window, control);
    return c && IsWindowEnabled(c->hwnd);
}

void Win32Platform::setChecked(WindowId window, const std::string& control, bool checked) {
    if (const ControlState* c = findControl(window, control)) {
        SendMessageW(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool Win32Platform::checked(WindowId window, const std::string& control) {
    const ControlState* c = findControl(window, control);
    return c && SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Platform::setSelection(WindowId window, const std::string& control, int index) {
    WindowState* state = find(window);
    ControlState* c = state ? state->control(control) : nullptr;
    if (!c) {
        return;
    }
    const bool inRange = index >= 0 && index < static_cast<int>(c->design.items.size());
    const WPARAM item = static_cast<WPARAM>(inRange ? index : -1);
    switch (c->design.kind) {
        case ControlKind::DropDownList:
            SendMessageW(c->hwnd, CB_SETCURSEL, item, 0);
            break;
        case ControlKind::ListBox:
            SendMessageW(c->hwnd, LB_SETCURSEL, item, 0);
            break;
        case ControlKind::Tab:
            SendMessageW(c->hwnd, TCM_SETCURSEL, item, 0);
            applyVisibility(*state);
            if (inRange) {
                emit(*state, c->design.name, EventKind::PageChanged, index);
            }
            break;
        default:
            break;
    }
}

int Win32Platform::selection(WindowId window, const std::string& control) {
    const ControlState* c = findControl(window, control);
    if (!c) {
        return -1;
    }
    switch (c->design.kind) {
        case ControlKind::DropDownList:
            return static_cast<int>(SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0));
        case ControlKind::ListBox:
            return static_cast<int>(SendMessageW(c->hwnd, LB_GETCURSEL, 0, 0));
        case ControlKind::Tab:
            return static_cast<int>(SendMessageW(c->hwnd, TCM_GETCURSEL, 0, 0));
        default:
            return -1;
    }
}

void Win32Platform::setFocus(WindowId window, const std::string& control) {
    WindowState* state = find(window);
    const ControlState* c = findControl(window, control);
    if (!state || !c || !c->takesKeys()) {
        return;
    }
    if (GetActiveWindow() == state->hwnd) {
        SetFocus(c->hwnd);  // an edit box reports EN_SETFOCUS
    } else {
        // SetFocus would activate the window and take the keys from whatever
        // the user is typing in; the activation hands the focus on (onActivate).
        state->savedFocus = c->hwnd;
    }
}

void Win32Platform::selectAllText(WindowId window, const std::string& control) {
    if (const ControlState* c = findControl(window, control)) {
        SendMessageW(c->hwnd, EM_SETSEL, 0, -1);
    }
}

void Win32Platform::showWarningBalloon(WindowId window, const std::string& control,
                                       const std::string& title, const std::string& text) {
    const ControlState* c = findControl(window, control);
    if (!c) {
        return;
    }
    const std::wstring wideTitle = wideFrom(title), wideText = wideFrom(text);
    EDITBALLOONTIP balloon{};
    balloon.cbStruct = sizeof balloon;
    balloon.pszTitle = wideTitle.c_str();
    balloon.pszText = wideText.c_str();
    balloon.ttiIcon = TTI_WARNING;
    if (!SendMessageW(c->hwnd, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&balloon))) {
        showOwnBalloon(*find(window), c->hwnd, wideTitle, wideText);
    }
}

// Where the edit box has no balloon of its own (Wine): a tracking balloon
// tooltip under the box, until the text changes or the window is left.
void Win32Platform::showOwnBalloon(WindowState& window, HWND edit, const std::wstring& title,
                                   std::wstring text) {
    hideOwnBalloon(window);
    window.balloon =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window.hwnd, nullptr, instance_, nullptr);
    SendMessageW(window.balloon, WM_SETFONT, reinterpret_cast<WPARAM>(font(Font{})), FALSE);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = window.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = text.data();
    SendMessageW(window.balloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(window.balloon, TTM_SETTITLEW, TTI_WARNING,
                 reinterpret_cast<LPARAM>(title.c_str()));
    RECT box;
    GetWindowRect(edit, &box);
    SendMessageW(window.balloon, TTM_TRACKPOSITION, 0,
                 MAKELPARAM((box.left + box.right) / 2, box.bottom));
    SendMessageW(window.balloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void Win32Platform::hideOwnBalloon(WindowState& window) {
    if (window.balloon) {
        DestroyWindow(window.balloon);
        window.balloon = nullptr;
    }
}

std::string Win32Platform::focusedControl(WindowId window) {
    WindowState* state = find(window);
    if (!state) {
        return {};
    }
    HWND focus = GetFocus();
    if (!focus || !IsChild(state->hwnd, focus)) {
        focus = state->savedFocus;  // the window is not active
    }
    while (focus && GetParent(focus) != state->hwnd) {
        focus = GetParent(focus);
    }
    const int index = focus ? state->indexOf(focus) : -1;
    return index >= 0 ? state->controls[index].design.name : std::string();
}

void Win32Platform::setPicture(WindowId window, const std::string& control,
                               const std::string& iconBytes) {
    ControlState* c = findControl(window, control);
    if (!c) {
        return;
    }
    if (c->picture) {
        DestroyIcon(c->picture);
    }
    c->picture =
        iconFromFileBytes(iconBytes, scale(c->design.rect.width), scale(c->design.rect.height));
    InvalidateRect(c->hwnd, nullptr, TRUE);
}

}  // namespace varnel
