// An in-memory Windows for the unit tests: windows and controls built from the real tables, a
// settable clock, files and hotkeys. Calls with an effect outside the program are logged.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Program.h"
#include "platform/Platform.h"
#include "settings/SettingsKeys.h"

namespace varnel::testing {

using Text = const std::string&;
using Log = std::vector<std::string>;

struct FakeControl {
    ControlSpec design;
    std::string text, picture;
    bool visible, enabled, checked;
    int selection;  // lists: -1 = none; tabs: the page
};

struct FakeWindow {
    WindowSpec design;
    EventSink* sink = nullptr;
    WindowId owner = 0;
    Rect rect;
    bool visible = false;
    std::map<std::string, FakeControl> controls{};
    std::map<std::string, int> timers{};  // name -> period
    std::string focus{}, shape{};
    long exStyle = 0;
    bool active = false, topmost = false, flashing = false;
};

struct FakeFile {
    std::string bytes;
    std::uint32_t attributes = kAttrArchive;
    int writes = 0, unlockedWrites = 0;  // unlocked: made without holding lockFile
};

struct FakeHotkey {
    WindowId window;
    std::string target;
    unsigned modifiers, virtualKey;
    int id;
};

class FakePlatform : public Platform {
public:
    // ---- what a test sets up ----
    LocalTime clock{2026, 12, 7, 1, 12, 0, 0, 0};
    Size screen{1024, 768};
    int dpi = 96;          // windows are built scaled by it / 96, as on Windows
    Rect work{};           // the work area; empty = the whole screen
    int trayRefusals = 0;  // tray icon adds refused before one succeeds
    std::string exeDir = "C:\\Program Files\\Varnel";
    std::string roaming = "C:\\Users\\user\\AppData\\Roaming";  // "" = none
    std::map<std::string, FakeFile> files;
    std::set<std::string> unwritable, unreadable;  // directories; files another program holds
    std::vector<FakeHotkey> taken;                 // combinations another program holds
    std::vector<std::string> programFiles{"C:\\Program Files", "C:\\Program Files (x86)"};
    std::set<RegistryRoot> refusedRoots;  // writes and deletes refused: rights, security software
    std::map<std::string, std::string> registry;  // "HKLM key\\name" -> value
    bool shutdownAccepted = true;                 // what Windows answers a shutdown request
    NativeHandle desktop = 0;  // the "ProgMan" window, its first child desktop + 1; 0 = none
    bool otherCopy = false;    // another copy of this session holds the claim
    enum class NewCopy { TakesClaim, Stalls, NotStarted } newCopy{};  // what startProcess starts
    std::function<void(WindowId)> onModal;  // plays the user in a modal window, which then closes
    std::function<void()> whileBoxOpen;     // what happens before the user answers a box
    std::function<int(const std::vector<MenuItem>&)> onPopupMenu;  // returns the choice
    void answerNextMessageBox(int answer) { answers_.push_back(answer); }

    // ---- what a test observes ----
    Log log;
    int writeAttempts = 0;            // writeFile calls, refused ones too
    std::vector<FakeHotkey> hotkeys;  // registered now
    WindowId trayWindow = 0;          // the window with a tray icon, 0 = none
    Log calls(Text prefix) const {
        Log found;
        std::ranges::copy_if(log, std::back_inserter(found),
                             [&](Text e) { return e.starts_with(prefix); });
        return found;
    }
    Log lastCalls(std::size_t n) const { return Log(log.end() - n, log.end()); }
    // Each message box's style and title: which boxes came up, not their wording.
    std::string boxes() const {
        std::string all;
        for (Text box : calls("box ")) {
            all += box.substr(4, box.find(": ") - 4) + "|";
        }
        return all;
    }
    FakeWindow& window(WindowId w) { return windows_.at(w); }
    FakeControl& control(WindowId w, Text name) {
        const auto found = window(w).controls.find(name);
        return found != window(w).controls.end() ? found->second
                                                 : throw std::out_of_range("no control " + name);
    }
    int timer(WindowId w, Text name) { return window(w).timers[name]; }
    std::size_t windowCount() const { return windows_.size(); }
    std::string path(Text name) const { return exeDir + name; }
    void setSettings(Text utf8) { files[path(keys::kFileName)].bytes = gbkFromUtf8(utf8); }
    std::string settings() { return utf8FromGbk(readFile(path(keys::kFileName)).value_or("")); }

