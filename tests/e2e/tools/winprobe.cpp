// Looks at and works the windows of other processes in the same Wine prefix,
// the way a user would, and reports as UTF-8 JSON on stdout.
//
//   winprobe list [--exe NAME] [--title TEXT] [--class NAME]
//   winprobe click HWND                 BM_CLICK (posted: a handler may open a modal box)
//   winprobe settext HWND TEXT          WM_SETTEXT (the control reports its change)
//   winprobe select HWND INDEX [--dropdown]   combo selection, as by keyboard or by the list
//   winprobe tab HWND INDEX             TCM_SETCURFOCUS (the control reports the page change)
//   winprobe post HWND MSG WPARAM LPARAM
//   winprobe key HWND VK                WM_KEYDOWN and WM_KEYUP posted to one control
//   winprobe type HWND TEXT             an edit box's text selected, then TEXT typed (WM_CHAR)
//   winprobe mouse HWND X Y click|double   left button at client point (X, Y), posted
//   winprobe sync EDIT                  waits until the edit box's thread has handled
//                                        everything posted before; prints {"synced":true}
//   winprobe hotkey MOD+KEY             e.g. ctrl+F11, through SendInput
//   winprobe keys KEY...                several presses in turn, e.g. Down Right Return
//   winprobe presses MOD+KEY [MS MOD+KEY]...   hotkeys with pauses of MS milliseconds
//   winprobe hold MOD+KEY               registers that hotkey itself and keeps it
//                                        until ended; prints {"held":true|false}
//   winprobe msgbox [--exe NAME] yes|no|ok|cancel|none
//   winprobe attrs PATH                 GetFileAttributesW
//
// Exit status: 0 done, 1 usage, 2 no such window, 3 nothing matched.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "ToolText.h"

using tooltext::quoted;

namespace {

constexpr UINT kSendTimeoutMs = 3000;

std::string number(std::intptr_t value) {
    return std::to_string(value);
}
std::string handleText(HWND window) {
    return number(reinterpret_cast<std::intptr_t>(window));
}
std::string boolText(bool value) {
    return value ? "true" : "false";
}

// Accepts decimal (also negative, as the program writes its handle) or 0x hex.
std::intptr_t parseNumber(const std::wstring& text) {
    return static_cast<std::intptr_t>(std::wcstoll(text.c_str(), nullptr, 0));
}

HWND parseWindow(const std::wstring& text) {
    return reinterpret_cast<HWND>(parseNumber(text));
}

LRESULT sendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool* done) {
    DWORD_PTR result = 0;
    LRESULT ok = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                                     kSendTimeoutMs, &result);
    if (done) {
        *done = ok != 0;
    }
    return static_cast<LRESULT>(result);
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring windowText(HWND window) {
    auto length = sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, nullptr);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied = sendWithTimeout(window, WM_GETTEXT, text.size(),
                                  reinterpret_cast<LPARAM>(text.data()), nullptr);
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring exeName(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) {
        size = 0;
    }
    CloseHandle(process);
    std::wstring full(path, size);
    auto slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

