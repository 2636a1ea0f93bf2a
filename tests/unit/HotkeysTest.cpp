// The four global hotkeys: registration, captions, dispatch, the confirm rule
// of the shutdown hotkey and the hotkey reference file with its help box.
#include "app/StartUp.h"
#include "core/Program.h"
#include "hotkeys/HotkeyReference.h"
#include "hotkeys/Hotkeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::Log;

class HotkeyTest : public ::testing::Test {
protected:
    HotkeyTest() {
        createMainWindow(program);
        fake.setWindowVisible(program.mainWindow, true);
        bindAll("0", "8");
    }
    // Keys 9, 10 and 11 (F10, F11, F12) for configuration, show/hide and exit.
    void bindAll(const std::string& modifier, const char* shutdownKey) {
        const char* keys[] = {"9", "10", "11", shutdownKey};
        for (int i = 0;
             const char* section : {"打开软件配置程序", "显示或隐藏窗口", "退出程序", "热键关机"}) {
            program.settings.writeSetting(section, "1", modifier);
            program.settings.writeSetting(section, "2", keys[i++]);
        }
    }
    void press(int id) { fake.pressHotkey(id); }

    testing::FakePlatform fake;
    Program program{fake};
};

TEST_F(HotkeyTest, RegistersInTableOrderWithoutRepeatAndCaptionsEachLabel) {
    const std::tuple<const char*, const char*, const char*> kBindings[] = {
        {"0", "0x4002",
         "配置选项'Ctrl'＋'F10'键|显示/"
         "隐藏窗口'Ctrl'＋F11键|退出程序'Ctrl'＋'F12'键|热键关机'Ctrl'＋'F1'键"},
        {"1", "0x4001",
         "配置选项'Alt'＋'F10'键|显示/"
         "隐藏窗口'Alt'＋'F11'键|退出程序'Alt'＋'F12'键|热键关机'Alt'＋'F1'键"},
        {"2", "0x4004",
         "配置选项'Shift'＋'F10'键|显示或/"
         "藏窗口Shift＋F11键|退出程序'Shift'＋'F12'键|热键关机'Shift'＋'F1'键"}};
    for (const auto& [modifier, mask, captions] : kBindings) {
        bindAll(modifier, "0");
        fake.log.clear();
        registerHotkeys(program);
        const std::string m = mask;
        EXPECT_EQ(fake.calls("hotkey"), (Log{"hotkey " + m + " 121", "hotkey " + m + " 122",
                                             "hotkey " + m + " 123", "hotkey " + m + " 112"}));
        std::string shown;
        for (const char* label : {"标签7", "标签6", "标签5", "标签9"}) {
            shown += (shown.empty() ? "" : "|") + fake.text(program.mainWindow, label);
        }
        EXPECT_EQ(shown, captions);
        EXPECT_EQ((std::array{program.configHotkeyId, program.toggleHotkeyId, program.exitHotkeyId,
                              program.shutdownHotkeyId}),
                  (std::array{1, 2, 3, 4}));
        unregisterHotkeys(program);
        EXPECT_EQ(fake.calls("unhotkey"),
                  (Log{"unhotkey 1", "unhotkey 2", "unhotkey 3", "unhotkey 4"}));
    }
}

// A refused registration keeps its caption, an unrecognised binding (only
// "0", "1" and "2" count) makes no attempt and leaves it; both warn.
TEST_F(HotkeyTest, RefusedAndUnrecognisedBindingsWarnAndShapeTheSummary) {
    program.settings.writeSetting("退出程序", "1", "0.0");
    program.settings.writeSetting("打开软件配置程序", "2", "20");  // past F12
    fake.taken.push_back({0, "", kModControl, 122, 0});            // show/hide, held elsewhere
    fake.answerNextMessageBox(kIdOk);
    fake.answerNextMessageBox(kIdOk);
    registerHotkeys(program);
    EXPECT_EQ(fake.calls("hotkey"),
              (Log{"hotkey 0x4002 132", "hotkey 0x4002 122", "hotkey 0x4002 120"}));
    EXPECT_EQ(fake.calls("box"),
              (Log{"box 0x30 Varnel: 注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!",
                   "box 0x30 Varnel: 注册‘退出程序’热键失败，请尝试更改其它热键!"}));
    EXPECT_EQ(program.hotkeySummary,
              "    ①配置选项'Ctrl'＋'F21'键\r\n   ②②显示/隐藏窗口'Ctrl'＋F11键\r\n  ③  ③"
              "\r\n ④    ④热键关机'Ctrl'＋'F9'键");
    unregisterHotkeys(program);
    EXPECT_EQ(fake.calls("unhotkey"),
              (Log{"unhotkey 1", "unhotkey 0", "unhotkey 0", "unhotkey 2"}));
    registerHotkeys(program, RefusalMessages::Skip);  // a message would fail the test
}

