#include "support/FakePlatform.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace varnel::testing {

namespace {

// Converts with iconv; a byte the source encoding cannot hold becomes '?', so
// damaged files still read as text, as they do on Windows.
std::string convert(const std::string& input, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert " << from << " to " << to;
        return input;
    }
    std::string out;
    std::string in = input;
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out.push_back('?');
            ++inPtr;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

FakeControl& missingControl() {
    static FakeControl dummy;
    dummy = FakeControl{};
    return dummy;
}

constexpr NativeHandle kHandleBase = 0x10000;

std::string registryPath(RegistryRoot root, const std::string& key, const std::string& valueName) {
    return (root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + key + "\\" + valueName;
}

}  // namespace

FakePlatform::FakePlatform() {
    clock = LocalTime{2026, 12, 7, 1, 12, 0, 0, 0};
}

FakePlatform::~FakePlatform() = default;

std::string FakePlatform::gbkFromUtf8(const std::string& utf8) {
    return convert(utf8, "UTF-8", "CP936");
}

std::string FakePlatform::utf8FromGbk(const std::string& gbk) {
    return convert(gbk, "CP936", "UTF-8");
}

// ---- helpers for tests ----

void FakePlatform::fire(WindowId window, const std::string& control, EventKind kind, int arg) {
    auto it = windows_.find(window);
    if (it == windows_.end()) {
        ADD_FAILURE() << "event for a window that does not exist: " << window << " " << control;
        return;
    }
    it->second->sink->onEvent(Event{window, control, kind, arg});
}

void FakePlatform::click(WindowId window, const std::string& control) {
    FakeControl& c = mutableControl(window, control);
    if (!c.enabled || !c.visible) {
        return;  // the user cannot click what is disabled or hidden
    }
    if (c.design.kind == ControlKind::CheckBox) {
        c.checked = !c.checked;
    }
    fire(window, control, EventKind::Clicked);
}

void FakePlatform::type(WindowId window, const std::string& control, const std::string& text) {
    focus(window, control);
    setText(window, control, text);
}

void FakePlatform::focus(WindowId window, const std::string& control) {
    setFocus(window, control);
}

void FakePlatform::pick(WindowId window, const std::string& control, int index) {
    fire(window, control, EventKind::DropDownOpened);
    if (!windowExists(window)) {
        return;
    }
    mutableControl(window, control).selection = index;
    fire(window, control, EventKind::DropDownClosed);
}

void FakePlatform::pressHotkey(int id) {
    for (const Hotkey& h : hotkeys) {
        if (h.id == id) {
            fire(h.window, h.target, EventKind::Hotkey, id);
            return;
        }
    }
    ADD_FAILURE() << "no hotkey registered with id " << id;
}

void FakePlatform::setFileUtf8(const std::string& path, const std::string& utf8Text) {
    files[path].bytes = gbkFromUtf8(utf8Text);
}

std::string FakePlatform::fileUtf8(const std::string& path) {
    auto it = files.find(path);
    return it == files.end() ? std::string() : utf8FromGbk(it->second.bytes);
}

WindowId FakePlatform::findWindow(const std::string& title) const {
    for (const auto& [id, w] : windows_) {
        if (w->design.title == title) {
            return id;
        }
    }
    return 0;
}

const FakeControl& FakePlatform::control(WindowId window, const std::string& name) const {
    auto it = windows_.find(window);
    if (it != windows_.end()) {
        for (const FakeControl& c : it->second->controls) {
            if (c.design.name == name) {
                return c;
            }
        }
    }
    ADD_FAILURE() << "no control " << name << " in window " << window;
    return missingControl();
}

FakeWindow& FakePlatform::window(WindowId id) {
    auto it = windows_.find(id);
    if (it == windows_.end()) {
        it = dying_.find(id);
    }
    if (it == dying_.end()) {
        ADD_FAILURE() << "no window " << id;
        static FakeWindow dummy;
        return dummy;
    }
    return *it->second;
}

int FakePlatform::timerPeriod(WindowId window, const std::string& timer) {
    auto& timers = this->window(window).timers;
    auto it = timers.find(timer);
    return it == timers.end() ? 0 : it->second;
}

std::vector<WindowId> FakePlatform::openWindows() const {
    std::vector<WindowId> ids;
    for (const auto& entry : windows_) {
        ids.push_back(entry.first);
    }
    return ids;
}

FakeControl& FakePlatform::mutableControl(WindowId window, const std::string& name) {
    return const_cast<FakeControl&>(control(window, name));
}

// ---- files, registry, processes ----

bool FakePlatform::fileExists(const std::string& path) {
    return files.count(path) != 0;
}

std::optional<std::uint32_t> FakePlatform::fileAttributes(const std::string& path) {
    auto it = files.find(path);
    if (it == files.end()) {
        return std::nullopt;
    }
    return it->second.attributes;
}

bool FakePlatform::setFileAttributes(const std::string& path, std::uint32_t attributes) {
    auto it = files.find(path);
    if (it == files.end()) {
        return false;
    }
    it->second.attributes = attributes;
    log.push_back("setFileAttributes " + path + " " + std::to_string(attributes));
    return true;
}

std::optional<std::string> FakePlatform::readFile(const std::string& path) {
    auto it = files.find(path);
    if (it == files.end() || (it->second.attributes & kAttrDirectory) ||
        unreadableFiles.count(path) != 0) {
        return std::nullopt;
    }
    return it->second.bytes;
}

bool FakePlatform::canWriteIn(const std::string& directory) {
    return !writesFail && unwritableDirectories.count(directory) == 0;
}

bool FakePlatform::createDirectory(const std::string& path) {
    return canWriteIn(path.substr(0, path.rfind('\\')));
}

bool FakePlatform::writeFile(const std::string& path, const std::string& bytes) {
    if (!canWriteIn(path.substr(0, path.rfind('\\')))) {
        return false;
    }
    auto it = files.find(path);
    if (it != files.end() && (it->second.attributes & (kAttrReadOnly | kAttrDirectory))) {
        return false;
    }
    FakeFile& file = files[path];
    file.bytes = bytes;
    ++file.writes;
    file.unlockedWrites += lockedFiles_.count(path) == 0 ? 1 : 0;
    return true;
}

void FakePlatform::lockFile(const std::string& path) {
    EXPECT_TRUE(lockedFiles_.insert(path).second) << "locked twice: " << path;
}

void FakePlatform::unlockFile(const std::string& path) {
    EXPECT_EQ(lockedFiles_.erase(path), 1u) << "not locked: " << path;
}

bool FakePlatform::writeRegistryString(RegistryRoot root, const std::string& key,
                                       const std::string& valueName, const std::string& value) {
    if (root == RegistryRoot::LocalMachine && localMachineWritesFail) {
        return false;
    }
    registry[registryPath(root, key, valueName)] = value;
    return true;
}

bool FakePlatform::deleteRegistryValue(RegistryRoot root, const std::string& key,
                                       const std::string& valueName) {
    return registry.erase(registryPath(root, key, valueName)) != 0;
}

bool FakePlatform::startProcess(const std::string& commandLine) {
    startedProcesses.push_back(commandLine);
    log.push_back("startProcess " + commandLine);
    return true;
}

void FakePlatform::exitProcess(int code) {
    exited = true;
    exitCode = code;
    log.push_back("exitProcess " + std::to_string(code));
}

bool FakePlatform::requestSystemShutdown(bool force) {
    shutdownRequests.push_back(force);
    return true;
}

bool FakePlatform::openUrl(const std::string& url) {
    openedUrls.push_back(url);
    return true;
}

// ---- windows ----

WindowId FakePlatform::createWindow(const WindowSpec& design, EventSink& sink, WindowId owner) {
    auto w = std::make_unique<FakeWindow>();
    w->design = design;
    w->sink = &sink;
    w->owner = owner;
    w->rect = design.rect;
    for (const ControlSpec& c : design.controls) {
        FakeControl fc;
        fc.design = c;
        fc.text = c.text;
        fc.visible = c.visible;
        fc.enabled = c.enabled;
        if (c.kind == ControlKind::Tab) {
            fc.selection = 0;
        }
        w->controls.push_back(fc);
    }
    const WindowId id = nextWindow_++;
    windows_[id] = std::move(w);
    log.push_back("createWindow " + design.title);
    return id;
}

void FakePlatform::destroyWindow(WindowId window) {
    destroy(window, kClosed);
}

void FakePlatform::destroyBySystem(WindowId window) {
    // Windows takes the owned windows down first.
    for (const WindowId owned : openWindows()) {
        if (windows_.count(owned) != 0 && windows_[owned]->owner == window) {
            destroy(owned, kDestroyedUnasked);
        }
    }
    destroy(window, kDestroyedUnasked);
}

void FakePlatform::destroy(WindowId window, int how) {
    auto it = windows_.find(window);
    if (it == windows_.end()) {
        return;
    }
    log.push_back("destroyWindow " + it->second->design.title);
    // As in Windows, the window no longer exists but can still be asked about
    // while its Destroyed event is handled.
    FakeWindow& dying = *(dying_[window] = std::move(it->second));
    windows_.erase(it);
    // What Windows ties to a window goes with it.
    std::erase_if(hotkeys, [window](const Hotkey& h) { return h.window == window; });
    trayIconShown = trayIconShown && trayWindow_ != window;
    dying.sink->onEvent(Event{window, "", EventKind::Destroyed, how});
    dying_.erase(window);
}

bool FakePlatform::windowExists(WindowId window) {
    return windows_.count(window) != 0;
}

void FakePlatform::runModal(WindowId window) {
    if (!windowExists(window)) {
        return;
    }
    ++this->window(window).modalDepth;
    log.push_back("runModal " + this->window(window).design.title);
    if (onModal) {
        onModal(window);
    }
    // A modal loop only returns once its window is gone.
    destroyWindow(window);
}

void FakePlatform::runEventLoop() {
    log.push_back("runEventLoop");
}

void FakePlatform::bringToFront(WindowId window) {
    log.push_back("bringToFront " + this->window(window).design.title);
}

void FakePlatform::setWindowVisible(WindowId window, bool visible) {
    this->window(window).visible = visible;
}

bool FakePlatform::windowVisible(WindowId window) {
    return this->window(window).visible;
}

Rect FakePlatform::windowRect(WindowId window) {
    return this->window(window).rect;
}

void FakePlatform::moveWindow(WindowId window, int left, int top) {
    FakeWindow& w = this->window(window);
    w.rect.left = left;
    w.rect.top = top;
}

void FakePlatform::setText(WindowId window, const std::string& control, const std::string& text) {
    FakeControl& c = mutableControl(window, control);
    c.text = text;
    if (c.design.kind == ControlKind::Edit) {
        fire(window, control, EventKind::Changed);
    }
}

std::string FakePlatform::text(WindowId window, const std::string& control) {
    const FakeControl& c = this->control(window, control);
    if (c.design.kind == ControlKind::DropDownList) {
        const int i = c.selection;
        return i >= 0 && i < static_cast<int>(c.design.items.size()) ? c.design.items[i] : "";
    }
    return c.text;
}

void FakePlatform::setVisible(WindowId window, const std::string& control, bool visible) {
    mutableControl(window, control).visible = visible;
}

bool FakePlatform::visible(WindowId window, const std::string& control) {
    return this->control(window, control).visible;
}

void FakePlatform::setEnabled(WindowId window, const std::string& control, bool enabled) {
    mutableControl(window, control).enabled = enabled;
}

bool FakePlatform::enabled(WindowId window, const std::string& control) {
    return this->control(window, control).enabled;
}

void FakePlatform::setChecked(WindowId window, const std::string& control, bool checked) {
    mutableControl(window, control).checked = checked;
}

bool FakePlatform::checked(WindowId window, const std::string& control) {
    return this->control(window, control).checked;
}

void FakePlatform::setSelection(WindowId window, const std::string& control, int index) {
    FakeControl& c = mutableControl(window, control);
    const int count = static_cast<int>(c.design.items.size());
    c.selection = index >= 0 && index < count ? index : -1;
    if (c.design.kind == ControlKind::Tab && c.selection >= 0) {
        fire(window, control, EventKind::PageChanged, c.selection);
    }
}

int FakePlatform::selection(WindowId window, const std::string& control) {
    return this->control(window, control).selection;
}

void FakePlatform::setFocus(WindowId window, const std::string& control) {
    this->window(window).focus = control;
    if (this->control(window, control).design.kind == ControlKind::Edit) {
        fire(window, control, EventKind::FocusGained);
    }
}

std::string FakePlatform::focusedControl(WindowId window) {
    return this->window(window).focus;
}

void FakePlatform::setPicture(WindowId window, const std::string& control,
                              const std::string& iconBytes) {
    mutableControl(window, control).picture = iconBytes;
}

void FakePlatform::setTimer(WindowId window, const std::string& timer, int periodMs) {
    this->window(window).timers[timer] = periodMs;
}

int FakePlatform::messageBox(WindowId owner, const std::string& text, const std::string& title,
                             unsigned style) {
    int answer = kIdOk;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: title \"" << title << "\" text \"" << text
                      << "\"";
    } else {
        answer = answers_.front();
        answers_.pop_front();
    }
    messageBoxes.push_back(ShownMessageBox{owner, text, title, style, answer});
    return answer;
}