std::string itemList(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
    auto count = sendWithTimeout(control, countMessage, 0, 0, nullptr);
    std::string out = "[";
    for (LRESULT i = 0; i < count; ++i) {
        auto length = sendWithTimeout(control, lengthMessage, i, 0, nullptr);
        std::wstring item(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        sendWithTimeout(control, textMessage, i, reinterpret_cast<LPARAM>(item.data()), nullptr);
        item.resize(wcslen(item.c_str()));
        out += (i ? "," : "") + quoted(item);
    }
    return out + "]";
}

// Tab captions are not carried across processes by the system: the item
// structure and its text buffer must live in the tab control's process.
std::string tabItems(HWND tab) {
    DWORD processId = 0;
    GetWindowThreadProcessId(tab, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) {
        return "null";
    }
    constexpr int kTextMax = 256;
    SIZE_T size = sizeof(TCITEMW) + kTextMax * sizeof(wchar_t);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::string out = "null";
    if (remote) {
        out = "[";
        auto count = sendWithTimeout(tab, TCM_GETITEMCOUNT, 0, 0, nullptr);
        for (LRESULT i = 0; i < count; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
            item.cchTextMax = kTextMax;
            wchar_t text[kTextMax] = {};
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            WriteProcessMemory(process, item.pszText, text, sizeof text, nullptr);
            sendWithTimeout(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote), nullptr);
            ReadProcessMemory(process, item.pszText, text, sizeof text, nullptr);
            text[kTextMax - 1] = L'\0';
            out += (i ? "," : "") + quoted(std::wstring(text));
        }
        out += "]";
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return out;
}

bool isCheckable(HWND button) {
    switch (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_AUTORADIOBUTTON:
            return true;
        default:
            return false;
    }
}

// Kind-specific state: check mark, list selection and items, tab page.
std::string controlState(HWND window, const std::wstring& cls) {
    std::string out;
    if (_wcsicmp(cls.c_str(), WC_BUTTONW) == 0 && isCheckable(window)) {
        auto state = sendWithTimeout(window, BM_GETCHECK, 0, 0, nullptr);
        out += ",\"checked\":" + boolText(state == BST_CHECKED);
    } else if (_wcsicmp(cls.c_str(), WC_COMBOBOXW) == 0) {
        out += ",\"selection\":" + number(sendWithTimeout(window, CB_GETCURSEL, 0, 0, nullptr));
        out += ",\"dropped\":" +
               boolText(sendWithTimeout(window, CB_GETDROPPEDSTATE, 0, 0, nullptr) != 0);
        out += ",\"items\":" + itemList(window, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
    } else if (_wcsicmp(cls.c_str(), WC_LISTBOXW) == 0) {
        out += ",\"selection\":" + number(sendWithTimeout(window, LB_GETCURSEL, 0, 0, nullptr));
        out += ",\"items\":" + itemList(window, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
    } else if (_wcsicmp(cls.c_str(), WC_TABCONTROLW) == 0) {
        out += ",\"page\":" + number(sendWithTimeout(window, TCM_GETCURSEL, 0, 0, nullptr));
        out += ",\"items\":" + tabItems(window);
    }
    return out;
}

std::string rectText(const RECT& r) {
    return "[" + number(r.left) + "," + number(r.top) + "," + number(r.right - r.left) + "," +
           number(r.bottom - r.top) + "]";
}

std::string layeredText(HWND window, LONG exStyle) {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!(exStyle & WS_EX_LAYERED) || !GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
        return "null";
    }
    return "{\"key\":" + number(key) + ",\"alpha\":" + number(alpha) +
           ",\"flags\":" + number(flags) + "}";
}

std::string regionText(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    std::string out = "null";
    if (GetWindowRgn(window, region) != ERROR) {
        RECT box{};
        GetRgnBox(region, &box);
        out = rectText(box);
    }
    DeleteObject(region);
    return out;
}

std::string describe(HWND window, bool topLevel) {
    std::wstring cls = className(window);
    LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::string out = "{\"handle\":" + handleText(window) + ",\"class\":" + quoted(cls) +
                      ",\"text\":" + quoted(windowText(window));
    out += ",\"visible\":" + boolText(IsWindowVisible(window));
    out += ",\"enabled\":" + boolText(IsWindowEnabled(window));
    out += ",\"rect\":" + rectText(rect);
    out += ",\"style\":" + number(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)));
    out += ",\"exstyle\":" + number(static_cast<DWORD>(exStyle));
    out += ",\"layered\":" + layeredText(window, exStyle);
    out += ",\"region\":" + regionText(window);
    out += ",\"parent\":" + handleText(GetAncestor(window, GA_PARENT));
    out += ",\"owner\":" + handleText(GetWindow(window, GW_OWNER));
    if (topLevel) {
        DWORD processId = 0;
        DWORD threadId = GetWindowThreadProcessId(window, &processId);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId, &info);
        out += ",\"pid\":" + number(processId) + ",\"exe\":" + quoted(exeName(processId));
        out += ",\"focus\":" + handleText(info.hwndFocus);
        out += ",\"active\":" + handleText(info.hwndActive);
    } else {
        out += ",\"id\":" + number(GetDlgCtrlID(window));
        out += controlState(window, cls);
    }
    out += ",\"children\":[";
    bool first = true;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        out += (first ? "" : ",") + describe(child, false);
        first = false;
    }
    return out + "]}";
}

struct Filter {
    std::wstring exe, title, cls;

    bool matches(HWND window) const {
        if (!cls.empty() && _wcsicmp(className(window).c_str(), cls.c_str()) != 0) {
            return false;
        }
        if (!title.empty() && windowText(window) != title) {
            return false;
        }
        if (!exe.empty()) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (_wcsicmp(exeName(processId).c_str(), exe.c_str()) != 0) {
                return false;
            }
        }
        return true;
    }
};

