// The configuration window "Varnel 程序配置": pages, navigation, openers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace varnel {

struct Program;

WindowSpec configWizardSpec();
// Stores the page and opens the wizard modally (menu items).
void openConfigWizard(Program& program, std::int16_t page);
// Opens the wizard on wizardStartPage, or brings up the open one.
void showConfigWizard(Program& program, bool modal);
void showAboutBox(Program& program);

class ConfigWizardEvents : public EventSink {
public:
    explicit ConfigWizardEvents(Program& program) : program_(program) {}
    void onEvent(const Event& event) override;

    // What each hotkey list ([group][modifier, function key]) showed after its
    // last accepted change: the text to go back to when a list is changed
    // with its drop-down closed.
    std::array<std::array<std::string, 2>, 4> hotkeyListTexts;

private:
    Program& program_;
};

}  // namespace varnel
