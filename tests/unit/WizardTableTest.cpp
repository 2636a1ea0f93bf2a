// The configuration window's table: what loading, saving and the Win32
// builder depend on.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config_ui/ConfigWizard.h"
#include "config_ui/WizardControls.h"

namespace varnel {
namespace {

using namespace wizard;

class WizardTableTest : public ::testing::Test {
protected:
    WizardTableTest() : table(configWizardSpec()) {
        for (const ControlSpec& c : table.controls) {
            byName[c.name] = &c;
        }
    }
    const ControlSpec& at(const std::string& name) {
        const auto it = byName.find(name);
        if (it == byName.end()) {
            ADD_FAILURE() << "no control " << name;
            static const ControlSpec missing;
            return missing;
        }
        return *it->second;
    }
    // Position in window coordinates, with a tab page's origin at the tab's.
    Rect absolute(const ControlSpec& c) {
        Rect r = c.rect;
        for (const ControlSpec* p = &c; !p->parent.empty();) {
            p = &at(p->parent);
            r.left += p->rect.left;
            r.top += p->rect.top;
        }
        return r;
    }

    WindowSpec table;
    std::map<std::string, const ControlSpec*> byName;
};

TEST_F(WizardTableTest, WindowAndTabs) {
    EXPECT_EQ(table.title, "Varnel 程序配置");
    EXPECT_EQ(table.rect.width, 532);
    EXPECT_EQ(table.rect.height, 383);
    EXPECT_EQ(table.background, 0x80E000u);
    EXPECT_EQ(at(kTabs).items, (std::vector<std::string>{"欢迎界面", "定时设置", "配置选项",
                                                         "热键设置", "位置移动", "完成设置"}));
}

TEST_F(WizardTableTest, CheckBoxCaptionsSitOnTheBoxesTheSettingsRowsName) {
    const std::map<std::string, std::string> captions = {
        {kStartWithWindowsBox, "开机自动运行Varnel"},
        {kStartMinimisedBox, "启动后最小化"},
        {kQuickShutdownBox, "快速关机"},
        {kFiveMinuteBox, "倒计时5分钟提示"},
        {kNotInFrontBox, "禁止在其它窗口的前端显示"},
        {kShutdownAtStartBox, "程序启动后立刻关机"},
        {kTrayIconBox, "显示托盘图标"},
    };
    for (const auto& [name, caption] : captions) {
        const ControlSpec& box = at(name);
        EXPECT_EQ(box.kind, ControlKind::CheckBox) << name;
        EXPECT_EQ(box.text, caption) << name;
        EXPECT_EQ(box.page, kOptionsPage) << name;
        EXPECT_EQ(box.enabled, name != kShutdownAtStartBox) << name;
    }
}

TEST_F(WizardTableTest, HotkeyListPositionsAreTheStoredIndexes) {
    const std::vector<std::string> modifiers = {"Ctrl", "Alt", "Shift"};
    std::vector<std::string> keys;
    for (int n = 1; n <= 12; ++n) {
        keys.push_back("F" + std::to_string(n));
    }
    for (const auto& group : kHotkeyCombos) {
        EXPECT_EQ(at(group[0]).items, modifiers) << group[0];
        EXPECT_EQ(at(group[1]).items, keys) << group[1];
        EXPECT_EQ(at(group[0]).parent, kHotkeyFrame);
    }
}

TEST_F(WizardTableTest, ShortcutCaptionsAreDisabledAndStandDirectlyAboveTheirButtons) {
    for (auto [caption, button] :
         {std::pair{kPreviousShortcut, kPreviousButton}, std::pair{kNextShortcut, kNextButton}}) {
        EXPECT_FALSE(at(caption).enabled) << caption;
        EXPECT_EQ(at(caption).rect.left, at(button).rect.left);
        EXPECT_EQ(at(caption).rect.top + at(caption).rect.height, at(button).rect.top);
    }
}

TEST_F(WizardTableTest, EverythingLiesInsideTheWindowAndFontsAreSimSun) {
    for (const ControlSpec& c : table.controls) {
        const Rect r = absolute(c);
        EXPECT_GE(r.left, 0) << c.name;
        EXPECT_GE(r.top, 0) << c.name;
        EXPECT_LE(r.left + r.width, table.rect.width) << c.name;
        EXPECT_LE(r.top + r.height, table.rect.height) << c.name;
        EXPECT_EQ(c.font.face, "宋体") << c.name;
    }
}

}  // namespace
}  // namespace varnel
