// A program with a main window and a settings file written by the test, for
// driving the tick and the countdown window through the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Program.h"
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel::testing {

class ScheduleTest : public ::testing::Test {
protected:
    ScheduleTest() { createMainWindow(program); }

    // The whole settings file, lines separated by "\n" in the test's text.
    void settingsFile(const std::string& lines) {
        std::string text;
        for (char c : lines) {
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        fake.setFileUtf8(fake.path(keys::kFileName), text);
    }
    std::string setting(const char* section, const char* key) {
        return program.settings.readSetting(section, key);
    }
    void at(int hour, int minute, int second, int millisecond = 0) {
        fake.clock.hour = hour;
        fake.clock.minute = minute;
        fake.clock.second = second;
        fake.clock.millisecond = millisecond;
    }

    WindowId open(bool modal = false) {
        openCountdownWindow(program, modal);
        return program.countdownWindow;
    }
    WindowId window() const { return program.countdownWindow; }
    std::string text(const char* control) { return fake.text(window(), control); }
    bool enabled(const char* control) { return fake.enabled(window(), control); }
    bool visible(const char* control) { return fake.visible(window(), control); }
    void click(const char* control) { fake.click(window(), control); }
    void type(const char* control, const std::string& text) { fake.type(window(), control, text); }
    void fire(const char* control, EventKind kind, int arg = 0) {
        fake.fire(window(), control, kind, arg);
    }
    int countdownWindowsOpen() {
        int count = 0;
        for (WindowId id : fake.openWindows()) {
            count += fake.window(id).design.title == countdown::kTitle ? 1 : 0;
        }
        return count;
    }

    FakePlatform fake;
    Program program{fake};
};

}  // namespace varnel::testing
