// The four global hotkeys: registration, captions, the shutdown hotkey's confirm rule, exit.
#include "app/StartUp.h"
#include "hotkeys/Hotkeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::Log;

class HotkeyTest : public testing::FakeProgramTest {
protected:
    HotkeyTest() {
        createMainWindow(program);
        bind("0");
    }
    // F10, F11, F12 and F9 for configuration, show/hide, exit and shutdown.
    void bind(const std::string& modifier) {
        const char* keys[] = {"9", "10", "11", "8"};
        for (int i = 0;
             const char* section : {"打开软件配置程序", "显示或隐藏窗口", "退出程序", "热键关机"}) {
            program.settings.writeSetting(section, "1", modifier);
            program.settings.writeSetting(section, "2", keys[i++]);
        }
    }
};

// In table order, without repeat, each hint label captioned for its modifier.
// A refused registration keeps its caption, an unrecognised binding (only
// "0", "1" and "2" count) makes no attempt and leaves it; both warn.
TEST_F(HotkeyTest, RegistersInOrderCaptionsEachLabelAndWarnsOfRefusals) {
    program.settings.writeSetting("打开软件配置程序", "2", "20");  // past F12
    program.settings.writeSetting("显示或隐藏窗口", "1", "2");
    program.settings.writeSetting("退出程序", "1", "0.0");
    program.settings.writeSetting("热键关机", "1", "1");
    fake.taken.push_back({0, "", kModShift, 122, 0});  // show/hide, held elsewhere
    fake.answerNextMessageBox(kIdOk);
    fake.answerNextMessageBox(kIdOk);
    registerHotkeys(program);
    EXPECT_EQ(fake.log, (Log{"hotkey 0x4002 132", "hotkey 0x4004 122",
                             "box 0x30 Varnel: 注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!",
                             "box 0x30 Varnel: 注册‘退出程序’热键失败，请尝试更改其它热键!",
                             "hotkey 0x4001 120"}));
    EXPECT_EQ(program.hotkeySummary,
              "    ①配置选项'Ctrl'＋'F21'键\r\n   ②②显示或/藏窗口Shift＋F11键\r\n  ③  ③"
              "\r\n ④    ④热键关机'Alt'＋'F9'键");
    fake.log.clear();
    unregisterHotkeys(program);
    EXPECT_EQ(fake.log, (Log{"unhotkey 1", "unhotkey 0", "unhotkey 0", "unhotkey 2"}));
    bind("1");
    registerHotkeys(program, RefusalMessages::Skip);  // a message would fail the test
    EXPECT_EQ(fake.text(program.mainWindow, "标签7") + fake.text(program.mainWindow, "标签6") +
                  fake.text(program.mainWindow, "标签5"),
              "配置选项'Alt'＋'F10'键显示/隐藏窗口'Alt'＋'F11'键退出程序'Alt'＋'F12'键");
}

// A press opens the countdown window and (re)starts the 1 s ticker 时钟2; a
// press after one to three ticks shuts down; the third tick ends the period.
TEST_F(HotkeyTest, OnlyAPressOneToThreeTicksAfterTheLastShutsDown) {
    program.settings.writeOption("强行关机", true);
    registerHotkeys(program);
    const auto tick = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            fake.fire(program.mainWindow, "时钟2", EventKind::Timer);
        }
        return fake.timer(program.mainWindow, "时钟2");
    };
    fake.pressHotkey(program.shutdownHotkeyId);
    EXPECT_NE(program.countdownWindow, 0);
    fake.pressHotkey(program.shutdownHotkeyId);  // within the first second
    EXPECT_EQ(fake.windowCount(), 2u);           // brought up, not doubled
    EXPECT_EQ(tick(2), 1000);
    EXPECT_EQ(tick(1), 0);
    fake.pressHotkey(program.shutdownHotkeyId);
    tick(1);
    EXPECT_TRUE(fake.calls("shutdown").empty());
    fake.answerNextMessageBox(kIdOk);
    fake.pressHotkey(program.shutdownHotkeyId);
    EXPECT_EQ(fake.calls("shutdown"), Log{"shutdown 1"});
    EXPECT_EQ(fake.calls("box"), Log{"box 0 Varnel: 正在关机。。。"});
    EXPECT_TRUE(fake.calls("exit").empty());  // the system ends the program
    EXPECT_EQ(tick(1), 1000);                 // the count goes on
    EXPECT_EQ(tick(1), 0);
    fake.pressHotkey(program.configHotkeyId);  // opens the configuration window
    EXPECT_NE(program.configWizard, 0);
    // The exit hotkey, unlike the menu's exit, leaves the countdown style and the
    // registrations and removes the tray icon only when it is shown.
    for (const bool trayIcon : {false, true}) {
        program.settings.writeOption("显示托盘图标", trayIcon);
        fake.log.clear();
        fake.pressHotkey(program.exitHotkeyId);
        EXPECT_EQ(fake.log, (trayIcon ? Log{"untray", "exit 0"} : Log{"exit 0"}));
    }
    EXPECT_EQ(program.settings.readSetting("倒计时窗口样式", "样式"), "");
}

}  // namespace
}  // namespace varnel
