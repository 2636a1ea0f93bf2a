#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Program.h"
#include "hotkeys/Hotkeys.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

constexpr const char* kCountdownTitle = " 关机提示";
constexpr const char* kWizardTitle = "Varnel 程序配置";

class HotkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        createMainWindow(program);
        fake.setWindowVisible(program.mainWindow, true);
    }

    void bind(const char* section, const std::string& modifier, const std::string& key) {
        program.settings.writeSetting(section, keys::kModifierKey, modifier);
        program.settings.writeSetting(section, keys::kFunctionKey, key);
    }
    // Ctrl+F10, Ctrl+F11, Ctrl+F12, Ctrl+F9.
    void bindDefaults() {
        bind(keys::kConfigHotkey, "0", "9");
        bind(keys::kToggleHotkey, "0", "10");
        bind(keys::kExitHotkey, "0", "11");
        bind(keys::kShutdownHotkey, "0", "8");
    }
    std::string label(const char* name) { return fake.text(program.mainWindow, name); }
    std::vector<std::string> registrations() {
        std::vector<std::string> calls;
        for (const std::string& entry : fake.log) {
            if (entry.rfind("registerHotkey ", 0) == 0) {
                calls.push_back(entry);
            }
        }
        return calls;
    }

    FakePlatform fake;
    Program program{fake};
};

// ---- registration, captions and the summary ----

struct CaptionCase {
    const char* modifierText;
    unsigned modifiers;  // as registered: the modifier's bit and no auto-repeat
    const char* config;
    const char* toggle;
    const char* exit;
    const char* shutdown;
};

class HotkeyCaptionTest : public HotkeyTest, public ::testing::WithParamInterface<CaptionCase> {};

// Keys 9, 10, 11, 0: numbers 10, 11 and 12 and the one-digit 1. The Ctrl
// captions are checked with the summary.
TEST_P(HotkeyCaptionTest, RegistersInTableOrderOnLabel4WithEachLabelsOwnCaption) {
    const CaptionCase& c = GetParam();
    bind(keys::kConfigHotkey, c.modifierText, "9");
    bind(keys::kToggleHotkey, c.modifierText, "10");
    bind(keys::kExitHotkey, c.modifierText, "11");
    bind(keys::kShutdownHotkey, c.modifierText, "0");
    registerHotkeys(program);

    ASSERT_EQ(fake.hotkeys.size(), 4u);
    const unsigned virtualKeys[] = {121, 122, 123, 112};
    const std::int32_t ids[] = {program.configHotkeyId, program.toggleHotkeyId,
                                program.exitHotkeyId, program.shutdownHotkeyId};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(fake.hotkeys[i].window, program.mainWindow);
        EXPECT_EQ(fake.hotkeys[i].target, "标签4");
        EXPECT_EQ(fake.hotkeys[i].modifiers, c.modifiers);
        EXPECT_EQ(fake.hotkeys[i].virtualKey, virtualKeys[i]);
        EXPECT_EQ(fake.hotkeys[i].id, ids[i]);
    }
    EXPECT_EQ(label("标签7"), c.config);
    EXPECT_EQ(label("标签6"), c.toggle);
    EXPECT_EQ(label("标签5"), c.exit);
    EXPECT_EQ(label("标签9"), c.shutdown);
}

INSTANTIATE_TEST_SUITE_P(
    Modifiers, HotkeyCaptionTest,
    ::testing::Values(CaptionCase{"1", 0x4001, "配置选项'Alt'＋'F10'键",
                                  "显示/隐藏窗口'Alt'＋'F11'键", "退出程序'Alt'＋'F12'键",
                                  "热键关机'Alt'＋'F1'键"},
                      CaptionCase{"2", 0x4004, "配置选项'Shift'＋'F10'键",
                                  "显示或/藏窗口Shift＋F11键", "退出程序'Shift'＋'F12'键",
                                  "热键关机'Shift'＋'F1'键"}));