    // ---- the user's actions, with the events Windows sends ----
    void fire(WindowId w, Text control, EventKind kind, int arg = 0) {
        if (kind != EventKind::Timer && !control.empty()) {
            this->control(w, control);  // throws for a control the window lacks
        }
        window(w).sink->onEvent(Event{w, control, kind, arg});
    }
    void click(WindowId w, Text name) {
        FakeControl& c = control(w, name);
        if (c.enabled && c.visible) {  // else the user cannot click it
            c.checked ^= c.design.kind == ControlKind::CheckBox;
            fire(w, name, EventKind::Clicked);
        }
    }
    // A key released on the focused control, as Windows routes it; Space clicks a button.
    void pressKey(WindowId w, int key) {
        const std::string focus = window(w).focus;
        if (key == ' ' && !focus.empty() && control(w, focus).design.kind == ControlKind::Button) {
            click(w, focus);
        } else if (!focus.empty()) {
            fire(w, focus, EventKind::KeyUp, key);
        }
    }
    void type(WindowId w, Text name, Text text) {
        setFocus(w, name);
        setText(w, name, text);
    }
    // The close box, or WM_CLOSE from another program; ExitProcess does not return.
    void close(WindowId w) {
        fire(w, "", EventKind::CloseAsked);
        if (calls("exit").empty()) {
            destroy(w, kClosed);
        }
    }
    void pressHotkey(int id) {
        const auto h = std::ranges::find(hotkeys, id, &FakeHotkey::id);
        fire(h->window, h->target, EventKind::Hotkey, id);
    }

