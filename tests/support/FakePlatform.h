// An in-memory Windows for the unit tests: windows and controls built from the
// same tables as the real ones, a settable clock and screen, files with
// attributes, the registry, processes, hotkeys, the tray and timers. Tests fire
// events and read back what the user would see.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace varnel::testing {

struct FakeControl {
    ControlSpec design;
    std::string text;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    int selection = -1;
    std::string picture;
};

struct FakeWindow {
    WindowSpec design;
    EventSink* sink = nullptr;
    WindowId owner = 0;
    bool visible = false;
    Rect rect;
    std::vector<FakeControl> controls;
    std::string focus;
    std::map<std::string, int> timers;  // name -> period
    long exStyle = 0;
    NativeHandle parent = 0;
    std::string shapeBitmap;
    int modalDepth = 0;
};

struct ShownMessageBox {
    WindowId owner;
    std::string text;
    std::string title;
    unsigned style;
    int answer;
};

struct FakeFile {
    std::string bytes;
    std::uint32_t attributes = kAttrArchive;
    int writes = 0;          // successful writes
    int unlockedWrites = 0;  // of them, made without holding lockFile
};

struct Hotkey {
    WindowId window;
    std::string target;
    unsigned modifiers;  // kMod bits
    unsigned virtualKey;
    int id;
};

// A call to one of the literal user32 functions, for the window-effects tests.
struct EffectCall {
    std::string function;
    std::vector<long long> args;
    std::string text;
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- what a test sets up ----
    LocalTime clock;
    Size screen{1024, 768};
    std::string exeDir = "C:\\Program Files\\Varnel";
    std::string exeName = "varnel.exe";
    std::map<std::string, FakeFile> files;  // path -> content
    // "HKLM\\key\\value" or "HKCU\\key\\value" -> data
    std::map<std::string, std::string> registry;
    bool localMachineWritesFail = false;  // a standard user's rights
    bool writesFail = false;              // every file write fails (a full disk)
    // Directories this program may not write in (nor create folders in).
    std::set<std::string> unwritableDirectories;
    std::string roamingAppData = "C:\\Users\\user\\AppData\\Roaming";  // "" = none
    // Files that exist but cannot be read (another program holds them locked).
    std::set<std::string> unreadableFiles;
    // Combinations (modifier bits without kModNoRepeat, vk) held by another program.
    std::vector<std::pair<unsigned, unsigned>> takenHotkeys;
    std::map<std::string, NativeHandle> topLevelByClass;  // for findWindowA
    std::map<NativeHandle, NativeHandle> firstChild;      // for getWindow(.., 5)
    int menuChoice = 0;                                   // command popupMenu returns

    // Answers for the next message boxes, in order. A box with no answer
    // queued fails the test.
    void answerNextMessageBox(int answer) { answers_.push_back(answer); }
    // Plays the user inside a modal window; the default closes it at once.
    std::function<void(WindowId)> onModal;
    // Called for every popup menu, before menuChoice is returned.
    std::function<void()> onPopupMenu;

    // ---- what a test observes ----
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<std::string> startedProcesses;
    std::vector<bool> shutdownRequests;  // the force flag of each request
    std::vector<bool> keepAwakeCalls;    // keepSystemAwake's argument, in order
    std::vector<std::string> openedUrls;
    std::vector<Hotkey> hotkeys;  // currently registered
    std::vector<std::string>
        log;  // registerHotkey, unregisterHotkey, startProcess, exitProcess, ...
    std::vector<EffectCall> effectCalls;
    std::vector<std::vector<MenuItem>> menus;
    bool exited = false;
    int exitCode = -1;
    bool trayIconShown = false;
    std::string trayIconPath, trayTooltip;
    int pendingEventRuns = 0;
    std::vector<int> pauses;

    // ---- helpers for tests ----
    void fire(WindowId window, const std::string& control, EventKind kind, int arg = 0);
    void fireTimer(WindowId window, const std::string& timer) {
        fire(window, timer, EventKind::Timer);
    }
    // The user's actions, with the events Windows would send.
    void click(WindowId window, const std::string& control);  // check boxes flip first
    void type(WindowId window, const std::string& control, const std::string& text);
    void focus(WindowId window, const std::string& control);
    // Opens a list's drop-down, picks `index` and closes it.
    void pick(WindowId window, const std::string& control, int index);
    void pressHotkey(int id);
    // The shell takes the window down with its desktop window: Destroyed
    // (unasked) for the windows it owns, then for itself.
    void destroyBySystem(WindowId window);
    void setFileUtf8(const std::string& path, const std::string& utf8Text);
    std::string fileUtf8(const std::string& path);
    std::string path(const std::string& name) const { return exeDir + name; }
    WindowId findWindow(const std::string& title) const;  // 0 when none is open
    const FakeControl& control(WindowId window, const std::string& name) const;
    FakeWindow& window(WindowId id);
    int timerPeriod(WindowId window, const std::string& timer);
    std::vector<WindowId> openWindows() const;

