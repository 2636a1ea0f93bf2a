// The only door to Windows. Everything outside platform/win32 talks to the
// system through this interface, so the rules of the program run unchanged
// against the in-memory fake used by the unit tests.
//
// Texts are UTF-8 everywhere; the implementation converts at its edge.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

using WindowId = int;                 // 0 = no window
using NativeHandle = std::uintptr_t;  // a raw window handle, for the literal user32 calls

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int width = 0, height = 0;
};

struct LocalTime {
    int year = 2000, month = 1, day = 1;
    int weekday = 0;  // 0 = Sunday ... 6 = Saturday
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// 0x00BBGGRR, as Windows colour values.
using Color = std::uint32_t;
inline constexpr Color kDefaultColor = 0xFFFFFFFFu;  // "use the system's colour"

struct Font {
    std::string face = "宋体";
    int pixelHeight = 12;
    bool bold = false;
    bool underline = false;
};

enum class ControlKind {
    Label,         // static text; reports DoubleClick and MouseOver
    Edit,          // single-line edit box; reports Changed, FocusGained, MouseOver
    CheckBox,      // auto check box; reports Clicked (after the state flipped)
    DropDownList,  // reports DropDownOpened, DropDownClosed, SelectionChanged
    Spin,          // up-down arrows; reports Spin with +1 (up/right) or -1 (down/left)
    Tab,           // tab control; items are the page captions; reports PageChanged
    Button,        // push button (also the "picture buttons"); reports Clicked, KeyUp, MouseOver
    Hyperlink,     // underlined link text; reports Clicked
    GroupBox,      // caption frame
    ShapeBox,      // drawn rectangle (the clock's digit frames and colon dots)
    Picture,       // shows an icon set with setPicture
    ListBox,
};

struct ControlSpec {
    std::string name;  // design name, unique within its window
    ControlKind kind = ControlKind::Label;
    std::string parent;  // "" = the window; else the design name of a container
    int page = -1;       // with a Tab parent: the page the control lives on
    Rect rect;           // pixels at 96 DPI, relative to the parent (or the tab page)
    std::string text;    // design-time caption or content
    bool visible = true;
    bool enabled = true;
    int maxLength = 0;               // Edit: 0 = no limit
    std::vector<std::string> items;  // DropDownList, Tab
    std::string hint;                // tooltip (buttons)
    bool horizontal = false;         // Spin
    Font font;
    Color textColor = kDefaultColor;
    Color backColor = kDefaultColor;  // kDefaultColor = the window's background
};

struct WindowSpec {
    std::string title;
    Rect rect;  // position (screen) and client size, pixels at 96 DPI
    Color background = kDefaultColor;
    bool caption = true;      // title bar with a close box
    bool toolWindow = false;  // no taskbar button
    // Hears the shell's broadcasts (ShellRestarted, ScreenChanged) and owns its tray icon
    // through a hidden top-level window, so both reach it also when it is set into another
    // window (the desktop), where broadcasts to top-level windows do not.
    bool shellEvents = false;
    std::vector<ControlSpec> controls;
};

enum class EventKind {
    Clicked,
    DoubleClicked,
    Changed,  // edit text changed, by the user or by setText
    FocusGained,
    DropDownOpened,
    DropDownClosed,    // after the final selection is in place
    SelectionChanged,  // a list's selection changed while its drop-down was closed
    Spin,              // arg +1 or -1
    PageChanged,       // arg = new page; also when code sets the page
    KeyUp,             // arg = virtual-key code pressed and released on the focused control
    AltKey,            // arg = virtual-key code pressed together with Alt, anywhere in the window
    MouseOver,         // the pointer entered the control
    Timer,             // control = the timer's name
    Hotkey,            // arg = registration identifier
    TrayNotify,        // arg = kTrayLeftClick or kTrayRightClick
    CloseAsked,        // its close box, Alt+F4 or another program's WM_CLOSE; it closes after
    Destroyed,         // the window is gone; arg = kClosed or kDestroyedUnasked
    ShellRestarted,    // a new taskbar and desktop are up (the shell restarted)
    ScreenChanged,     // the screen's size or its work area changed
    ShowAsked,         // another start of the program asks this copy to show itself
};

inline constexpr int kTrayLeftClick = 1;
inline constexpr int kTrayRightClick = 3;
// Destroyed: closed by the user or by destroyWindow, or taken down by the
// system with a parent or owner window (the desktop when the shell ends).
inline constexpr int kClosed = 0;
inline constexpr int kDestroyedUnasked = 1;

struct Event {
    WindowId window = 0;
    std::string control;  // "" = the window itself
    EventKind kind = EventKind::Clicked;
    int arg = 0;
};

class EventSink {
public:
    virtual void onEvent(const Event& event) = 0;

protected:
    ~EventSink() = default;
};

struct MenuItem {
    std::string text;               // "" = separator
    int command = 0;                // returned by popupMenu when chosen
    std::vector<MenuItem> submenu;  // non-empty = a submenu
};

// Message-box styles and answers, as Windows numbers them.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbYesNoQuestion = 0x24;
inline constexpr unsigned kMbOkWarning = 0x30;
inline constexpr unsigned kMbOkInformation = 0x40;
inline constexpr unsigned kMbYesNoInformation = 0x44;
inline constexpr unsigned kMbOkError = 0x10;
inline constexpr unsigned kMbDefaultButton2 = 0x100;  // the second button (No) is the default
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// File attribute bits.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

enum class HotkeyModifier { Ctrl, Alt, Shift };

// Modifier bits of a hotkey registration, as Windows numbers them. With
// kModNoRepeat a key held down does not report the press again.
inline constexpr unsigned kModAlt = 0x1;
inline constexpr unsigned kModControl = 0x2;
inline constexpr unsigned kModShift = 0x4;
inline constexpr unsigned kModNoRepeat = 0x4000;

enum class RegistryRoot { LocalMachine, CurrentUser };

class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    // Text in files is GBK (code page 936) whatever the system's language.
    virtual std::string gbkFromUtf8(const std::string& utf8) = 0;
    virtual std::string utf8FromGbk(const std::string& gbk) = 0;

