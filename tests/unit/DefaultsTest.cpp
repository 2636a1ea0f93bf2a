#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_ui/Defaults.h"
#include "core/Program.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

const std::string kFixedRows =
    "[开机自动运行Varnel]\r\n是=假\r\n"
    "[隐藏启动]\r\n是=假\r\n"
    "[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=真\r\n"
    "[窃入桌面背景中]\r\n是=真\r\n"
    "[显示托盘图标]\r\n是=真\r\n"
    "[程序起动后立刻关机]\r\n是=假\r\n"
    "[关机时间]\r\n小时=23\r\n分钟=0\r\n"
    "[打开软件配置程序]\r\n1=0\r\n2=9\r\n"
    "[显示或隐藏窗口]\r\n1=0\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=11\r\n"
    "[热键关机]\r\n1=0\r\n2=8\r\n";

struct NoEvents : EventSink {
    void onEvent(const Event&) override {}
};

class DefaultsTest : public ::testing::Test {
protected:
    WindowId openWindow(const char* title, Rect rect) {
        WindowSpec design;
        design.title = title;
        design.rect = rect;
        return fake.createWindow(design, sink, 0);
    }

    FakePlatform fake;
    Program program{fake};
    NoEvents sink;
    const std::string path = fake.path("\\关机时间.ini");
};

TEST_F(DefaultsTest, PositionFollowsTheScreenAndTheMainWindowsCurrentSize) {
    fake.screen = {1920, 1080};
    program.mainWindow = openWindow("main", {50, 50, 300, 200});
    restoreDefaults(program);
    EXPECT_EQ(fake.fileUtf8(path),
              kFixedRows + "[窗口位置]\r\n1=1610\r\n2=830\r\n1_1=1920\r\n2_1=1080\r\n");
    // All at once: a copy of the program starting meanwhile sees no file or all of it.
    EXPECT_EQ(fake.files[path].writes, 1);
}

TEST_F(DefaultsTest, ResetsUserSettingsAndKeepsTheRest) {
    fake.setFileUtf8(path,
                     "; 手改的\r\n"
                     "[句柄]\r\n窗口句柄=65552\r\n"
                     "[强行关机]\r\n是=假\r\n备注=留着\r\n"
                     "[倒计时窗口样式]\r\n样式=3\r\n"
                     "[倒计时]\r\n时间=15\r\n");
    for (const char* root : {"HKLM\\", "HKCU\\"}) {
        fake.registry[root +
                      std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\devora")] =
            "\"x.exe\"";
    }
    restoreDefaults(program);
    EXPECT_EQ(program.settings.readSetting("强行关机", "是"), "真");
    EXPECT_EQ(program.settings.readSetting("强行关机", "备注"), "留着");
    EXPECT_EQ(program.settings.readSetting("句柄", "窗口句柄"), "65552");
    EXPECT_EQ(program.settings.readSetting("倒计时窗口样式", "样式"), "3");
    EXPECT_EQ(program.settings.readSetting("倒计时", "时间"), "15");
    EXPECT_EQ(program.settings.readSetting("关机时间", "小时"), "23");
    EXPECT_EQ(fake.fileUtf8(path).rfind(
                  "; 手改的\r\n[句柄]\r\n窗口句柄=65552\r\n[强行关机]\r\n是=真\r\n", 0),
              0u);
    EXPECT_TRUE(fake.registry.empty());  // no start with Windows, as the file now says
}

class ConfirmRestoreDefaultsTest : public DefaultsTest {
protected:
    void SetUp() override {
        program.mainWindow = openWindow("main", {785, 566, 229, 152});
        program.configWizard = openWindow("wizard", {0, 0, 400, 300});
        fake.setFileUtf8(path, "[强行关机]\r\n是=假\r\n");
    }
};

TEST_F(ConfirmRestoreDefaultsTest, AsksFirstAndNoChangesNothing) {
    fake.answerNextMessageBox(kIdNo);
    confirmRestoreDefaults(program);
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    const auto& box = fake.messageBoxes[0];
    EXPECT_EQ(box.text,
              "恢复程序的默认置! 程序重启后生效。\r\n 是否立刻重启？ \r\n"
              "‘是’为重启后生效‘否’为取消并返回");
    EXPECT_EQ(box.title, "恢复默认置");
    EXPECT_EQ(box.style, 0x24u);
    EXPECT_EQ(box.owner, program.configWizard);
    EXPECT_EQ(fake.fileUtf8(path), "[强行关机]\r\n是=假\r\n");
    EXPECT_TRUE(fake.startedProcesses.empty());
    EXPECT_TRUE(fake.windowExists(program.configWizard));
}

TEST_F(ConfirmRestoreDefaultsTest, YesRestoresAndRestarts) {
    fake.answerNextMessageBox(kIdYes);
    confirmRestoreDefaults(program);
    EXPECT_EQ(fake.fileUtf8(path), "[强行关机]\r\n是=真\r\n" +
                                       kFixedRows.substr(0, kFixedRows.find("[强行关机]")) +
                                       kFixedRows.substr(kFixedRows.find("[倒记时")) +
                                       "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n");
    EXPECT_EQ(fake.startedProcesses,
              std::vector<std::string>{"\"C:\\Program Files\\Varnel\\varnel.exe\""});
    EXPECT_FALSE(fake.windowExists(program.configWizard));
    EXPECT_FALSE(fake.windowExists(program.mainWindow));
}

}  // namespace
}  // namespace varnel