struct Search {
    const Filter* filter;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (search->filter->matches(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

// Top-level windows in z-order, topmost first.
std::vector<HWND> topLevelWindows(const Filter& filter) {
    Search search{&filter, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Reads --exe/--title/--class options from args[from...]; returns the rest.
std::vector<std::wstring> readFilter(const std::vector<std::wstring>& args, size_t from,
                                     Filter& filter) {
    std::vector<std::wstring> rest;
    for (size_t i = from; i < args.size(); ++i) {
        if (i + 1 < args.size() && args[i] == L"--exe") {
            filter.exe = args[++i];
        } else if (i + 1 < args.size() && args[i] == L"--title") {
            filter.title = args[++i];
        } else if (i + 1 < args.size() && args[i] == L"--class") {
            filter.cls = args[++i];
        } else {
            rest.push_back(args[i]);
        }
    }
    return rest;
}

int list(const Filter& filter) {
    std::string out = "[";
    bool first = true;
    for (HWND window : topLevelWindows(filter)) {
        out += (first ? "" : ",\n") + describe(window, true);
        first = false;
    }
    tooltext::print(out + "]\n");
    return 0;
}

int selectItem(HWND combo, WPARAM index, bool dropdown) {
    HWND parent = GetParent(combo);
    WPARAM selChange = MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE);
    // Posted in order, so the owner sees them as from a user: list opened,
    // selection moved, list closed.
    if (dropdown) {
        PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    }
    PostMessageW(combo, CB_SETCURSEL, index, 0);
    PostMessageW(parent, WM_COMMAND, selChange, reinterpret_cast<LPARAM>(combo));
    if (dropdown) {
        PostMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    }
    return 0;
}

int postKey(HWND window, UINT vk) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(window, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
    return 0;
}

UINT virtualKey(const std::wstring& name) {
    struct Named {
        const wchar_t* name;
        UINT key;
    };
    constexpr Named kNamed[] = {
        {L"up", VK_UP},         {L"down", VK_DOWN},     {L"left", VK_LEFT}, {L"right", VK_RIGHT},
        {L"return", VK_RETURN}, {L"escape", VK_ESCAPE}, {L"tab", VK_TAB},   {L"space", VK_SPACE}};
    for (const auto& named : kNamed) {
        if (_wcsicmp(name.c_str(), named.name) == 0) {
            return named.key;
        }
    }
    if ((name[0] == L'F' || name[0] == L'f') && name.size() > 1) {
        int n = _wtoi(name.c_str() + 1);
        if (n >= 1 && n <= 24) {
            return VK_F1 + static_cast<UINT>(n - 1);
        }
    }
    if (name.size() == 1) {
        return static_cast<UINT>(towupper(name[0]));
    }
    return static_cast<UINT>(parseNumber(name));
}

INPUT keyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

struct Combination {
    std::vector<WORD> modifierKeys;
    UINT modifierFlags = 0;
    WORD key = 0;
};

// "ctrl+F11", "alt+shift+F3", "0x28" (a key alone); false when unreadable.
bool parseCombination(const std::wstring& text, Combination& out) {
    struct Modifier {
        const wchar_t* name;
        WORD key;
        UINT flag;
    };
    constexpr Modifier kModifiers[] = {{L"ctrl", VK_CONTROL, MOD_CONTROL},
                                       {L"alt", VK_MENU, MOD_ALT},
                                       {L"shift", VK_SHIFT, MOD_SHIFT}};
    std::wstring rest = text;
    for (size_t plus; (plus = rest.find(L'+')) != std::wstring::npos; rest.erase(0, plus + 1)) {
        std::wstring name = rest.substr(0, plus);
        const Modifier* found = nullptr;
        for (const auto& m : kModifiers) {
            if (_wcsicmp(name.c_str(), m.name) == 0) {
                found = &m;
            }
        }
        if (!found) {
            return false;
        }
        out.modifierKeys.push_back(found->key);
        out.modifierFlags |= found->flag;
    }
    if (rest.empty()) {
        return false;
    }
    out.key = static_cast<WORD>(virtualKey(rest));
    return true;
}

// Modifiers down, key down and up, modifiers up.
int hotkey(const std::wstring& text) {
    Combination combination;
    if (!parseCombination(text, combination)) {
        return 1;
    }
    std::vector<INPUT> inputs;
    for (WORD m : combination.modifierKeys) {
        inputs.push_back(keyInput(m, false));
    }
    inputs.push_back(keyInput(combination.key, false));
    inputs.push_back(keyInput(combination.key, true));
    for (auto m = combination.modifierKeys.rbegin(); m != combination.modifierKeys.rend(); ++m) {
        inputs.push_back(keyInput(*m, true));
    }
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    tooltext::print("{\"sent\":" + number(sent) + "}\n");
    return sent == inputs.size() ? 0 : 3;
}

// Presses with pauses between them timed here, not by starting programs:
// "ctrl+F9 500 ctrl+F9". Prints the pauses as they came out, in milliseconds.
int presses(const std::vector<std::wstring>& steps) {
    LARGE_INTEGER frequency, last, now;
    QueryPerformanceFrequency(&frequency);
    std::string gaps = "[";
    for (size_t i = 0; i < steps.size(); ++i) {
        if (i % 2 == 1) {
            Sleep(static_cast<DWORD>(parseNumber(steps[i])));
            continue;
        }
        QueryPerformanceCounter(&now);
        if (i > 0) {
            gaps += (i > 2 ? "," : "") +
                    number((now.QuadPart - last.QuadPart) * 1000 / frequency.QuadPart);
        }
        last = now;
        if (int status = hotkey(steps[i]); status != 0) {
            return status;
        }
    }
    tooltext::print("{\"gaps\":" + gaps + "]}\n");
    return 0;
}

// Takes a binding away from other programs, as another program holding it
// would; stays until the process is ended.
int hold(const std::wstring& text) {
    Combination combination;
    if (!parseCombination(text, combination)) {
        return 1;
    }
    bool held = RegisterHotKey(nullptr, 1, combination.modifierFlags, combination.key) != 0;
    tooltext::print(std::string("{\"held\":") + boolText(held) + "}\n");
    if (!held) {
        return 3;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    }
    return 0;
}

// The topmost visible message box: its title, text (the static with id
// 0xFFFF) and buttons; then presses the answer unless it is "none".
int messageBox(const Filter& base, const std::wstring& answer) {
    Filter filter = base;
    filter.cls = L"#32770";
    HWND box = nullptr;
    for (HWND window : topLevelWindows(filter)) {
        if (IsWindowVisible(window)) {
            box = window;
            break;
        }
    }
    if (!box) {
        tooltext::print("{\"error\":\"no message box\"}\n");
        return 3;
    }
    std::string buttons = "[";
    bool first = true;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(className(child).c_str(), WC_BUTTONW) == 0 && IsWindowVisible(child)) {
            buttons += std::string(first ? "" : ",") + "{\"id\":" + number(GetDlgCtrlID(child)) +
                       ",\"text\":" + quoted(windowText(child)) + "}";
            first = false;
        }
    }
    buttons += "]";
    HWND textControl = GetDlgItem(box, 0xFFFF);
    std::string text = textControl ? quoted(windowText(textControl)) : "null";
    tooltext::print("{\"handle\":" + handleText(box) + ",\"title\":" + quoted(windowText(box)) +
                    ",\"text\":" + text + ",\"buttons\":" + buttons + "}\n");
    struct Answer {
        const wchar_t* name;
        int id;
    };
    constexpr Answer kAnswers[] = {
        {L"ok", IDOK}, {L"cancel", IDCANCEL}, {L"yes", IDYES}, {L"no", IDNO}};
    if (answer == L"none") {
        return 0;
    }
    for (const auto& a : kAnswers) {
        if (answer == a.name) {
            HWND button = GetDlgItem(box, a.id);
            if (!button) {
                return 3;
            }
            PostMessageW(button, BM_CLICK, 0, 0);
            return 0;
        }
    }
    return 1;
}

// As a user who selects the box's text and types over it: each character
// goes through the box's own handling (length limit, change report).
int typeText(HWND edit, const std::wstring& text) {
    PostMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) {
        PostMessageW(edit, WM_CHAR, c, 1);
    }
    return 0;
}

// Press and release posted together, so a spin control's auto-repeat has no
// time to add a step; a double click as Windows reports one.
int mouse(HWND window, int x, int y, bool twice) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(window, WM_LBUTTONUP, 0, at);
    }
    return 0;
}