    // Clock and screen.
    virtual LocalTime now() = 0;
    virtual Size screenSize() = 0;
    virtual int displayDpi() = 0;  // 96 at 100 % scale; windows are scaled by it / 96
    virtual Rect workArea() = 0;   // the primary screen less the taskbar

    // Files. Paths are UTF-8 with backslashes.
    virtual std::string exeDirectory() = 0;  // no trailing backslash
    virtual std::string exeFileName() = 0;
    virtual bool fileExists(const std::string& path) = 0;
    virtual std::optional<std::uint32_t> fileAttributes(const std::string& path) = 0;
    virtual bool setFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Replaces the whole file so that, whenever the process dies, the file is
    // either the complete old or the complete new content; keeps the old
    // file's attributes. Refuses a read-only file, like Windows does.
    virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
    // Keeps other running copies of the program from writing the file between this
    // copy's read and its write, until unlockFile; readers need no lock, as every
    // write replaces the whole file at once.
    virtual void lockFile(const std::string& path) = 0;
    virtual void unlockFile(const std::string& path) = 0;
    // Whether this program may create files there: only an attempt tells (rights,
    // a read-only medium), so a temporary file is made and removed at once.
    virtual bool canWriteIn(const std::string& directory) = 0;
    // The user's roaming application-data folder; "" when there is none.
    virtual std::string roamingAppDataDirectory() = 0;
    // True when the directory exists afterwards (an existing one is fine).
    virtual bool createDirectory(const std::string& path) = 0;
    // The system's Program Files folders, as many as this process can name (no
    // trailing backslash); standard users cannot change what lies inside them.
    virtual std::vector<std::string> programFilesDirectories() = 0;

    // Registry string values; a write creates the key when needed.
    virtual std::optional<std::string> readRegistryString(RegistryRoot root, const std::string& key,
                                                          const std::string& valueName) = 0;
    virtual bool writeRegistryString(RegistryRoot root, const std::string& key,
                                     const std::string& valueName, const std::string& value) = 0;
    virtual bool deleteRegistryValue(RegistryRoot root, const std::string& key,
                                     const std::string& valueName) = 0;

    // One copy of the program per Windows session, whatever its folder. claimInstance:
    // true when this copy holds the claim now, false while another copy of this session
    // holds it. releaseInstance lets it go for a new copy; instanceTakenOver then tells
    // whether another copy has taken it since.
    virtual bool claimInstance() = 0;
    virtual void releaseInstance() = 0;
    virtual bool instanceTakenOver() = 0;
    // Asks the copy holding the claim to show itself: ShowAsked at its shellEvents window.
    virtual void askRunningCopyToShow() = 0;

    // Processes and the system.
    virtual bool startProcess(const std::string& commandLine) = 0;  // does not wait
    virtual void exitProcess(int exitCode) = 0;                     // the fake records and returns
    virtual bool requestSystemShutdown(bool force) = 0;
    // While on, the system does not go to sleep when idle (the display may still
    // turn off).
    virtual void keepSystemAwake(bool on) = 0;
    // The system's warning sound (MessageBeep, MB_ICONWARNING), as the user's
    // sound scheme has it: none under "no sounds".
    virtual void playWarningSound() = 0;
    virtual bool openUrl(const std::string& url) = 0;

