// Page 2, the option check boxes, and page 4, moving the main window.
// Starting with Windows and shutting down at start exclude each other, and
// shutting down at start is only taken after a confirmation.
#include "clock/MainWindow.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"
#include "core/Program.h"

namespace varnel::wizard {

namespace {

void onStartWithWindowsClicked(Program& program, const Event&) {
    Platform& platform = program.platform;
    if (platform.checked(program.configWizard, kStartWithWindowsBox)) {
        platform.setEnabled(program.configWizard, kShutdownAtStartBox, false);
        platform.setChecked(program.configWizard, kShutdownAtStartBox, false);
    } else {
        platform.setEnabled(program.configWizard, kShutdownAtStartBox, true);
    }
}

void onShutdownAtStartClicked(Program& program, const Event&) {
    Platform& platform = program.platform;
    if (!platform.checked(program.configWizard, kShutdownAtStartBox)) {
        return;
    }
    const int answer = platform.messageBox(
        program.configWizard, "此项请谨慎选择！\r\n点击‘是’确定选择 点击 ‘否’ 取消选择。",
        "程序起动后立即关机 选项", kMbYesNoInformation);
    if (answer != kIdYes) {
        platform.setChecked(program.configWizard, kShutdownAtStartBox, false);
    }
}

void onHorizontalSpin(Program& program, const Event& event) {
    moveMainWindow(program, false, event.arg);
}

void onVerticalSpin(Program& program, const Event& event) {
    moveMainWindow(program, true, event.arg);
}

constexpr Route kRoutes[] = {
    {kStartWithWindowsBox, EventKind::Clicked, onStartWithWindowsClicked},
    {kShutdownAtStartBox, EventKind::Clicked, onShutdownAtStartClicked},
    {kHorizontalSpin, EventKind::Spin, onHorizontalSpin},
    {kVerticalSpin, EventKind::Spin, onVerticalSpin},
};

}  // namespace

void enableShutdownAtStartBox(Program& program) {
    if (!program.platform.checked(program.configWizard, kStartWithWindowsBox)) {
        program.platform.setEnabled(program.configWizard, kShutdownAtStartBox, true);
    }
}

std::span<const Route> optionsPageRoutes() {
    return kRoutes;
}

}  // namespace varnel::wizard