TEST_F(HotkeyTest, KeyIndexIsReadAsANumberWithoutRangeCheck) {
    bindDefaults();
    bind(keys::kConfigHotkey, "0", "20");   // past F12
    bind(keys::kToggleHotkey, "0", "abc");  // non-numeric: F1
    registerHotkeys(program);

    EXPECT_EQ(registrations(),
              (std::vector<std::string>{"registerHotkey 0x4002 132", "registerHotkey 0x4002 112",
                                        "registerHotkey 0x4002 123", "registerHotkey 0x4002 120"}));
    EXPECT_EQ(label("标签7"), "配置选项'Ctrl'＋'F21'键");
}

TEST_F(HotkeyTest, RefusedAndUnrecognisedBindingsWarnAndShapeTheSummary) {
    bindDefaults();
    bind(keys::kExitHotkey, "0.0", "11");             // only "0", "1" and "2" count
    fake.takenHotkeys.push_back({kModControl, 122});  // show/hide held elsewhere
    fake.answerNextMessageBox(kIdOk);
    fake.answerNextMessageBox(kIdOk);
    registerHotkeys(program);

    ASSERT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_EQ(fake.messageBoxes[0].text, "注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!");
    EXPECT_EQ(fake.messageBoxes[1].text, "注册‘退出程序’热键失败，请尝试更改其它热键!");
    EXPECT_EQ(fake.messageBoxes[0].style, kMbOkWarning);
    EXPECT_EQ(fake.messageBoxes[0].title, "Varnel");
    // No attempt for the unrecognised exit binding; the others go on.
    EXPECT_EQ(registrations(),
              (std::vector<std::string>{"registerHotkey 0x4002 121", "registerHotkey 0x4002 122",
                                        "registerHotkey 0x4002 120"}));
    // A refused registration still sets its caption; an unrecognised one does not.
    EXPECT_EQ(label("标签6"), "显示/隐藏窗口'Ctrl'＋F11键");
    EXPECT_EQ(label("标签5"), "");
    EXPECT_EQ(program.hotkeySummary,
              "    ①配置选项'Ctrl'＋'F10'键"
              "\r\n   ②②显示/隐藏窗口'Ctrl'＋F11键"
              "\r\n  ③  ③"
              "\r\n ④    ④热键关机'Ctrl'＋'F9'键");
}

TEST_F(HotkeyTest, UnregisterReleasesAllFourIdentifiersIncludingZero) {
    bindDefaults();
    bind(keys::kToggleHotkey, "", "");
    fake.answerNextMessageBox(kIdOk);
    registerHotkeys(program);
    fake.log.clear();

    unregisterHotkeys(program);

    EXPECT_EQ(fake.log,
              (std::vector<std::string>{
                  "unregisterHotkey " + std::to_string(program.configHotkeyId),
                  "unregisterHotkey 0", "unregisterHotkey " + std::to_string(program.exitHotkeyId),
                  "unregisterHotkey " + std::to_string(program.shutdownHotkeyId)}));
    EXPECT_TRUE(fake.hotkeys.empty());
}

// ---- presses ----

class HotkeyPressTest : public HotkeyTest {
protected:
    void SetUp() override {
        HotkeyTest::SetUp();
        bindDefaults();
        registerHotkeys(program);
    }
};

TEST_F(HotkeyPressTest, ExitHotkeyRemovesTheTrayIconOnlyWhenItIsShownAndLeavesTheRestAlone) {
    for (const bool trayIcon : {false, true}) {
        program.settings.writeOption(keys::kShowTrayIcon, trayIcon);
        program.settings.writeSetting(keys::kCountdownStyle, keys::kStyle, "3");
        fake.log.clear();

        fake.pressHotkey(program.exitHotkeyId);

        std::vector<std::string> expected{"exitProcess 0"};
        if (trayIcon) {
            expected.insert(expected.begin(), "removeTrayIcon");
        }
        EXPECT_EQ(fake.log, expected);
        EXPECT_EQ(program.settings.readSetting(keys::kCountdownStyle, keys::kStyle), "3");
    }
}