    // Windows and controls.
    virtual WindowId createWindow(const WindowSpec& design, EventSink& sink, WindowId owner) = 0;
    virtual void destroyWindow(WindowId window) = 0;
    virtual bool windowExists(WindowId window) = 0;
    virtual void runModal(WindowId window) = 0;  // returns when the window is gone
    virtual void runEventLoop() = 0;             // runs until the process ends
    virtual void processPendingEvents() = 0;
    virtual void pause(int milliseconds) = 0;
    virtual void bringToFront(WindowId window) = 0;
    // Shows the window above all others, full-screen ones included, without
    // taking the keyboard focus from the program the user is typing in, and
    // flashes its taskbar button until the user turns to it.
    virtual void showForAttention(WindowId window) = 0;
    // Back among the other windows; one that was not above all stays where it is.
    virtual void endTopmost(WindowId window) = 0;
    virtual void setWindowVisible(WindowId window, bool visible) = 0;
    virtual bool windowVisible(WindowId window) = 0;
    virtual Rect windowRect(WindowId window) = 0;  // screen position and size
    virtual void moveWindow(WindowId window, int left, int top) = 0;

    virtual void setText(WindowId window, const std::string& control, const std::string& text) = 0;
    virtual std::string text(WindowId window, const std::string& control) = 0;
    virtual void setVisible(WindowId window, const std::string& control, bool visible) = 0;
    virtual bool visible(WindowId window, const std::string& control) = 0;
    virtual void setEnabled(WindowId window, const std::string& control, bool enabled) = 0;
    virtual bool enabled(WindowId window, const std::string& control) = 0;
    virtual void setChecked(WindowId window, const std::string& control, bool checked) = 0;
    virtual bool checked(WindowId window, const std::string& control) = 0;
    // Lists: the selected index, -1 for none. Tabs: the current page; setting it
    // reports PageChanged.
    virtual void setSelection(WindowId window, const std::string& control, int index) = 0;
    virtual int selection(WindowId window, const std::string& control) = 0;
    // In a window that is not active the control gets the focus once the window
    // is activated: setting it never activates the window. A hidden or disabled
    // control is refused: it never takes the focus, nor a key.
    virtual void setFocus(WindowId window, const std::string& control) = 0;
    virtual std::string focusedControl(WindowId window) = 0;
    // Edit boxes: selects the whole text; shows a balloon with a warning icon
    // pointing at the box.
    virtual void selectAllText(WindowId window, const std::string& control) = 0;
    virtual void showWarningBalloon(WindowId window, const std::string& control,
                                    const std::string& title, const std::string& text) = 0;
    virtual void setPicture(WindowId window, const std::string& control,
                            const std::string& iconBytes) = 0;
    // Timers belong to a window; period 0 stops one. Ticks arrive as Timer events.
    virtual void setTimer(WindowId window, const std::string& timer, int periodMs) = 0;

    virtual int messageBox(WindowId owner, const std::string& text, const std::string& title,
                           unsigned style) = 0;
    // Pops up at the mouse pointer; returns the chosen command or 0.
    virtual int popupMenu(WindowId window, const std::vector<MenuItem>& items) = 0;

    // System-wide hotkeys; presses arrive as Hotkey events of the window's
    // `target` control. `modifiers` is a mask of the kMod bits. Returns a
    // non-zero identifier, or 0 when refused.
    virtual int registerHotkey(WindowId window, const std::string& target, unsigned modifiers,
                               unsigned virtualKey) = 0;
    virtual void unregisterHotkey(WindowId window, int id) = 0;

    // Notification-area icon of a window; clicks arrive as TrayNotify events.
    virtual bool addTrayIcon(WindowId window, const std::string& iconPath,
                             const std::string& tooltip) = 0;
    virtual void removeTrayIcon(WindowId window) = 0;

    // Window effects, passed on literally to user32.
    virtual NativeHandle nativeHandle(WindowId window) = 0;
    virtual long getWindowLongA(WindowId window, int index) = 0;
    virtual void setWindowLongA(WindowId window, int index, long value) = 0;
    virtual void setLayeredWindowAttributes(WindowId window, Color key, int alpha,
                                            unsigned flags) = 0;
    virtual NativeHandle findWindowA(const std::string& className) = 0;
    virtual NativeHandle getWindow(NativeHandle window, unsigned command) = 0;
    virtual void setParent(WindowId window, NativeHandle parent) = 0;
    virtual bool snapshotWindow(WindowId window, const std::string& bitmapPath) = 0;
    virtual void setWindowShape(WindowId window, const std::string& bitmapPath, Color key) = 0;
};

}  // namespace varnel
