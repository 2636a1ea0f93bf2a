// A program with the default settings file, for driving the configuration
// window through the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "config_ui/WizardControls.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel::testing {

class WizardTest : public ::testing::Test {
protected:
    WizardTest() { restoreDefaults(program); }

    // Opens the wizard the way the hotkey does, on wizardStartPage.
    WindowId open() {
        showConfigWizard(program, false);
        return program.configWizard;
    }
    std::string settingsFile() { return fake.fileUtf8(fake.path(keys::kFileName)); }
    void store(const char* section, const char* key, const std::string& value) {
        program.settings.writeSetting(section, key, value);
    }

    WindowId wizard() const { return program.configWizard; }
    std::string text(const char* control) { return fake.text(wizard(), control); }
    bool enabled(const char* control) { return fake.enabled(wizard(), control); }
    bool checked(const char* control) { return fake.checked(wizard(), control); }
    int selection(const char* control) { return fake.selection(wizard(), control); }
    int page() { return fake.selection(wizard(), wizard::kTabs); }
    void click(const char* control) { fake.click(wizard(), control); }
    void fire(const char* control, EventKind kind, int arg = 0) {
        fake.fire(wizard(), control, kind, arg);
    }
    void goToPage(int page) { fake.setSelection(wizard(), wizard::kTabs, page); }

    FakePlatform fake;
    Program program{fake};
};

}  // namespace varnel::testing