int FakePlatform::popupMenu(WindowId, const std::vector<MenuItem>& items) {
    menus.push_back(items);
    if (onPopupMenu) {
        onPopupMenu();
    }
    return menuChoice;
}

int FakePlatform::registerHotkey(WindowId window, const std::string& target, unsigned modifiers,
                                 unsigned virtualKey) {
    char mask[16];
    std::snprintf(mask, sizeof mask, "%#x", modifiers);
    log.push_back("registerHotkey " + std::string(mask) + " " + std::to_string(virtualKey));
    // As on Windows, kModNoRepeat does not make another combination.
    const auto same = [&](unsigned m, unsigned vk) {
        return (m & ~kModNoRepeat) == (modifiers & ~kModNoRepeat) && vk == virtualKey;
    };
    const bool taken = std::any_of(takenHotkeys.begin(), takenHotkeys.end(),
                                   [&](const auto& t) { return same(t.first, t.second); }) ||
                       std::any_of(hotkeys.begin(), hotkeys.end(), [&](const Hotkey& h) {
                           return same(h.modifiers, h.virtualKey);
                       });
    if (taken) {
        return 0;
    }
    int id = 1;  // the lowest free identifier, as the Win32 layer gives them
    while (
        std::any_of(hotkeys.begin(), hotkeys.end(), [id](const Hotkey& h) { return h.id == id; })) {
        ++id;
    }
    hotkeys.push_back(Hotkey{window, target, modifiers, virtualKey, id});
    return id;
}

