#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"
#include "tray/TrayMenu.h"

namespace varnel {
namespace {

using testing::FakePlatform;

class TrayMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        createMainWindow(program);
        fake.setWindowVisible(program.mainWindow, true);
    }
    bool mainVisible() { return fake.windowVisible(program.mainWindow); }
    void trayNotify(int kind) { fake.fire(program.mainWindow, "", EventKind::TrayNotify, kind); }
    bool logged(const std::string& entry) {
        return std::find(fake.log.begin(), fake.log.end(), entry) != fake.log.end();
    }

    FakePlatform fake;
    Program program{fake};
};

// ---- the tray icon ----

TEST_F(TrayMenuTest, IconFromTheFileBesideTheExeOnlyWhenTheOptionHoldsExactlyTrue) {
    addTrayIcon(program);  // no settings file
    program.settings.writeSetting(keys::kShowTrayIcon, keys::kOptionKey, "是");
    addTrayIcon(program);
    EXPECT_FALSE(fake.trayIconShown);

    program.settings.writeOption(keys::kShowTrayIcon, true);
    addTrayIcon(program);
    EXPECT_TRUE(fake.trayIconShown);
    EXPECT_EQ(fake.trayIconPath, "C:\\Program Files\\Varnel\\图标.ico");
    EXPECT_EQ(fake.trayTooltip, "Varnel程序");
}

TEST_F(TrayMenuTest, RightClickPopsTheMenuAnyOtherKindTogglesOncePerNotification) {
    trayNotify(kTrayLeftClick);
    EXPECT_FALSE(mainVisible());
    trayNotify(kTrayLeftClick);
    EXPECT_TRUE(mainVisible());
    trayNotify(2);
    EXPECT_FALSE(mainVisible());
    EXPECT_TRUE(fake.menus.empty());
    trayNotify(kTrayRightClick);  // the menu, no toggle
    EXPECT_EQ(fake.menus.size(), 1u);
    EXPECT_FALSE(mainVisible());
}

// ---- the menu "我的菜单" ----

std::vector<std::string> texts(const std::vector<MenuItem>& items) {
    std::vector<std::string> result;
    for (const MenuItem& item : items) {
        result.push_back(item.text);
    }
    return result;
}

TEST_F(TrayMenuTest, MenuItemsInDisplayOrderWithTheSettingsSubmenu) {
    popupMainMenu(program);
    ASSERT_EQ(fake.menus.size(), 1u);
    const std::vector<MenuItem>& menu = fake.menus[0];

    EXPECT_EQ(texts(menu),
              (std::vector<std::string>{"显示窗口", "隐藏窗口", "", "功能设置", "倒计时关机窗口",
                                        "", "帮助", "关于", "退出"}));
    EXPECT_EQ(texts(menu[3].submenu),
              (std::vector<std::string>{"设置关机时间", "设置全局热键", "调整窗口位置"}));
}

class MenuChoiceTest : public TrayMenuTest {
protected:
    // Picks the item with this text the way the user does: the menu pops up,
    // the platform returns that item's command.
    void choose(const std::string& text) {
        fake.onPopupMenu = [this, text] {
            fake.menuChoice = commandOf(fake.menus.back(), text);
            ASSERT_NE(fake.menuChoice, 0) << "no menu item " << text;
        };
        popupMainMenu(program);
    }
    static int commandOf(const std::vector<MenuItem>& items, const std::string& text) {
        for (const MenuItem& item : items) {
            if (item.text == text) {
                return item.command;
            }
            if (const int sub = commandOf(item.submenu, text)) {
                return sub;
            }
        }
        return 0;
    }
    // Opens the menu item that runs the wizard and reports the page it was asked for.
    int wizardPageOf(const std::string& text) {
        int page = -1;
        fake.onModal = [&](WindowId window) {
            EXPECT_EQ(window, program.configWizard);
            page = program.wizardStartPage;
        };
        choose(text);
        return page;
    }
};

TEST_F(MenuChoiceTest, ShowAndHideWindow) {
    for (const char* item : {"隐藏窗口", "隐藏窗口", "显示窗口", "显示窗口"}) {
        choose(item);
        EXPECT_EQ(mainVisible(), item == std::string("显示窗口")) << item;
    }
}

TEST_F(MenuChoiceTest, SettingsItemsOpenTheWizardModallyOnTheirPage) {
    EXPECT_EQ(wizardPageOf("设置关机时间"), 1);
    EXPECT_EQ(wizardPageOf("设置全局热键"), 3);
    EXPECT_EQ(wizardPageOf("调整窗口位置"), 4);
}

TEST_F(MenuChoiceTest, CountdownItemOpensTheCountdownWindowModally) {
    bool opened = false;
    fake.onModal = [&](WindowId window) {
        EXPECT_EQ(window, program.countdownWindow);
        opened = true;
    };
    choose("倒计时关机窗口");
    EXPECT_TRUE(opened);
}

TEST_F(MenuChoiceTest, HelpAndAboutShowTheirBoxes) {
    for (const char* item : {"帮助", "关于"}) {
        fake.answerNextMessageBox(kIdOk);
        choose(item);
        EXPECT_EQ(fake.messageBoxes.back().title, item);
        EXPECT_EQ(fake.messageBoxes.back().style, kMbOkInformation);
    }
    EXPECT_EQ(fake.messageBoxes.size(), 2u);
}

TEST_F(MenuChoiceTest, ExitEndsTheProgramEvenWithoutTrayIcon) {
    program.settings.writeOption(keys::kShowTrayIcon, false);
    choose("退出");
    EXPECT_TRUE(logged("removeTrayIcon"));
    EXPECT_TRUE(fake.exited);
}

TEST_F(MenuChoiceTest, DismissedMenuDoesNothing) {
    hideMainWindow(program);
    fake.log.clear();
    popupMainMenu(program);
    EXPECT_TRUE(fake.log.empty());
    EXPECT_FALSE(mainVisible());
}

}  // namespace
}  // namespace varnel