    // ---- Platform ----
    std::string gbkFromUtf8(const std::string& utf8) override;
    std::string utf8FromGbk(const std::string& gbk) override;
    LocalTime now() override { return clock; }
    Size screenSize() override { return screen; }
    std::string exeDirectory() override { return exeDir; }
    std::string exeFileName() override { return exeName; }
    bool fileExists(const std::string& path) override;
    std::optional<std::uint32_t> fileAttributes(const std::string& path) override;
    bool setFileAttributes(const std::string& path, std::uint32_t attributes) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
    void lockFile(const std::string& path) override;
    void unlockFile(const std::string& path) override;
    bool canWriteIn(const std::string& directory) override;
    std::string roamingAppDataDirectory() override { return roamingAppData; }
    bool createDirectory(const std::string& path) override;
    bool writeRegistryString(RegistryRoot root, const std::string& key,
                             const std::string& valueName, const std::string& value) override;
    bool deleteRegistryValue(RegistryRoot root, const std::string& key,
                             const std::string& valueName) override;
    bool startProcess(const std::string& commandLine) override;
    void exitProcess(int exitCode) override;
    bool requestSystemShutdown(bool force) override;
    void keepSystemAwake(bool on) override { keepAwakeCalls.push_back(on); }
    bool openUrl(const std::string& url) override;
    WindowId createWindow(const WindowSpec& design, EventSink& sink, WindowId owner) override;
    void destroyWindow(WindowId window) override;
    bool windowExists(WindowId window) override;
    void runModal(WindowId window) override;
    void runEventLoop() override;
    void processPendingEvents() override { ++pendingEventRuns; }
    void pause(int milliseconds) override { pauses.push_back(milliseconds); }
    void bringToFront(WindowId window) override;
    void setWindowVisible(WindowId window, bool visible) override;
    bool windowVisible(WindowId window) override;
    Rect windowRect(WindowId window) override;
    void moveWindow(WindowId window, int left, int top) override;
    void setText(WindowId window, const std::string& control, const std::string& text) override;
    std::string text(WindowId window, const std::string& control) override;
    void setVisible(WindowId window, const std::string& control, bool visible) override;
    bool visible(WindowId window, const std::string& control) override;
    void setEnabled(WindowId window, const std::string& control, bool enabled) override;
    bool enabled(WindowId window, const std::string& control) override;
    void setChecked(WindowId window, const std::string& control, bool checked) override;
    bool checked(WindowId window, const std::string& control) override;
    void setSelection(WindowId window, const std::string& control, int index) override;
    int selection(WindowId window, const std::string& control) override;
    void setFocus(WindowId window, const std::string& control) override;
    std::string focusedControl(WindowId window) override;
    void setPicture(WindowId window, const std::string& control,
                    const std::string& iconBytes) override;
    void setTimer(WindowId window, const std::string& timer, int periodMs) override;
    int messageBox(WindowId owner, const std::string& text, const std::string& title,
                   unsigned style) override;
    int popupMenu(WindowId window, const std::vector<MenuItem>& items) override;
    int registerHotkey(WindowId window, const std::string& target, unsigned modifiers,
                       unsigned virtualKey) override;
    void unregisterHotkey(WindowId window, int id) override;
    bool addTrayIcon(WindowId window, const std::string& iconPath,
                     const std::string& tooltip) override;
    void removeTrayIcon(WindowId window) override;
    NativeHandle nativeHandle(WindowId window) override;
    long getWindowLongA(WindowId window, int index) override;
    void setWindowLongA(WindowId window, int index, long value) override;
    void setLayeredWindowAttributes(WindowId window, Color key, int alpha, unsigned flags) override;
    NativeHandle findWindowA(const std::string& className) override;
    NativeHandle getWindow(NativeHandle window, unsigned command) override;
    void setParent(WindowId window, NativeHandle parent) override;
    bool snapshotWindow(WindowId window, const std::string& bitmapPath) override;
    void setWindowShape(WindowId window, const std::string& bitmapPath, Color key) override;

private:
    FakeControl& mutableControl(WindowId window, const std::string& name);
    void destroy(WindowId window, int how);
    std::map<WindowId, std::unique_ptr<FakeWindow>> windows_;
    std::map<WindowId, std::unique_ptr<FakeWindow>> dying_;  // during their Destroyed event
    WindowId nextWindow_ = 1;
    WindowId trayWindow_ = 0;
    std::deque<int> answers_;
    std::set<std::string> lockedFiles_;
};

}  // namespace varnel::testing