void FakePlatform::unregisterHotkey(WindowId, int id) {
    log.push_back("unregisterHotkey " + std::to_string(id));
    hotkeys.erase(std::remove_if(hotkeys.begin(), hotkeys.end(),
                                 [id](const Hotkey& h) { return h.id == id; }),
                  hotkeys.end());
}

bool FakePlatform::addTrayIcon(WindowId window, const std::string& iconPath,
                               const std::string& tooltip) {
    trayIconShown = true;
    trayWindow_ = window;
    trayIconPath = iconPath;
    trayTooltip = tooltip;
    log.push_back("addTrayIcon");
    return true;
}

void FakePlatform::removeTrayIcon(WindowId) {
    trayIconShown = false;
    log.push_back("removeTrayIcon");
}

// ---- window effects ----

NativeHandle FakePlatform::nativeHandle(WindowId window) {
    return kHandleBase + static_cast<NativeHandle>(window) * 16;
}

long FakePlatform::getWindowLongA(WindowId window, int index) {
    effectCalls.push_back(
        {"GetWindowLongA", {static_cast<long long>(nativeHandle(window)), index}, ""});
    return this->window(window).exStyle;
}

void FakePlatform::setWindowLongA(WindowId window, int index, long value) {
    effectCalls.push_back(
        {"SetWindowLongA", {static_cast<long long>(nativeHandle(window)), index, value}, ""});
    this->window(window).exStyle = value;
}