    // ---- Platform ----
    std::string gbkFromUtf8(Text utf8) override { return convert(utf8, "UTF-8", "CP936"); }
    std::string utf8FromGbk(Text gbk) override { return convert(gbk, "CP936", "UTF-8"); }
    LocalTime now() override { return clock; }
    Size screenSize() override { return screen; }
    int displayDpi() override { return dpi; }
    Rect workArea() override { return work.width ? work : Rect{0, 0, screen.width, screen.height}; }
    std::string exeDirectory() override { return exeDir; }
    std::string exeFileName() override { return "varnel.exe"; }
    bool fileExists(Text path) override { return files.count(path) != 0; }
    std::optional<std::uint32_t> fileAttributes(Text path) override {
        return files.count(path) ? std::optional(files[path].attributes) : std::nullopt;
    }
    bool setFileAttributes(Text path, std::uint32_t attributes) override {
        files.at(path).attributes = attributes;
        return true;
    }
    std::optional<std::string> readFile(Text path) override {
        const bool readable = files.count(path) && !unreadable.count(path);
        return readable ? std::optional(files[path].bytes) : std::nullopt;
    }
    bool writeFile(Text path, Text bytes) override {
        ++writeAttempts;
        if (!canWriteIn(path.substr(0, path.rfind('\\'))) ||
            (files.count(path) && (files[path].attributes & (kAttrReadOnly | kAttrDirectory)))) {
            return false;
        }
        FakeFile& file = files[path];
        file.bytes = bytes;
        ++file.writes;
        file.unlockedWrites += locked_.count(path) == 0;
        return true;
    }
    void lockFile(Text path) override { EXPECT_TRUE(locked_.insert(path).second) << path; }
    void unlockFile(Text path) override { locked_.erase(path); }
    bool canWriteIn(Text directory) override { return unwritable.count(directory) == 0; }
    std::string roamingAppDataDirectory() override { return roaming; }
    bool createDirectory(Text path) override {
        return canWriteIn(path.substr(0, path.rfind('\\')));
    }
    std::vector<std::string> programFilesDirectories() override { return programFiles; }
    std::optional<std::string> readRegistryString(RegistryRoot root, Text key, Text name) override {
        const auto found = registry.find(registryPath(root, key, name));
        return found != registry.end() ? std::optional(found->second) : std::nullopt;
    }
    bool writeRegistryString(RegistryRoot root, Text key, Text name, Text value) override {
        return changeRegistry(root, registryPath(root, key, name), " set", &value);
    }
    bool deleteRegistryValue(RegistryRoot root, Text key, Text name) override {
        return changeRegistry(root, registryPath(root, key, name), " delete", nullptr);
    }
    bool claimInstance() override { return logged("claim", holding_ = holding_ || !otherCopy); }
    void releaseInstance() override { holding_ = logged("release", false); }
    bool instanceTakenOver() override { return otherCopy; }
    void askRunningCopyToShow() override { logged("show the running copy", 0); }
    bool startProcess(Text commandLine) override {
        otherCopy = otherCopy || (!holding_ && newCopy == NewCopy::TakesClaim);  // at its entry
        return logged("start " + commandLine, newCopy != NewCopy::NotStarted);
    }
    void exitProcess(int code) override { logged("exit " + std::to_string(code), 0); }
    bool requestSystemShutdown(bool force) override {
        return logged(force ? "shutdown 1" : "shutdown 0", shutdownAccepted);
    }
    void keepSystemAwake(bool on) override { logged(on ? "awake 1" : "awake 0", 0); }
    void playWarningSound() override { logged("beep", 0); }
    bool openUrl(Text) override { return true; }
    WindowId createWindow(const WindowSpec& design, EventSink& sink, WindowId owner) override {
        const auto x = [this](int pixels) { return (pixels * dpi + 48) / 96; };  // scaled
        const Rect& r = design.rect;
        FakeWindow& w = windows_[++lastWindow_] = {
            design, &sink, owner, {x(r.left), x(r.top), x(r.width), x(r.height)}};
        for (const ControlSpec& c : design.controls) {
            const int selection = c.kind == ControlKind::Tab ? 0 : -1;
            w.controls[c.name] = {c, c.text, "", c.visible, c.enabled, false, selection};
        }
        return lastWindow_;
    }
    void destroyWindow(WindowId w) override { destroy(w, kClosed); }
    // The shell takes the window down with its desktop window, the windows it owns first.
    void destroyBySystem(WindowId w) {
        for (auto it = windows_.begin(); it != windows_.end();) {
            const auto [owned, window] = *it++;
            if (window.owner == w) {
                destroy(owned, kDestroyedUnasked);
            }
        }
        destroy(w, kDestroyedUnasked);
    }
    bool windowExists(WindowId w) override { return windows_.count(w) != 0; }
    void runModal(WindowId w) override {
        logged("modal " + window(w).design.title, 0);
        if (onModal) {
            onModal(w);
        }
        destroyWindow(w);  // a modal loop returns once its window is gone
    }
    void runEventLoop() override { logged("loop", 0); }
    void processPendingEvents() override { logged("pending", 0); }
    void pause(int ms) override { logged("pause " + std::to_string(ms), 0); }
    void bringToFront(WindowId w) override { logged("front " + window(w).design.title, 0); }
    void showForAttention(WindowId w) override {
        window(w).visible = window(w).topmost = window(w).flashing = true;
    }
    void endTopmost(WindowId w) override { window(w).topmost = false; }
    // As on Windows, a window with a caption comes up active.
    void setWindowVisible(WindowId w, bool on) override {
        window(w).visible = on;
        window(w).active = on && window(w).design.caption;
    }
    bool windowVisible(WindowId w) override { return window(w).visible; }
    Rect windowRect(WindowId w) override { return window(w).rect; }
    void moveWindow(WindowId w, int left, int top) override {
        window(w).rect = {left, top, window(w).rect.width, window(w).rect.height};
    }
    void setText(WindowId w, Text name, Text text) override {
        control(w, name).text = text;
        if (control(w, name).design.kind == ControlKind::Edit) {
            fire(w, name, EventKind::Changed);
        }
    }
    std::string text(WindowId w, Text name) override {
        const FakeControl& c = control(w, name);
        const bool list = c.design.kind == ControlKind::DropDownList;
        return !list ? c.text : c.selection < 0 ? "" : c.design.items.at(c.selection);
    }
    void setVisible(WindowId w, Text name, bool on) override { control(w, name).visible = on; }
    bool visible(WindowId w, Text name) override { return control(w, name).visible; }
    void setEnabled(WindowId w, Text name, bool on) override { control(w, name).enabled = on; }
    bool enabled(WindowId w, Text name) override { return control(w, name).enabled; }
    void setChecked(WindowId w, Text name, bool on) override { control(w, name).checked = on; }
    bool checked(WindowId w, Text name) override { return control(w, name).checked; }
    void setSelection(WindowId w, Text name, int index) override {
        FakeControl& c = control(w, name);
        c.selection = index >= 0 && index < std::ssize(c.design.items) ? index : -1;
        if (c.design.kind == ControlKind::Tab && c.selection >= 0) {
            fire(w, name, EventKind::PageChanged, c.selection);
        }
    }
    int selection(WindowId w, Text name) override { return control(w, name).selection; }
    void setFocus(WindowId w, Text name) override {
        if (!control(w, name).visible || !control(w, name).enabled) {
            return;
        }
        window(w).focus = name;
        if (control(w, name).design.kind == ControlKind::Edit) {
            fire(w, name, EventKind::FocusGained);
        }
    }
    std::string focusedControl(WindowId w) override { return window(w).focus; }
    void selectAllText(WindowId w, Text name) override {
        logged("select all " + control(w, name).design.name, 0);
    }
    void showWarningBalloon(WindowId w, Text name, Text title, Text text) override {
        logged("balloon " + control(w, name).design.name + " " + title + ": " + text, 0);
    }
    void setPicture(WindowId w, Text name, Text icon) override { control(w, name).picture = icon; }
    void setTimer(WindowId w, Text name, int ms) override { window(w).timers[name] = ms; }
    int messageBox(WindowId, Text text, Text title, unsigned style) override {
        logged("box " + hex(style) + " " + title + ": " + text, 0);
        if (whileBoxOpen) {
            whileBoxOpen();
        }
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected " << log.back();
            return kIdOk;
        }
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    int popupMenu(WindowId, const std::vector<MenuItem>& items) override {
        return onPopupMenu ? onPopupMenu(items) : 0;
    }
    int registerHotkey(WindowId w, Text target, unsigned modifiers, unsigned vk) override {
        logged("hotkey " + hex(modifiers) + " " + std::to_string(vk), 0);
        // As on Windows, kModNoRepeat makes no other combination.
        const auto same = [&](const FakeHotkey& h) {
            return ((h.modifiers ^ modifiers) & ~kModNoRepeat) == 0 && h.virtualKey == vk;
        };
        if (std::ranges::any_of(hotkeys, same) || std::ranges::any_of(taken, same)) {
            return 0;
        }
        hotkeys.push_back({w, target, modifiers, vk, hotkeys.empty() ? 1 : hotkeys.back().id + 1});
        return hotkeys.back().id;
    }
    void unregisterHotkey(WindowId, int id) override {
        logged("unhotkey " + std::to_string(id), 0);
        std::erase_if(hotkeys, [id](const FakeHotkey& h) { return h.id == id; });
    }
    bool addTrayIcon(WindowId w, Text icon, Text tip) override {
        const bool refused = trayRefusals > 0;
        trayRefusals -= refused;
        trayWindow = logged("tray " + icon + " " + tip, refused ? trayWindow : w);
        return !refused;
    }
    void removeTrayIcon(WindowId) override { trayWindow = logged("untray", 0); }
    NativeHandle nativeHandle(WindowId w) override { return 0x10000 + w * 16; }
    long getWindowLongA(WindowId w, int index) override {
        return logged(call("GetWindowLongA", nativeHandle(w), index), window(w).exStyle);
    }
    void setWindowLongA(WindowId w, int index, long value) override {
        window(w).exStyle = logged(call("SetWindowLongA", nativeHandle(w), index, value), value);
    }
    void setLayeredWindowAttributes(WindowId w, Color key, int alpha, unsigned flags) override {
        logged(call("SetLayeredWindowAttributes", nativeHandle(w), key, alpha, flags), 0);
    }
    NativeHandle findWindowA(Text className) override {
        return logged("FindWindowA(" + className + ")", desktop);
    }
    NativeHandle getWindow(NativeHandle w, unsigned command) override {
        return logged(call("GetWindow", w, command), w ? w + 1 : 0);
    }
    void setParent(WindowId w, NativeHandle parent) override {
        logged(call("SetParent", nativeHandle(w), parent), 0);
    }
    bool snapshotWindow(WindowId w, Text bitmap) override {
        const Rect r = window(w).rect;
        return writeFile(bitmap, "BM " + std::to_string(r.width) + "x" + std::to_string(r.height));
    }
    void setWindowShape(WindowId w, Text bitmap, Color key) override {
        window(w).shape = bitmap + " " + hex(key);
    }

private:
    // As in Windows, what is tied to the window goes with it, and the window no longer exists
    // while its Destroyed event is handled.
    void destroy(WindowId w, int how) {
        if (windows_.count(w) != 0) {
            const FakeWindow gone = std::move(windows_[w]);
            windows_.erase(w);
            std::erase_if(hotkeys, [w](const FakeHotkey& h) { return h.window == w; });
            trayWindow = trayWindow == w ? 0 : trayWindow;
            gone.sink->onEvent(Event{w, "", EventKind::Destroyed, how});
        }
    }
    // Sets (value) or deletes a registry value unless its root refuses; logged either way.
    bool changeRegistry(RegistryRoot root, std::string path, const char* what,
                        const std::string* value) {
        const bool refused = refusedRoots.count(root) != 0;
        if (!refused) {
            value ? void(registry[path] = *value) : void(registry.erase(path));
        }
        return logged(path.insert(4, what) + (value ? "=" + *value : ""), !refused);
    }
    template <class Result>
    Result logged(std::string entry, Result result) {
        log.push_back(std::move(entry));
        return result;
    }
    // A byte the source encoding cannot hold becomes '?', so damaged files still read as text,
    // as they do on Windows.
    static std::string convert(std::string in, const char* from, const char* to) {
        iconv_t cd = iconv_open(to, from);
        std::string out(in.size() * 2 + 1, '\0');
        char *inPtr = in.data(), *outPtr = out.data();
        std::size_t inLeft = in.size(), outLeft = out.size();
        while (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1) && inLeft > 0) {
            *outPtr++ = '?';
            --outLeft, ++inPtr, --inLeft;
        }
        iconv_close(cd);
        return out.substr(0, out.size() - outLeft);
    }
    static std::string registryPath(RegistryRoot root, Text key, Text name) {
        return (root == RegistryRoot::LocalMachine ? "HKLM " : "HKCU ") + key + "\\" + name;
    }
    static std::string hex(unsigned value) {
        char text[16];
        std::snprintf(text, sizeof text, "%#x", value);
        return text;
    }
    template <class... Args>
    static std::string call(const char* function, Args... args) {
        const std::string list = ((std::to_string(args) + ", ") + ...);
        return function + ("(" + list.substr(0, list.size() - 2)) + ")";
    }
    std::map<WindowId, FakeWindow> windows_;
    WindowId lastWindow_ = 0;
    std::deque<int> answers_;
    std::set<std::string> locked_;
    bool holding_ = false;  // this copy holds the claim
};

// The fixture most tests share: a program on the fake.
class FakeProgramTest : public ::testing::Test {
protected:
    FakePlatform fake;
    Program program{fake};
};

}  // namespace varnel::testing