// A marker through the queue: the box's modify flag, which programs here
// never read, flipped by a posted message. Once the flip shows, everything
// posted to that thread before has been handled, and whatever it opened
// (a message box) exists.
bool passMarker(HWND edit) {
    constexpr DWORD kSyncTimeoutMs = 30000;
    bool done = false;
    const bool before = sendWithTimeout(edit, EM_GETMODIFY, 0, 0, &done) != 0;
    if (!done || !PostMessageW(edit, EM_SETMODIFY, !before, 0)) {
        return false;
    }
    for (DWORD start = GetTickCount(); GetTickCount() - start < kSyncTimeoutMs; Sleep(10)) {
        const bool now = sendWithTimeout(edit, EM_GETMODIFY, 0, 0, &done) != 0;
        if (done && now != before) {
            return true;
        }
    }
    return false;
}

// Two markers in turn: the second also follows what the program posted to
// itself while handling the messages before the first.
int sync(HWND edit) {
    if (!passMarker(edit) || !passMarker(edit)) {
        return 3;
    }
    tooltext::print("{\"synced\":true}\n");
    return 0;
}

int attributes(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    std::string value = attrs == INVALID_FILE_ATTRIBUTES ? "null" : number(attrs);
    tooltext::print("{\"path\":" + quoted(path) + ",\"attributes\":" + value + "}\n");
    return 0;
}