void FakePlatform::setLayeredWindowAttributes(WindowId window, Color key, int alpha,
                                              unsigned flags) {
    effectCalls.push_back({"SetLayeredWindowAttributes",
                           {static_cast<long long>(nativeHandle(window)), key, alpha, flags},
                           ""});
}

NativeHandle FakePlatform::findWindowA(const std::string& className) {
    effectCalls.push_back({"FindWindowA", {}, className});
    auto it = topLevelByClass.find(className);
    return it == topLevelByClass.end() ? 0 : it->second;
}

NativeHandle FakePlatform::getWindow(NativeHandle window, unsigned command) {
    effectCalls.push_back({"GetWindow", {static_cast<long long>(window), command}, ""});
    auto it = firstChild.find(window);
    return command == 5 && it != firstChild.end() ? it->second : 0;
}

void FakePlatform::setParent(WindowId window, NativeHandle parent) {
    effectCalls.push_back(
        {"SetParent",
         {static_cast<long long>(nativeHandle(window)), static_cast<long long>(parent)},
         ""});
    this->window(window).parent = parent;
}

bool FakePlatform::snapshotWindow(WindowId window, const std::string& bitmapPath) {
    const Rect r = windowRect(window);
    return writeFile(bitmapPath,
                     "BM snapshot " + std::to_string(r.width) + "x" + std::to_string(r.height));
}

void FakePlatform::setWindowShape(WindowId window, const std::string& bitmapPath, Color key) {
    effectCalls.push_back({"SetWindowShape", {static_cast<long long>(key)}, bitmapPath});
    this->window(window).shapeBitmap = bitmapPath;
}

}  // namespace varnel::testing
