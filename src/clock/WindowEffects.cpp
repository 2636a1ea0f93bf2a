#include "clock/WindowEffects.h"

#include "clock/MainWindow.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr const char* kSnapshotFile = "\\窗口.bmp";

// The literal user32 values.
constexpr int kGwlExStyle = -20;
constexpr long kWsExTransparent = 0x20;  // clicks fall through
constexpr long kWsExLayered = 0x80000;
constexpr Color kNoColorKey = 0;
constexpr int kAlpha = 100;  // of 255
constexpr unsigned kLwaAlpha = 2;
constexpr const char* kDesktopClass = "ProgMan";
constexpr unsigned kGwChild = 5;

std::string snapshotPath(const Program& program) {
    return program.settings.dataDirectory() + kSnapshotFile;
}

}  // namespace

void setWindowShape(Program& program) {
    // A failed snapshot leaves the previous bitmap to shape the window.
    program.platform.snapshotWindow(program.mainWindow, snapshotPath(program));
    applySavedWindowShape(program);
}

void applySavedWindowShape(Program& program) {
    program.platform.setWindowShape(program.mainWindow, snapshotPath(program),
                                    kMainWindowBackground);
}

void applyWindowEffects(Program& program) {
    applyWindowStyle(program);
    embedInDesktop(program);
}

void applyWindowStyle(Program& program) {
    Platform& platform = program.platform;
    long style = platform.getWindowLongA(program.mainWindow, kGwlExStyle);
    style |= kWsExTransparent;
    style |= kWsExLayered;
    platform.setWindowLongA(program.mainWindow, kGwlExStyle, style);
    platform.setLayeredWindowAttributes(program.mainWindow, kNoColorKey, kAlpha, kLwaAlpha);
}

void embedInDesktop(Program& program) {
    if (!program.settings.readOption(keys::kEmbedInDesktop)) {
        return;
    }
    // Null handles are passed on: without the desktop window nothing moves.
    Platform& platform = program.platform;
    const NativeHandle desktop = platform.findWindowA(kDesktopClass);
    platform.setParent(program.mainWindow, platform.getWindow(desktop, kGwChild));
}

}  // namespace varnel