// Equal identifiers only arise when registrations fail; they show the order.
TEST_F(HotkeyTest, DispatchTriesExitThenToggleThenConfigThenShutdown) {
    fake.log.clear();
    onHotkey(program, 7);  // nobody's: nothing happens
    EXPECT_TRUE(fake.log.empty());

    program.exitHotkeyId = program.toggleHotkeyId = 7;
    onHotkey(program, 7);
    EXPECT_TRUE(fake.exited);
    EXPECT_TRUE(fake.windowVisible(program.mainWindow));

    program.exitHotkeyId = 0;
    program.configHotkeyId = 7;
    onHotkey(program, 7);
    EXPECT_FALSE(fake.windowVisible(program.mainWindow));
    onHotkey(program, 7);  // show/hide toggles
    EXPECT_TRUE(fake.windowVisible(program.mainWindow));
    EXPECT_EQ(program.configWizard, 0);

    program.toggleHotkeyId = 0;
    program.shutdownHotkeyId = 7;
    onHotkey(program, 7);
    EXPECT_NE(program.configWizard, 0);
    EXPECT_EQ(program.countdownWindow, 0);
}

// ---- the confirm rule ----

// Plays the shutdown hotkey and the 时钟2 ticker on a timeline: a press
// restarts the ticker's period, a tick comes every full second after that
// while the ticker runs.
class ConfirmRuleTest : public HotkeyPressTest {
protected:
    void press() {
        fake.pressHotkey(program.shutdownHotkeyId);
        sinceRestart_ = 0;
    }
    void wait(int ms) {
        while (ticking()) {
            const int toNextTick = 1000 - sinceRestart_ % 1000;
            if (toNextTick > ms) {
                break;
            }
            ms -= toNextTick;
            sinceRestart_ += toNextTick;
            fake.fireTimer(program.mainWindow, "时钟2");
        }
        sinceRestart_ += ms;
    }
    bool ticking() { return fake.timerPeriod(program.mainWindow, "时钟2") > 0; }

private:
    int sinceRestart_ = 0;
};

// A press within the first second starts over, three ticks end the confirm
// window, a press one to three ticks after the last one shuts down.
TEST_F(ConfirmRuleTest, OnlyAPressAfterOneToThreeTicksShutsDown) {
    program.settings.writeOption(keys::kForcedShutdown, true);
    press();
    EXPECT_EQ(fake.findWindow(kCountdownTitle), program.countdownWindow);
    EXPECT_EQ(fake.timerPeriod(program.mainWindow, "时钟2"), 1000);
    wait(500);
    press();
    EXPECT_EQ(fake.openWindows().size(), 2u);  // the countdown window is brought up, not doubled

    wait(3500);
    EXPECT_FALSE(ticking());
    EXPECT_EQ(program.confirmTicks, 0);
    press();
    EXPECT_TRUE(ticking());
    EXPECT_TRUE(fake.shutdownRequests.empty());

    wait(1000);
    fake.answerNextMessageBox(kIdOk);
    press();
    EXPECT_EQ(fake.shutdownRequests, (std::vector<bool>{true}));
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].text, "正在关机。。。");
    EXPECT_EQ(fake.messageBoxes[0].style, kMbOk);
    EXPECT_EQ(fake.messageBoxes[0].title, "Varnel");
    EXPECT_FALSE(fake.exited);  // the system ends the program

    // The confirming press keeps the count and restarts the period.
    EXPECT_EQ(program.confirmTicks, 1);
    wait(1999);
    EXPECT_EQ(program.confirmTicks, 2);
    wait(1);
    EXPECT_EQ(program.confirmTicks, 0);
    EXPECT_FALSE(ticking());
}

}  // namespace
}  // namespace varnel