int run(const std::vector<std::wstring>& args) {
    if (args.empty()) {
        return 1;
    }
    const std::wstring& command = args[0];
    Filter filter;
    std::vector<std::wstring> rest = readFilter(args, 1, filter);
    if (command == L"list") {
        return list(filter);
    }
    if (command == L"hotkey" && rest.size() == 1) {
        return hotkey(rest[0]);
    }
    if (command == L"keys" && !rest.empty()) {
        for (const std::wstring& key : rest) {
            if (int status = hotkey(key); status != 0) {
                return status;
            }
        }
        return 0;
    }
    if (command == L"presses" && rest.size() % 2 == 1) {
        return presses(rest);
    }
    if (command == L"hold" && rest.size() == 1) {
        return hold(rest[0]);
    }
    if (command == L"msgbox" && rest.size() == 1) {
        return messageBox(filter, rest[0]);
    }
    if (command == L"attrs" && rest.size() == 1) {
        return attributes(rest[0]);
    }
    if (rest.empty()) {
        return 1;
    }
    HWND window = parseWindow(rest[0]);
    if (!IsWindow(window)) {
        tooltext::print("{\"error\":\"no such window\"}\n");
        return 2;
    }
    if (command == L"click" && rest.size() == 1) {
        return PostMessageW(window, BM_CLICK, 0, 0) ? 0 : 2;
    }
    if (command == L"settext" && rest.size() == 2) {
        bool done = false;
        sendWithTimeout(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(rest[1].c_str()), &done);
        tooltext::print("{\"done\":" + boolText(done) + "}\n");
        return 0;
    }
    if (command == L"select" && (rest.size() == 2 || rest.size() == 3)) {
        bool dropdown = rest.size() == 3 && rest[2] == L"--dropdown";
        return selectItem(window, static_cast<WPARAM>(parseNumber(rest[1])), dropdown);
    }
    if (command == L"tab" && rest.size() == 2) {
        return PostMessageW(window, TCM_SETCURFOCUS, static_cast<WPARAM>(parseNumber(rest[1])), 0)
                   ? 0
                   : 2;
    }
    if (command == L"key" && rest.size() == 2) {
        return postKey(window, virtualKey(rest[1]));
    }
    if (command == L"type" && rest.size() == 2) {
        return typeText(window, rest[1]);
    }
    if (command == L"mouse" && rest.size() == 4 && (rest[3] == L"click" || rest[3] == L"double")) {
        return mouse(window, static_cast<int>(parseNumber(rest[1])),
                     static_cast<int>(parseNumber(rest[2])), rest[3] == L"double");
    }
    if (command == L"sync" && rest.size() == 1) {
        return sync(window);
    }
    if (command == L"post" && rest.size() == 4) {
        auto message = static_cast<UINT>(parseNumber(rest[1]));
        auto wparam = static_cast<WPARAM>(parseNumber(rest[2]));
        auto lparam = static_cast<LPARAM>(parseNumber(rest[3]));
        return PostMessageW(window, message, wparam, lparam) ? 0 : 2;
    }
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    int status = run(args);
    if (status == 1) {
        tooltext::print("{\"error\":\"usage: see the head of probe.cpp\"}\n");
    }
    return status;
}
