#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Program.h"
#include "config_ui/ConfigWizard.h"
#include "settings/WizardSettings.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

const char* const kBoxes[] = {"选择框1", "选择框2", "选择框3", "选择框4",
                              "选择框5", "选择框6", "选择框8"};
const char* const kModifierCombos[] = {"组合框11", "组合框21", "组合框31", "组合框41"};
const char* const kKeyCombos[] = {"组合框12", "组合框22", "组合框32", "组合框42"};
const char* const kEdits[] = {"小时编辑框", "分钟编辑框"};

ControlSpec control(const char* name, ControlKind kind, std::vector<std::string> items = {}) {
    ControlSpec spec;
    spec.name = name;
    spec.kind = kind;
    spec.items = std::move(items);
    return spec;
}

// The wizard's controls that hold settings, and nothing else.
WindowSpec settingsControls() {
    WindowSpec spec;
    spec.title = "Varnel 程序配置";
    for (const char* box : kBoxes) {
        spec.controls.push_back(control(box, ControlKind::CheckBox));
    }
    for (const char* combo : kModifierCombos) {
        spec.controls.push_back(
            control(combo, ControlKind::DropDownList, {"Ctrl", "Alt", "Shift"}));
    }
    std::vector<std::string> functionKeys;
    for (int i = 1; i <= 12; ++i) {
        functionKeys.push_back("F" + std::to_string(i));
    }
    for (const char* combo : kKeyCombos) {
        spec.controls.push_back(control(combo, ControlKind::DropDownList, functionKeys));
    }
    for (const char* edit : kEdits) {
        spec.controls.push_back(control(edit, ControlKind::Edit));
    }
    return spec;
}

struct NoEvents : EventSink {
    void onEvent(const Event&) override {}
};

const std::string kRunValue = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\devora";

class WizardSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { program.configWizard = fake.createWindow(settingsControls(), sink, 0); }

    bool checked(const char* box) { return fake.checked(program.configWizard, box); }
    int selection(const char* combo) { return fake.selection(program.configWizard, combo); }
    std::string text(const char* edit) { return fake.text(program.configWizard, edit); }
    void setChecked(const char* box, bool on) { fake.setChecked(program.configWizard, box, on); }
    void select(const char* combo, int index) {
        fake.setSelection(program.configWizard, combo, index);
    }
    void setText(const char* edit, const std::string& t) {
        fake.setText(program.configWizard, edit, t);
    }

    // Sets every control to the values of kDistinctFile.
    void fillDistinct() {
        const bool on[] = {true, false, true, false, true, true, false};  // boxes 1-6, 8
        for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
            setChecked(kBoxes[i], on[i]);
        }
        const int modifiers[] = {2, 1, 1, 0};  // groups 1-4
        const int keys[] = {11, 10, 8, 3};
        for (std::size_t i = 0; i < 4; ++i) {
            select(kModifierCombos[i], modifiers[i]);
            select(kKeyCombos[i], keys[i]);
        }
        setText("小时编辑框", "07");
        setText("分钟编辑框", "5");
    }

    FakePlatform fake;
    Program program{fake};
    NoEvents sink;
    const std::string path = fake.path("\\关机时间.ini");
};

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

TEST_F(WizardSettingsTest, LoadsEveryRowIntoItsControl) {
    fake.setFileUtf8(path, kDistinctFile);
    loadWizardSettings(program);
    EXPECT_TRUE(checked("选择框1"));
    EXPECT_FALSE(checked("选择框2"));
    EXPECT_TRUE(checked("选择框3"));
    EXPECT_FALSE(checked("选择框4"));
    EXPECT_TRUE(checked("选择框5"));
    EXPECT_FALSE(checked("选择框8"));  // 显示托盘图标
    EXPECT_TRUE(checked("选择框6"));   // 程序起动后立刻关机
    EXPECT_EQ(selection("组合框11"), 2);
    EXPECT_EQ(selection("组合框12"), 11);
    EXPECT_EQ(selection("组合框21"), 1);
    EXPECT_EQ(selection("组合框22"), 10);
    EXPECT_EQ(selection("组合框41"), 0);
    EXPECT_EQ(selection("组合框42"), 3);
    EXPECT_EQ(selection("组合框31"), 1);
    EXPECT_EQ(selection("组合框32"), 8);
    EXPECT_EQ(text("小时编辑框"), "07");
    EXPECT_EQ(text("分钟编辑框"), "5");
}

TEST_F(WizardSettingsTest, AFileWithOnlyForcedShutdownOff) {
    fake.setFileUtf8(path, "[强行关机]\r\n是=假\r\n");
    for (const char* box : kBoxes) {
        setChecked(box, true);
    }
    for (const char* combo : kKeyCombos) {
        select(combo, 5);
    }
    setText("小时编辑框", "9");
    loadWizardSettings(program);
    for (const char* box : kBoxes) {
        EXPECT_FALSE(checked(box)) << box;
    }
    for (const char* combo : kModifierCombos) {
        EXPECT_EQ(selection(combo), 0) << combo;  // Ctrl
    }
    for (const char* combo : kKeyCombos) {
        EXPECT_EQ(selection(combo), 0) << combo;  // F1
    }
    EXPECT_EQ(text("小时编辑框"), "");
    EXPECT_EQ(text("分钟编辑框"), "");
}

