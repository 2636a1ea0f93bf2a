// Opening, creating and destroying the configuration window, and the routing
// of its events to the handlers of its pages.
#include <array>

#include "config_ui/ConfigWizard.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"
#include "config_ui/WizardSettings.h"
#include "core/Program.h"

namespace varnel {

namespace {

using namespace wizard;

void centreOnScreen(Program& program) {
    Platform& platform = program.platform;
    const Rect rect = platform.windowRect(program.configWizard);
    const Size screen = platform.screenSize();
    platform.moveWindow(program.configWizard, (screen.width - rect.width) / 2,
                        (screen.height - rect.height) / 2);
}

void createWizard(Program& program) {
    Platform& platform = program.platform;
    program.configWizardEvents.route(onConfigWizardEvent);
    program.configWizard =
        platform.createWindow(configWizardSpec(), program.configWizardEvents, program.mainWindow);
    platform.setEnabled(program.configWizard, kPreviousButton, false);
    loadWizardSettings(program);
    enableShutdownAtStartBox(program);
    rememberHotkeyLists(program);
    // Reports PageChanged, which sets the navigation buttons for the page.
    platform.setSelection(program.configWizard, kTabs, program.wizardStartPage);
    centreOnScreen(program);
    platform.setWindowVisible(program.configWizard, true);
}

}  // namespace

void openConfigWizard(Program& program, std::int16_t page) {
    program.wizardStartPage = page;
    showConfigWizard(program, true);
}

void showConfigWizard(Program& program, bool modal) {
    if (program.configWizard != 0) {
        program.platform.bringToFront(program.configWizard);
        return;
    }
    createWizard(program);
    if (modal) {
        program.platform.runModal(program.configWizard);
    }
}

void onConfigWizardEvent(Program& program, const Event& event) {
    const std::array<std::span<const Route>, 5> pages = {navigationRoutes(), timePageRoutes(),
                                                         optionsPageRoutes(), hotkeyPageRoutes(),
                                                         infoPageRoutes()};
    for (std::span<const Route> routes : pages) {
        for (const Route& route : routes) {
            if (route.kind == event.kind &&
                (route.control.empty() || route.control == event.control)) {
                route.handler(program, event);
                return;
            }
        }
    }
}

}  // namespace varnel
