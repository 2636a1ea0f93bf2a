// The real Windows behind varnel::Platform: wide API at the edge, UTF-8 inside,
// every window built from its table, one GUI thread.
#pragma once

// The other Windows headers need <windows.h> before them.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "platform/Platform.h"
#include "platform/win32/WindowState.h"

namespace varnel {

class Win32Platform : public Platform {
public:
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;

    std::string gbkFromUtf8(const std::string& utf8) override;
    std::string utf8FromGbk(const std::string& gbk) override;

    LocalTime now() override;
    Size screenSize() override;
    int displayDpi() override;
    Rect workArea() override;

    std::string exeDirectory() override;
    std::string exeFileName() override;
    bool fileExists(const std::string& path) override;
    std::optional<std::uint32_t> fileAttributes(const std::string& path) override;
    bool setFileAttributes(const std::string& path, std::uint32_t attributes) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
    void lockFile(const std::string& path) override;
    void unlockFile(const std::string& path) override;
    bool canWriteIn(const std::string& directory) override;
    std::string roamingAppDataDirectory() override;
    bool createDirectory(const std::string& path) override;
    std::vector<std::string> programFilesDirectories() override;

    bool writeRegistryString(RegistryRoot root, const std::string& key,
                             const std::string& valueName, const std::string& value) override;
    std::optional<std::string> readRegistryString(RegistryRoot root, const std::string& key,
                                                  const std::string& valueName) override;
    bool deleteRegistryValue(RegistryRoot root, const std::string& key,
                             const std::string& valueName) override;

    bool claimInstance() override;
    void releaseInstance() override;
    bool instanceTakenOver() override;
    void askRunningCopyToShow() override;
    bool startProcess(const std::string& commandLine) override;
    void exitProcess(int exitCode) override;
    bool requestSystemShutdown(bool force) override;
    void keepSystemAwake(bool on) override;
    void playWarningSound() override;
    bool openUrl(const std::string& url) override;

    WindowId createWindow(const WindowSpec& design, EventSink& sink, WindowId owner) override;
    void destroyWindow(WindowId window) override;
    bool windowExists(WindowId window) override;
    void runModal(WindowId window) override;
    void runEventLoop() override;
    void processPendingEvents() override;
    void pause(int milliseconds) override;
    void bringToFront(WindowId window) override;
    void showForAttention(WindowId window) override;
    void endTopmost(WindowId window) override;
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
    void selectAllText(WindowId window, const std::string& control) override;
    void showWarningBalloon(WindowId window, const std::string& control, const std::string& title,
                            const std::string& text) override;
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
    struct HotkeyTarget {
        WindowId window;
        std::string control;
    };
    using FontKey = std::tuple<std::string, int, bool, bool>;
    std::map<std::string, HANDLE> fileLocks_;  // path -> mutex held by lockFile

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK listenerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK canvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclassId, DWORD_PTR platform);

    // Lookups; null when the window or control does not exist (any more).
    WindowState* find(WindowId window);
    WindowState* findByHwnd(HWND hwnd);
    WindowState* ownerOf(HWND hwnd);  // our top-level window holding hwnd, or hwnd itself
    ControlState* findControl(WindowId window, const std::string& name);
    ControlState* controlOf(HWND hwnd, WindowState** window);

    // Reports to the window's sink. The sink may destroy the window: callers
    // touch nothing of it afterwards.
    void emit(WindowState& window, const std::string& control, EventKind kind, int arg = 0);

    int scale(int pixels) const;
    HFONT font(const Font& font);
    HBRUSH brush(Color color);
    HBRUSH backgroundBrush(const WindowState& window);
    COLORREF backgroundColor(const WindowState& window) const;

    // Windows.cpp
    LRESULT windowMessage(WindowState& window, UINT message, WPARAM wParam, LPARAM lParam);
    bool onActivate(WindowState& window, bool active);
    void onDestroy(WindowState& window);
    void forget(WindowState& window);
    void createListener(WindowState& window);
    LRESULT listenerMessage(WindowState& window, UINT message, WPARAM wParam, LPARAM lParam);
    void closeWindow(WindowState& window);

    // Controls.cpp
    void buildControls(WindowState& window);
    HWND createControl(WindowState& window, int index);
    void layoutControls(WindowState& window);
    void stackControls(WindowState& window);
    void applyVisibility(WindowState& window);
    bool shownByTable(const WindowState& window, int index, int nesting = 0) const;
    POINT origin(const WindowState& window, int index, int nesting = 0) const;
    void addTooltip(WindowState& window, HWND control, const std::string& hint);
    void showOwnBalloon(WindowState& window, HWND edit, const std::wstring& title,
                        std::wstring text);
    void hideOwnBalloon(WindowState& window);

    // ControlEvents.cpp
    void onCommand(WindowState& window, HWND control, int code);
    LRESULT onNotify(WindowState& window, const NMHDR& header);
    void onCloseUp(WindowState& window, int index);
    LRESULT onControlColor(WindowState& window, UINT message, HDC dc, HWND control);
    LRESULT controlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void paintCanvas(WindowState& window, const ControlState& control, HDC dc);
    void paintTabPage(WindowState& window, const ControlState& tab);

    // MessageLoop.cpp
    void dispatch(MSG& msg);
    bool preTranslate(const MSG& msg);
    void moveFocus(WindowState& window, bool backwards);

    // Timers.cpp, Hotkeys.cpp, Tray.cpp
    void onTimer(WindowState& window, UINT_PTR id);
    void onHotkey(int id);
    void onTrayMessage(WindowState& window, LPARAM mouseMessage);
    bool showTrayIcon(WindowState& window, DWORD action);
    void hideTrayIcon(WindowState& window);

    HINSTANCE instance_;
    int dpi_ = 96;
    UINT taskbarCreated_ = 0;
    UINT showAsked_ = 0;      // posted to the listener by a second start (Instance.cpp)
    HANDLE claim_ = nullptr;  // the session's claim, owned while claimed_
    bool claimed_ = false;
    HANDLE handover_ = nullptr;  // while the claim is let go for a new copy
    bool shuttingDown_ = false;

    std::map<WindowId, std::unique_ptr<WindowState>> windows_;
    std::map<HWND, WindowState*> byHwnd_;
    WindowId nextWindow_ = 1;

    std::map<int, HotkeyTarget> hotkeys_;

    std::map<FontKey, HFONT> fonts_;
    std::map<Color, HBRUSH> brushes_;
};

}  // namespace varnel
