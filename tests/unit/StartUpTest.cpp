#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Program.h"
#include "schedule/CountdownWindow.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"
#include "tray/TrayMenu.h"

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

// Explorer ends: the desktop window takes the main window and the countdown
// window it owns down with it. Both come back at once, the main window
// top-level until the new desktop announces itself.
TEST_F(StartUpTest, AWindowLostWithTheDesktopIsBuiltAgainAndJoinsTheNextDesktop) {
    for (const bool shown : {true, false}) {
        FakePlatform f;
        Program p{f};
        f.setFileUtf8(f.path(keys::kFileName), settingsFile());
        f.topLevelByClass["ProgMan"] = 100;
        f.firstChild[100] = 101;
        runProgram(p);
        moveMainWindowTo(p, {700, 500});
        setMainWindowShown(p, shown);
        p.countdownRunning = true;
        p.countdownSeconds = 500;
        openCountdownWindow(p, false);
        p.confirmTicks = 1;  // a shutdown hotkey press a second ago
        const WindowId lost = p.mainWindow;
        const std::array ids{p.configHotkeyId, p.toggleHotkeyId, p.exitHotkeyId,
                             p.shutdownHotkeyId};
        f.topLevelByClass.clear();
        f.effectCalls.clear();

        f.destroyBySystem(lost);
        const WindowId main = p.mainWindow;
        ASSERT_TRUE(f.windowExists(main));
        EXPECT_NE(main, lost);
        EXPECT_FALSE(f.exited);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
        EXPECT_EQ(f.windowVisible(main), shown);
        EXPECT_GT(f.timerPeriod(main, "时钟1"), 0);
        EXPECT_EQ(p.confirmTicks, 0);
        EXPECT_EQ(
            (std::array{p.configHotkeyId, p.toggleHotkeyId, p.exitHotkeyId, p.shutdownHotkeyId}),
            ids);
        EXPECT_EQ(f.hotkeys.size(), 4u);
        EXPECT_TRUE(std::all_of(f.hotkeys.begin(), f.hotkeys.end(),
                                [&](const auto& h) { return h.window == main; }));
        EXPECT_EQ(f.text(main, "标签4"), "关机时间为23:0");
        EXPECT_EQ(f.text(main, "标签9"), "热键关机'Ctrl'＋'F9'键");
        EXPECT_TRUE(f.trayIconShown);
        EXPECT_EQ(f.window(main).exStyle & 0x80020, 0x80020);
        EXPECT_FALSE(f.window(main).shapeBitmap.empty());
        EXPECT_EQ(f.window(main).parent, 0u);
        EXPECT_EQ(p.settings.readSetting("句柄", "窗口句柄"), std::to_string(f.nativeHandle(main)));
        EXPECT_TRUE(p.countdownRunning);
        EXPECT_NE(p.countdownWindow, 0);
        EXPECT_TRUE(f.messageBoxes.empty());

        f.topLevelByClass["ProgMan"] = 200;
        f.firstChild[200] = 201;
        f.fire(main, "", EventKind::ShellRestarted);
        EXPECT_EQ(f.window(main).parent, 201u);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
    }
}

TEST_F(StartUpTest, FilesStayBesideTheExeWhenItMayWriteThereElseGoToTheProfile) {
    const std::string exe = "C:\\Program Files\\Varnel";
    const std::string roaming = "C:\\Users\\user\\AppData\\Roaming";
    const std::string profile = roaming + "\\Varnel";
    struct Case {
        const char* name;
        std::set<std::string> unwritable;
        std::string roaming;
        const char* prepared;  // hour of a settings file beside the exe
        const char* kept;      // hour of a settings file already in the profile
        bool inProfile;
        int hour;
    };
    const Case cases[] = {
        {"writable: beside the exe, profile ignored", {}, roaming, nullptr, "22", false, 23},
        {"refused: defaults in the profile", {exe}, roaming, nullptr, nullptr, true, 23},
        {"refused: prepared file copied", {exe}, roaming, "21", nullptr, true, 21},
        {"refused: profile copy never replaced", {exe}, roaming, "21", "22", true, 22},
        {"no roaming folder", {exe}, "", "21", nullptr, false, 21},
        {"profile folder cannot be made", {exe, roaming}, roaming, "21", nullptr, false, 21},
        {"profile folder refuses writes", {exe, profile}, roaming, "21", nullptr, false, 21},
    };
    const std::string icon("\0\0\1\0icon", 8);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform f;
        Program p{f};
        f.unwritableDirectories = c.unwritable;
        f.roamingAppData = c.roaming;
        f.files[exe + "\\图标.ico"].bytes = icon;
        for (const auto& [dir, hour] : {std::pair{exe, c.prepared}, std::pair{profile, c.kept}}) {
            if (hour) {
                f.setFileUtf8(dir + keys::kFileName,
                              "[关机时间]\r\n小时=" + std::string(hour) + "\r\n" + settingsFile());
            }
        }
        runProgram(p);

        const std::string dir = c.inProfile ? profile : exe;
        const bool written = c.unwritable.count(dir) == 0;
        EXPECT_EQ(p.settings.path(), dir + keys::kFileName);
        EXPECT_EQ(p.shutdownTime[0], c.hour);
        const auto writes = [&](const std::string& path) {
            return f.files.count(path) == 0 ? 0 : f.files[path].writes;
        };
        for (const char* name : {keys::kFileName, "\\常用热键.txt", "\\窗口.bmp"}) {
            EXPECT_EQ(writes(dir + name) > 0, written) << name;
            EXPECT_EQ(writes((c.inProfile ? exe : profile) + name), 0) << name;
        }
        EXPECT_EQ(f.control(p.mainWindow, "图片框1").picture, icon);
        EXPECT_EQ(f.trayIconPath, exe + "\\图标.ico");
    }
}

}  // namespace
}  // namespace varnel
