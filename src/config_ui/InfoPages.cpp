// Page 0 (welcome), page 5 (finish) and the About box, which the main
// window's menu opens as well.
#include <array>

#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "config_ui/HomePage.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"
#include "core/Program.h"

namespace varnel {

namespace wizard {

namespace {

constexpr std::array<const char*, 14> kWelcomeLines = {
    "                         欢迎使用Varnel小程序",
    "",
    "",
    "  本向导设置如下：(如果您是第一次使用本软件,建议您完成此向导,跳过本向导系统将使用默认设置,"
    "定时时间为11点,请注意!)",
    "",
    "  1.设置Varnel时间  (如果您的系统是12小时制，请将所要“定时的时间”设置为24小时制的数值)",
    "     在“每周：”一行选择每周哪几天关机 (零点以后的时间算作它自己的那一天)",
    "  2.设置常用的配置选项  (如果某些程序影响了关机速度，建议选中快速关机项目)",
    "",
    "  3.热键设置  "
    "(本程序使用了穿透与透明效果，不能直接操作程序主窗口，请使用热键操作所需要的设置)",
    "",
    "  4.移动窗口位置  (如果设置了系统分辨率后出现了窗口位置显示错误，请使用移动窗口位置)",
    "",
    "  5.完成设置  (点击完成才能保存全部设置)",
};

void onAboutDoubleClicked(Program& program, const Event&) {
    showAboutBox(program);
}

void onRestoreDoubleClicked(Program& program, const Event&) {
    confirmRestoreDefaults(program);
}

// Checking for updates means looking at the home page.
void onOpenHomePage(Program& program, const Event&) {
    program.platform.openUrl(kHomePage);
}

constexpr Route kRoutes[] = {
    {kAboutLabel, EventKind::DoubleClicked, onAboutDoubleClicked},
    {kRestoreLabel, EventKind::DoubleClicked, onRestoreDoubleClicked},
    {kLowerRestoreLabel, EventKind::DoubleClicked, onRestoreDoubleClicked},
    {kDownloadLink, EventKind::Clicked, onOpenHomePage},
    {kUpdateButton, EventKind::Clicked, onOpenHomePage},
};

}  // namespace

std::string welcomeText() {
    std::string text = kWelcomeLines.front();
    for (std::size_t i = 1; i < kWelcomeLines.size(); ++i) {
        text += "\r\n";
        text += kWelcomeLines[i];
    }
    return text;
}

std::string versionText() {
    return std::string(" 当前版本 V1.5\r\n欢迎下载最新版本！\r\n") + kHomePageName + "下载地址：";
}

std::span<const Route> infoPageRoutes() {
    return kRoutes;
}

}  // namespace wizard

void showAboutBox(Program& program) {
    const WindowId owner = program.configWizard != 0 ? program.configWizard : program.mainWindow;
    const std::string text = std::string(
                                 "欢迎使用！\r\n"
                                 "对本程序的源代码有兴趣，欢迎通过项目主页与作者联系。\r\n\r\n"
                                 "Varnel 项目\r\n\r\n") +
                             kHomePageName + "：" + kHomePage +
                             "\r\n\r\n版权所有 (C) 2026 Varnel 项目，保留所有权利。";
    program.platform.messageBox(owner, text, "关于", kMbOkInformation);
}

}  // namespace varnel