// Equal identifiers only arise when registrations fail; they show the order.
TEST_F(HotkeyTest, DispatchTriesExitThenToggleThenConfigThenShutdown) {
    onHotkey(program, 7);  // nobody's
    program.exitHotkeyId = program.toggleHotkeyId = 7;
    onHotkey(program, 7);
    EXPECT_EQ(fake.log, (Log{"exit 0"}));
    program.exitHotkeyId = 0;
    program.configHotkeyId = program.shutdownHotkeyId = 7;
    for (const bool shown : {false, true}) {
        onHotkey(program, 7);
        EXPECT_EQ(fake.windowVisible(program.mainWindow), shown);
    }
    program.toggleHotkeyId = 0;
    onHotkey(program, 7);  // the configuration window, without waiting for it
    EXPECT_NE(program.configWizard, 0);
    EXPECT_EQ(program.countdownWindow, 0);
    EXPECT_EQ(fake.log, (Log{"exit 0"}));
}

// Unlike the menu's exit: the countdown style and the registrations stay.
TEST_F(HotkeyTest, TheExitHotkeyRemovesTheTrayIconOnlyWhenItIsShown) {
    registerHotkeys(program);
    for (const bool trayIcon : {false, true}) {
        program.settings.writeOption("显示托盘图标", trayIcon);
        fake.log.clear();
        press(program.exitHotkeyId);
        EXPECT_EQ(fake.log, (trayIcon ? Log{"untray", "exit 0"} : Log{"exit 0"}));
    }
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
    press(program.shutdownHotkeyId);
    EXPECT_NE(program.countdownWindow, 0);
    press(program.shutdownHotkeyId);    // within the first second
    EXPECT_EQ(fake.windowCount(), 2u);  // brought up, not doubled
    EXPECT_EQ(tick(2), 1000);
    EXPECT_EQ(tick(1), 0);
    press(program.shutdownHotkeyId);
    tick(1);
    EXPECT_TRUE(fake.calls("shutdown").empty());
    fake.answerNextMessageBox(kIdOk);
    press(program.shutdownHotkeyId);
    EXPECT_EQ(fake.calls("shutdown"), Log{"shutdown 1"});
    EXPECT_EQ(fake.calls("box"), Log{"box 0 Varnel: 正在关机。。。"});
    EXPECT_TRUE(fake.calls("exit").empty());  // the system ends the program
    EXPECT_EQ(tick(1), 1000);                 // the count goes on
    EXPECT_EQ(tick(1), 0);
}

TEST_F(HotkeyTest, TheReferenceFileHoldsTheSummaryAndTheHelpShowsItUpToAZeroByte) {
    const std::string path = fake.path("\\常用热键.txt");
    const auto help = [&] {
        fake.answerNextMessageBox(kIdOk);
        showHotkeyHelp(program);
        return fake.log.back();
    };
    const std::string header = "box 0x40 帮助: \r\n程序全局热键如下：\r\n\r\n";
    const std::string footer =
        "\r\n\r\n以上热键只做参考\r\n具体热键请参照‘功能设置>设置全局热键’\r\n"
        "使用热键可进入配置窗口更改为自己的的热键！";
    EXPECT_EQ(help(), header + footer);
    writeHotkeyReference(program, "    ①配置");
    EXPECT_EQ(fake.files[path].bytes, "    \xA2\xD9\xC5\xE4\xD6\xC3");
    // Read-only is cleared (leaving the system bit), other attributes stay.
    const std::pair<std::uint32_t, std::uint32_t> kAttributes[] = {
        {kAttrReadOnly | kAttrArchive, kAttrSystem | kAttrArchive},
        {kAttrHidden | kAttrArchive, kAttrHidden | kAttrArchive}};
    for (const auto& [before, after] : kAttributes) {
        fake.files[path] = {"old", before};
        writeHotkeyReference(program, "new");
        EXPECT_EQ(fake.files[path].bytes + std::to_string(fake.files[path].attributes),
                  "new" + std::to_string(after));
    }
    fake.files[path].bytes = std::string("\xBE\xC9\xB5\xC4\0cd", 7);  // 旧的
    fake.unwritable.insert(fake.exeDir);
    writeHotkeyReference(program, "new");  // fails: the old file stays for the help
    EXPECT_EQ(help(), header + "旧的" + footer);
}

}  // namespace
}  // namespace varnel
