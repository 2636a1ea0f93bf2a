#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config_ui/ConfigWizard.h"
#include "config_ui/WizardSettings.h"
#include "core/Program.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

const char* const kBoxes[] = {"选择框1", "选择框2", "选择框3", "选择框4",
                              "选择框5", "选择框6", "选择框8"};
const char* const kModifierCombos[] = {"组合框11", "组合框21", "组合框31", "组合框41"};
const char* const kKeyCombos[] = {"组合框12", "组合框22", "组合框32", "组合框42"};
const std::string kRunValue = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\devora";
const std::string kMachineRun = "HKLM\\" + kRunValue;
const std::string kUserRun = "HKCU\\" + kRunValue;

// Row values differ wherever two controls could be mixed up.
const std::string kDistinctFile =
    "[开机自动运行Varnel]\r\n是=真\r\n"
    "[隐藏启动]\r\n是=假\r\n"
    "[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=假\r\n"
    "[窃入桌面背景中]\r\n是=真\r\n"
    "[显示托盘图标]\r\n是=假\r\n"
    "[程序起动后立刻关机]\r\n是=真\r\n"
    "[关机时间]\r\n小时=07\r\n分钟=5\r\n"
    "[打开软件配置程序]\r\n1=2\r\n2=11\r\n"
    "[显示或隐藏窗口]\r\n1=1\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=3\r\n"
    "[热键关机]\r\n1=1\r\n2=8\r\n"
    "[窗口位置]\r\n1_1=1280\r\n2_1=1024\r\n";

struct NoEvents : EventSink {
    void onEvent(const Event&) override {}
};

// The real wizard table, so every setting's control must exist under its name.
class WizardSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { program.configWizard = fake.createWindow(configWizardSpec(), sink, 0); }

    bool checked(const char* box) { return fake.checked(program.configWizard, box); }
    int selection(const char* combo) { return fake.selection(program.configWizard, combo); }
    std::string text(const char* edit) { return fake.text(program.configWizard, edit); }
    void setText(const char* edit, const std::string& t) {
        fake.setText(program.configWizard, edit, t);
    }
    std::string stored(const char* section, const char* key) {
        return program.settings.readSetting(section, key);
    }

    FakePlatform fake;
    Program program{fake};
    NoEvents sink;
    const std::string path = fake.path("\\关机时间.ini");
};

TEST_F(WizardSettingsTest, LoadsEveryRowIntoItsControlAndSavesItBackInOrder) {
    fake.screen = {1280, 1024};
    fake.setFileUtf8(path, kDistinctFile);
    loadWizardSettings(program);
    const bool on[] = {true, false, true, false, true, true, false};  // boxes 1-6, 8
    for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
        EXPECT_EQ(checked(kBoxes[i]), on[i]) << kBoxes[i];
    }
    const int modifiers[] = {2, 1, 1, 0};  // groups 1-4: config, toggle, shutdown, exit
    const int keys[] = {11, 10, 8, 3};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(selection(kModifierCombos[i]), modifiers[i]) << kModifierCombos[i];
        EXPECT_EQ(selection(kKeyCombos[i]), keys[i]) << kKeyCombos[i];
    }
    EXPECT_EQ(text("小时编辑框"), "07");
    EXPECT_EQ(text("分钟编辑框"), "5");

    fake.files.clear();
    saveWizardSettings(program);
    EXPECT_EQ(fake.files[path].bytes, fake.gbkFromUtf8(kDistinctFile));
}

TEST_F(WizardSettingsTest, LoadThenSaveKeepsTheRestOfTheFile) {
    fake.screen = {1280, 1024};
    const std::string file = "[句柄]\r\n窗口句柄=65552\r\n" + kDistinctFile +
                             "[窗口位置]\r\n1=1041\r\n2=822\r\n"
                             "[倒计时窗口样式]\r\n样式=3\r\n[倒计时]\r\n时间=15\r\n";
    fake.setFileUtf8(path, file);
    loadWizardSettings(program);
    saveWizardSettings(program);
    EXPECT_EQ(fake.fileUtf8(path), file);
}

TEST_F(WizardSettingsTest, OnlyTrueChecksABoxAndIndexesAreTruncatedOrZero) {
    fake.setFileUtf8(path,
                     "[隐藏启动]\r\n是=1\r\n[强行关机]\r\n是=是\r\n[显示托盘图标]\r\n是=真\r\n"
                     "[热键关机]\r\n1=2.9\r\n2=\r\n[退出程序]\r\n1=x\r\n2=7.5\r\n");
    for (const char* box : kBoxes) {
        fake.setChecked(program.configWizard, box, true);
    }
    fake.setSelection(program.configWizard, "组合框12", 5);
    setText("小时编辑框", "9");
    loadWizardSettings(program);
    for (const char* box : kBoxes) {
        EXPECT_EQ(checked(box), box == std::string("选择框8")) << box;
    }
    EXPECT_EQ(selection("组合框31"), 2);
    EXPECT_EQ(selection("组合框32"), 0);
    EXPECT_EQ(selection("组合框41"), 0);
    EXPECT_EQ(selection("组合框42"), 7);
    EXPECT_EQ(selection("组合框12"), 0);  // missing: F1
    EXPECT_EQ(text("小时编辑框"), "");
}

TEST_F(WizardSettingsTest, SavesScreenSizeTimeTextsAsTheyAreAndMinusOneForNoSelection) {
    fake.setFileUtf8(path, "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n");
    fake.screen = {1600, 900};
    fake.setSelection(program.configWizard, "组合框21", 1);
    fake.setSelection(program.configWizard, "组合框22", -1);
    setText("小时编辑框", "");
    setText("分钟编辑框", "05");
    saveWizardSettings(program);
    EXPECT_EQ(
        fake.fileUtf8(path).rfind("[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1600\r\n2_1=900\r\n", 0),
        0u);
    EXPECT_EQ(stored("关机时间", "小时"), "");
    EXPECT_EQ(stored("关机时间", "分钟"), "05");
    EXPECT_EQ(stored("显示或隐藏窗口", "1"), "1");
    EXPECT_EQ(stored("显示或隐藏窗口", "2"), "-1");
}

// The machine's Run key first; where a standard user may not write it, the user's.
TEST_F(WizardSettingsTest, StartWithWindowsWritesTheQuotedPathUnderOneRootAndClearsBoth) {
    fake.exeDir = "C:\\My Tools\\Varnel";
    const std::string value = "\"C:\\My Tools\\Varnel\\varnel.exe\"";
    for (const bool standardUser : {false, true}) {
        fake.localMachineWritesFail = standardUser;
        fake.setChecked(program.configWizard, "选择框1", true);
        saveWizardSettings(program);
        EXPECT_EQ(stored("开机自动运行Varnel", "是"), "真");
        EXPECT_EQ(
            fake.registry,
            (std::map<std::string, std::string>{{standardUser ? kUserRun : kMachineRun, value}}));

        fake.registry[kMachineRun] = fake.registry[kUserRun] = value;
        fake.setChecked(program.configWizard, "选择框1", false);
        saveWizardSettings(program);
        EXPECT_EQ(stored("开机自动运行Varnel", "是"), "假");
        EXPECT_TRUE(fake.registry.empty());
    }
    saveWizardSettings(program);  // nothing to delete: silent, the rest is written
    EXPECT_EQ(stored("热键关机", "2"), "-1");
}

}  // namespace
}  // namespace varnel
