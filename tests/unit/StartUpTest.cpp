#include <gtest/gtest.h>

#include <algorithm>

#include "app/Program.h"
#include "app/StartUp.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

constexpr const char* kWizardTitle = "Varnel 程序配置";

// A complete settings file as the defaults write it, with a few overrides.
std::string settingsFile(const std::string& extra = "") {
    return extra +
           "[开机自动运行Varnel]\r\n是=假\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
           "[倒记时5分钟提示]\r\n是=真\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=真\r\n"
           "[程序起动后立刻关机]\r\n是=假\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n"
           "[打开软件配置程序]\r\n1=0\r\n2=9\r\n[显示或隐藏窗口]\r\n1=0\r\n2=10\r\n"
           "[退出程序]\r\n1=0\r\n2=11\r\n[热键关机]\r\n1=0\r\n2=8\r\n"
           "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n";
}

class StartUpTest : public ::testing::Test {
protected:
    std::string setting(const char* section, const char* key) {
        return program.settings.readSetting(section, key);
    }
    std::size_t logIndex(const std::string& entry) {
        auto it = std::find(fake.log.begin(), fake.log.end(), entry);
        EXPECT_NE(it, fake.log.end()) << entry;
        return static_cast<std::size_t>(it - fake.log.begin());
    }
    void expectStartUpCompleted(bool visible = true) {
        EXPECT_EQ(fake.windowVisible(program.mainWindow), visible);
        EXPECT_EQ(setting("句柄", "窗口句柄"),
                  std::to_string(fake.nativeHandle(program.mainWindow)));
        EXPECT_EQ(setting("倒计时窗口样式", "样式"), "1");
        EXPECT_EQ(fake.hotkeys.size(), 4u);
        EXPECT_TRUE(fake.trayIconShown);
    }

    FakePlatform fake;
    Program program{fake};
};

TEST_F(StartUpTest, FirstStartWritesTheDefaultsAndWaitsForTheWizard) {
    bool mainVisibleDuringWizard = true;
    std::string hourDuringWizard;
    fake.onModal = [&](WindowId window) {
        EXPECT_EQ(fake.window(window).design.title, kWizardTitle);
        mainVisibleDuringWizard = fake.windowVisible(program.mainWindow);
        hourDuringWizard = setting("关机时间", "小时");
    };
    runProgram(program);

    EXPECT_FALSE(mainVisibleDuringWizard);
    EXPECT_EQ(hourDuringWizard, "23");
    EXPECT_LT(logIndex("runModal Varnel 程序配置"), logIndex("registerHotkey 0x4002 121"));
    EXPECT_EQ(fake.text(program.mainWindow, "标签4"), "关机时间为23:0");
    EXPECT_EQ(program.shutdownTime, (std::array<std::int32_t, 2>{23, 0}));
    EXPECT_TRUE(program.fiveMinuteWarning);
    expectStartUpCompleted();
    EXPECT_EQ(fake.windowRect(program.mainWindow), (Rect{785, 566, 229, 152}));
    EXPECT_EQ(fake.findWindow(kWizardTitle), 0);
    EXPECT_EQ(fake.log.back(), "runEventLoop");
}

TEST_F(StartUpTest, ALaterStartOpensNoWizardAndMayStartHidden) {
    fake.setFileUtf8(fake.path(keys::kFileName), "[隐藏启动]\r\n是=真\r\n" + settingsFile());
    const std::string icon("\0\0\1\0icon", 8);
    fake.files[fake.path("\\图标.ico")].bytes = icon;
    runProgram(program);
    EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "createWindow Varnel 程序配置"), 0);
    expectStartUpCompleted(false);
    EXPECT_EQ(fake.windowRect(program.mainWindow).left, 785);  // placed before hiding
    EXPECT_EQ(fake.control(program.mainWindow, "图片框1").picture, icon);
    EXPECT_FALSE(fake.files[fake.path("\\常用热键.txt")].bytes.empty());
}

TEST_F(StartUpTest, ShutdownAtStartAsksAndGoesOnWhateverTheAnswer) {
    for (int answer : {kIdYes, kIdNo}) {
        for (const char* forced : {"真", "假"}) {
            FakePlatform f;
            Program p{f};
            f.setFileUtf8(f.path(keys::kFileName),
                          "[程序起动后立刻关机]\r\n是=真\r\n[强行关机]\r\n是=" +
                              std::string(forced) + "\r\n" + settingsFile());
            f.answerNextMessageBox(answer);
            runProgram(p);
            ASSERT_EQ(f.messageBoxes.size(), 1u);
            EXPECT_EQ(f.messageBoxes[0].text, "是否立即关机！");
            EXPECT_EQ(f.messageBoxes[0].title, "立即关机");
            EXPECT_EQ(f.messageBoxes[0].style, 0x44u);
            if (answer == kIdYes) {
                EXPECT_EQ(f.shutdownRequests, std::vector<bool>{forced == std::string("真")});
            } else {
                EXPECT_TRUE(f.shutdownRequests.empty());
            }
            EXPECT_EQ(f.hotkeys.size(), 4u);
            EXPECT_EQ(p.settings.readSetting("倒计时窗口样式", "样式"), "1");
        }
    }
}

TEST_F(StartUpTest, AReadOnlySettingsFileBecomesHiddenSystemArchiveAndWritable) {
    fake.setFileUtf8(fake.path(keys::kFileName), settingsFile());
    fake.files[fake.path(keys::kFileName)].attributes = kAttrReadOnly | kAttrArchive;
    runProgram(program);
    EXPECT_EQ(fake.files[fake.path(keys::kFileName)].attributes, 0x26u);
    expectStartUpCompleted();
}

TEST_F(StartUpTest, AnHourOutOfRangeOpensTheWizardWithoutWaiting) {
    fake.setFileUtf8(fake.path(keys::kFileName),
                     "[关机时间]\r\n小时=0\r\n分钟=30\r\n" + settingsFile());
    runProgram(program);
    const WindowId wizard = fake.findWindow(kWizardTitle);
    EXPECT_NE(wizard, 0);
    EXPECT_EQ(fake.window(wizard).modalDepth, 0);
    expectStartUpCompleted();
}

TEST_F(StartUpTest, ExitResetsTheStyleReleasesHotkeysAndRemovesTheIcon) {
    fake.setFileUtf8(fake.path(keys::kFileName), settingsFile());
    runProgram(program);
    program.settings.writeSetting("倒计时窗口样式", "样式", "3");
    exitProgram(program);
    EXPECT_EQ(setting("倒计时窗口样式", "样式"), "1");
    EXPECT_TRUE(fake.hotkeys.empty());
    EXPECT_FALSE(fake.trayIconShown);
    EXPECT_TRUE(fake.exited);
    EXPECT_EQ(fake.exitCode, 0);
    EXPECT_LT(logIndex("removeTrayIcon"), logIndex("exitProcess 0"));
}

}  // namespace
}  // namespace varnel