TEST_F(WizardSettingsTest, OnlyTrueChecksABoxAndIndexesAreTruncated) {
    fake.setFileUtf8(path,
                     "[隐藏启动]\r\n是=1\r\n[强行关机]\r\n是=是\r\n[显示托盘图标]\r\n是=真\r\n"
                     "[热键关机]\r\n1=2.9\r\n2=\r\n[退出程序]\r\n1=x\r\n2=7.5\r\n");
    loadWizardSettings(program);
    EXPECT_FALSE(checked("选择框2"));
    EXPECT_FALSE(checked("选择框3"));
    EXPECT_TRUE(checked("选择框8"));
    EXPECT_EQ(selection("组合框31"), 2);
    EXPECT_EQ(selection("组合框32"), 0);
    EXPECT_EQ(selection("组合框41"), 0);
    EXPECT_EQ(selection("组合框42"), 7);
}

TEST_F(WizardSettingsTest, SavesEveryRowInOrder) {
    fake.screen = {1280, 1024};
    fillDistinct();
    saveWizardSettings(program);
    EXPECT_EQ(fake.files[path].bytes, fake.gbkFromUtf8(kDistinctFile));
}

TEST_F(WizardSettingsTest, LoadThenSaveGivesTheSameFile) {
    fake.screen = {1280, 1024};
    const std::string file = "[句柄]\r\n窗口句柄=65552\r\n" + kDistinctFile +
                             "[窗口位置]\r\n1=1041\r\n2=822\r\n"
                             "[倒计时窗口样式]\r\n样式=3\r\n[倒计时]\r\n时间=15\r\n";
    fake.setFileUtf8(path, file);
    loadWizardSettings(program);
    saveWizardSettings(program);
    EXPECT_EQ(fake.fileUtf8(path), file);
}

TEST_F(WizardSettingsTest, SavesTheScreenSizeAndTheTimeTextsAsTheyAre) {
    fake.setFileUtf8(path, "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n");
    fake.screen = {1600, 900};
    setText("小时编辑框", "");
    setText("分钟编辑框", "05");
    saveWizardSettings(program);
    EXPECT_EQ(program.settings.readSetting("窗口位置", "1"), "785");
    EXPECT_EQ(program.settings.readSetting("窗口位置", "2"), "566");
    EXPECT_EQ(program.settings.readSetting("窗口位置", "1_1"), "1600");
    EXPECT_EQ(program.settings.readSetting("窗口位置", "2_1"), "900");
    EXPECT_EQ(program.settings.readSetting("关机时间", "小时"), "");
    EXPECT_EQ(program.settings.readSetting("关机时间", "分钟"), "05");
}

TEST_F(WizardSettingsTest, AListWithoutSelectionSavesMinusOne) {
    fillDistinct();
    select("组合框22", -1);
    saveWizardSettings(program);
    EXPECT_EQ(program.settings.readSetting("显示或隐藏窗口", "2"), "-1");
    EXPECT_EQ(program.settings.readSetting("显示或隐藏窗口", "1"), "1");
}

TEST_F(WizardSettingsTest, StartWithWindowsRegistersTheQuotedPath) {
    fake.exeDir = "C:\\My Tools\\Varnel";
    setChecked("选择框1", true);
    saveWizardSettings(program);
    EXPECT_EQ(program.settings.readSetting("开机自动运行Varnel", "是"), "真");
    ASSERT_EQ(fake.registry.count(kRunValue), 1u);
    EXPECT_EQ(fake.registry[kRunValue], "\"C:\\My Tools\\Varnel\\varnel.exe\"");
}

TEST_F(WizardSettingsTest, ClearingStartWithWindowsDeletesTheValue) {
    fake.registry[kRunValue] = "\"C:\\old\\varnel.exe\"";
    saveWizardSettings(program);
    EXPECT_EQ(program.settings.readSetting("开机自动运行Varnel", "是"), "假");
    EXPECT_EQ(fake.registry.count(kRunValue), 0u);

    saveWizardSettings(program);  // nothing to delete: silent, the rest is written
    EXPECT_TRUE(fake.registry.empty());
    EXPECT_EQ(program.settings.readSetting("热键关机", "2"), "-1");
}

TEST_F(WizardSettingsTest, TheWizardHasEveryControlThatHoldsASetting) {
    const WindowSpec wizard = configWizardSpec();
    const auto kindOf = [&](const std::string& name) {
        const auto it = std::find_if(wizard.controls.begin(), wizard.controls.end(),
                                     [&](const ControlSpec& c) { return c.name == name; });
        EXPECT_NE(it, wizard.controls.end()) << name;
        return it == wizard.controls.end() ? ControlKind::ListBox : it->kind;
    };
    for (const ControlSpec& expected : settingsControls().controls) {
        EXPECT_EQ(kindOf(expected.name), expected.kind) << expected.name;
    }
}

}  // namespace
}  // namespace varnel
