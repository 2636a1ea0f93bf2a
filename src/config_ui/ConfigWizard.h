// The configuration window "Varnel 程序配置": pages, navigation, openers.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace varnel {

struct Program;

WindowSpec configWizardSpec();
// Stores the page and opens the wizard modally (menu items).
void openConfigWizard(Program& program, std::int16_t page);
// Opens the wizard on wizardStartPage, or brings up the open one.
void showConfigWizard(Program& program, bool modal);
void showAboutBox(Program& program);

// Every event of the wizard window, handed to the page that handles it.
void onConfigWizardEvent(Program& program, const Event& event);

}  // namespace varnel
