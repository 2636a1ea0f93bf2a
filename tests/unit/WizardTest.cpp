// The configuration window: openers, the page rule and its buttons, each
// page's rules, loading and saving the settings, the defaults and restarting.
#include "app/StartUp.h"
#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "config_ui/HomePage.h"
#include "config_ui/Restart.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardSettings.h"
#include "core/Program.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using namespace wizard;
using Log = std::vector<std::string>;

const std::string kExe = "\"C:\\Program Files\\Varnel\\varnel.exe\"";
const std::string kRunValue = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\devora";
const std::string kDefaults =
    "[开机自动运行Varnel]\r\n是=假\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=真\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=真\r\n"
    "[程序起动后立刻关机]\r\n是=假\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n"
    "[打开软件配置程序]\r\n1=0\r\n2=9\r\n[显示或隐藏窗口]\r\n1=0\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=11\r\n[热键关机]\r\n1=0\r\n2=8\r\n";

class WizardTest : public ::testing::Test {
protected:
    WizardTest() { fake.setSettings(kDefaults); }
    void open(int page = 0) {
        if (program.configWizard != 0) {
            fake.destroyWindow(program.configWizard);
        }
        program.wizardStartPage = static_cast<std::int16_t>(page);
        showConfigWizard(program, false);
    }
    std::string text(const char* control) { return fake.text(program.configWizard, control); }
    bool enabled(const char* control) { return fake.enabled(program.configWizard, control); }
    bool checked(const char* control) { return fake.checked(program.configWizard, control); }
    void click(const char* control) { fake.click(program.configWizard, control); }
    void fire(const char* control, EventKind kind, int arg = 0) {
        fake.fire(program.configWizard, control, kind, arg);
    }
    void type(const char* control, const std::string& t) {
        fake.type(program.configWizard, control, t);
    }
    void goTo(int page) { fake.setSelection(program.configWizard, kTabs, page); }
    int page() { return fake.selection(program.configWizard, kTabs); }
    // The page, "上一步" and "下一步" enabled (+) or not (-), and the right button's caption.
    std::string buttons() {
        return std::to_string(page()) + (enabled(kPreviousButton) ? "+" : "-") +
               (enabled(kNextButton) ? "+" : "-") + text(kNextButton);
    }
    void answer(int id) { fake.answerNextMessageBox(id); }

    testing::FakePlatform fake;
    Program program{fake};
};

TEST_F(WizardTest, NextAndPreviousFollowThePageRuleAndTheLastPageFinishes) {
    open();
    EXPECT_EQ(buttons(), "0-+下一步");
    for (const char* expected : {"1+-下一步", "2++下一步", "3++下一步", "4++下一步", "5++完成"}) {
        if (page() == kTimePage) {
            click(kConfirmButton);  // holds "下一步" back until pressed
        }
        click(kNextButton);
        EXPECT_EQ(buttons(), expected);
    }
    for (const char* expected : {"4++下一步", "3++下一步", "2++下一步", "1+-下一步", "0-+下一步"}) {
        click(kPreviousButton);
        EXPECT_EQ(buttons(), expected);
    }
    goTo(kTimePage);
    goTo(kFinishPage);  // leaves "下一步" disabled; pages 0 and 1 leave the caption
    EXPECT_EQ(buttons(), "5+-完成");
    goTo(kWelcomePage);
    EXPECT_EQ(buttons(), "0-+完成");
}

TEST_F(WizardTest, AltDigitsPressOnlyEnabledButtons) {
    open();
    EXPECT_EQ(text(kPreviousShortcut) + text(kNextShortcut), "<alt + 1><alt + 2> ");
    const std::pair<int, int> keys[] = {{'1', 0}, {'2', 1}, {'2', 1},  {0, 1},
                                        {'2', 2}, {'3', 2}, {0x61, 2}, {'1', 1}};
    for (const auto& [key, pageAfter] : keys) {
        key == 0 ? click(kConfirmButton) : fire("", EventKind::AltKey, key);
        EXPECT_EQ(page(), pageAfter) << key;
    }
    fire(kNextButton, EventKind::KeyUp, '2');  // a plain digit
    EXPECT_EQ(page(), 1);
}

TEST_F(WizardTest, MenuOpenersWaitOnTheirPageAndLaterOpeningsStartOnTheWelcomePage) {
    createMainWindow(program);
    for (const auto& [page, expected] :
         {std::pair{1, "1+-下一步"}, {3, "3++下一步"}, {4, "4++下一步"}}) {
        std::string seen;
        fake.onModal = [&](WindowId w) {
            seen = buttons() + (fake.windowVisible(w) ? "" : " hidden");
        };
        openConfigWizard(program, static_cast<std::int16_t>(page));
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(program.configWizard, 0);
    }
    showConfigWizard(program, false);
    EXPECT_EQ(buttons(), "0-+下一步");
    EXPECT_EQ(fake.window(program.configWizard).owner, program.mainWindow);
    EXPECT_EQ(fake.windowRect(program.configWizard), (Rect{246, 192, 532, 383}));
    openConfigWizard(program, 4);  // an open wizard is only brought to the front
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(fake.calls("front"), Log{"front Varnel 程序配置"});
    EXPECT_EQ(fake.calls("modal").size(), 3u);
}

TEST_F(WizardTest, CancelAsksAndWritesNothingFinishSavesAndRestartsOnlyOnYes) {
    open(kTimePage);
    type(kHourBox, "7");
    for (const int id : {kIdNo, kIdYes}) {
        answer(id);
        click(kCancelButton);
    }
    EXPECT_EQ(fake.calls("box"), Log(2, "box 0x24 Varnel: 退出‘向导’即将载入默认置\r\n是否继续？"));
    EXPECT_EQ(program.configWizard, 0);
    EXPECT_EQ(fake.settings(), kDefaults);
    fake.log.clear();
    for (const int id : {kIdNo, kIdYes}) {
        open(kTimePage);
        type(kHourBox, id == kIdYes ? "21" : "5");
        goTo(kPositionPage);
        goTo(kFinishPage);
        answer(id);
        click(kNextButton);
        EXPECT_EQ(program.configWizard == 0, id == kIdNo);
    }
    EXPECT_EQ(fake.calls("box"),
              Log(2,
                  "box 0x24 设置已经成功，重启后生效！: 设置成功! 程序重启后生效。"
                  "\r\n 是否立刻重启？ \r\n‘是’为立刻重新启动程序"));
    EXPECT_EQ(program.settings.readSetting("关机时间", "小时"), "21");
    EXPECT_EQ(fake.calls("start"), Log{"start " + kExe});
    EXPECT_EQ(fake.calls("exit"), Log{"exit 0"});
}

TEST_F(WizardTest, TipsStayUntilAnotherReplacesThem) {
    open();
    EXPECT_EQ(text(kTipLine), "");
    for (const auto& [control, tip] : {std::pair{kConfirmButton, "确定更改重启生效"},
                                       {kCancelButton, "取消更改"},
                                       {kHourBox, "输入小时"},
                                       {kMinuteBox, "输入分钟"},
                                       {kLowerRestoreLabel, "恢复程序的默认置"},
                                       {kTipCaption, "恢复程序的默认置"},
                                       {kRestoreLabel, "恢复程序的默认置"}}) {
        fire(control, EventKind::MouseOver);
        EXPECT_EQ(text(kTipLine), tip) << control;
    }
}

TEST_F(WizardTest, TimeBoxesKeepTheirRangeWhileTypedAndTheSpinStepsTheLastFocusedOne) {
    program.settings.writeSetting("关机时间", "小时", "99");
    program.settings.writeSetting("关机时间", "分钟", "-3");
    open(kTimePage);
    fire(kTimeSpin, EventKind::Spin, 1);                         // no box had the focus yet
    EXPECT_EQ(text(kHourBox) + ":" + text(kMinuteBox), "23:0");  // clamped when loaded
    const struct {
        const char* box;
        const char* typed;
        int step;
        const char* shown;
    } cases[] = {
        {kHourBox, "30", 0, "23"},  {kHourBox, "24", 0, "23"},   {kHourBox, "-5", 0, "0"},
        {kHourBox, "7", 0, "7"},    {kHourBox, "", 0, ""},       {kMinuteBox, "60", 0, "59"},
        {kMinuteBox, "-1", 0, "0"}, {kMinuteBox, "07", 0, "07"}, {kHourBox, "23", 1, "00"},
        {kHourBox, "00", -1, "23"}, {kHourBox, "7", 1, "08"},    {kHourBox, "10", -1, "09"},
        {kHourBox, "", -1, "23"},   {kMinuteBox, "59", 1, "00"}, {kMinuteBox, "00", -1, "59"},
        {kMinuteBox, "9", 1, "10"}};
    for (const auto& c : cases) {
        type(c.box, c.typed);  // focuses the box
        if (c.step != 0) {
            fire(kTimeSpin, EventKind::Spin, c.step);
        }
        EXPECT_EQ(text(c.box), c.shown) << c.box << " " << c.typed << " " << c.step;
    }
    fake.setFocus(program.configWizard, kConfirmButton);
    open(kTimePage);  // the spin keeps its box across openings
    fire(kTimeSpin, EventKind::Spin, -1);
    EXPECT_EQ(text(kMinuteBox), "59");
}

TEST_F(WizardTest, ConfirmCorrectsTheFirstFieldOutOfRangeAndSaysSo) {
    const struct {
        const char *hour, *minute, *after;  // nullptr: accepted as it is
    } cases[] = {{"23.5", "59.5", "23:59.5"},   {"-0.5", "0", "0:0"},
                 {"12", "59.5", "12:59"},       {"12", "-0.25", "12:0"},
                 {"23", "59", nullptr},         {"23.00000005", "59.00000009", nullptr},
                 {"-0.00000009", "0", nullptr}, {"", "", nullptr}};
    for (const auto& c : cases) {
        program.settings.writeSetting("关机时间", "小时", c.hour);
        program.settings.writeSetting("关机时间", "分钟", c.minute);
        open(kTimePage);
        fake.log.clear();
        if (c.after != nullptr) {
            answer(kIdOk);
        }
        click(kConfirmButton);  // an unexpected message fails the test
        EXPECT_EQ(fake.calls("box"),
                  c.after ? Log{"box 0 Varnel: 时间设置超出范围！请返回修改！"} : Log{});
        EXPECT_EQ(text(kHourBox) + ":" + text(kMinuteBox),
                  c.after ? c.after : std::string(c.hour) + ":" + c.minute);
        EXPECT_TRUE(enabled(kNextButton));
    }
}

TEST_F(WizardTest, StartWithWindowsAndShutdownAtStartExcludeEachOtherAndTheLatterNeedsAYes) {
    program.settings.writeOption("开机自动运行Varnel", true);
    open(kOptionsPage);
    EXPECT_FALSE(enabled(kShutdownAtStartBox));
    program.settings.writeOption("开机自动运行Varnel", false);
    open(kOptionsPage);
    EXPECT_TRUE(enabled(kShutdownAtStartBox));
    for (const int id : {kIdNo, kIdYes}) {
        answer(id);
        click(kShutdownAtStartBox);
        EXPECT_EQ(checked(kShutdownAtStartBox), id == kIdYes);
    }
    EXPECT_EQ(fake.calls("box"), Log(2,
                                     "box 0x44 程序起动后立即关机 选项: 此项请谨慎选择！\r\n"
                                     "点击‘是’确定选择 点击 ‘否’ 取消选择。"));
    click(kStartWithWindowsBox);
    EXPECT_FALSE(checked(kShutdownAtStartBox) || enabled(kShutdownAtStartBox));
    click(kShutdownAtStartBox);  // disabled: the click does not reach it
    click(kStartWithWindowsBox);
    EXPECT_TRUE(enabled(kShutdownAtStartBox) && !checked(kShutdownAtStartBox));
    answer(kIdYes);
    click(kShutdownAtStartBox);
    click(kShutdownAtStartBox);  // unchecking asks nothing
    for (const char* box :
         {kStartMinimisedBox, kQuickShutdownBox, kFiveMinuteBox, kNotInFrontBox, kTrayIconBox}) {
        const bool before = checked(box);
        click(box);
        EXPECT_NE(checked(box), before) << box;
    }
    EXPECT_EQ(fake.calls("box").size(), 3u);
}

TEST_F(WizardTest, PositionArrowsMoveTheMainWindowTenPixelsAtATime) {
    createMainWindow(program);
    fake.moveWindow(program.mainWindow, 500, 400);
    open(kPositionPage);
    for (const auto& [spin, step] : {std::pair{kHorizontalSpin, 1},
                                     {kHorizontalSpin, 1},
                                     {kHorizontalSpin, -1},
                                     {kVerticalSpin, 1},
                                     {kVerticalSpin, 1},
                                     {kVerticalSpin, -1}}) {
        fire(spin, EventKind::Spin, step);
    }
    EXPECT_EQ(fake.windowRect(program.mainWindow), (Rect{510, 390, 229, 152}));
}

// Groups: 1 configuration, 2 show/hide, 3 shutdown, 4 exit; by default
// Ctrl with F10, F11, F9 and F12. A prepared change (-1: none) is accepted.
TEST_F(WizardTest, AHotkeyEqualToAnotherGroupsIsRefusedAndTheChangedListReverts) {
    open(kHotkeyPage);
    for (const auto& [list, index] : {std::pair{"组合框12", 0},
                                      {"组合框21", 2},
                                      {"组合框22", 0},
                                      {"组合框31", 2},
                                      {"组合框11", 0}}) {
        fake.pick(program.configWizard, list, index);  // shares only a modifier or a key
    }
    const struct {
        const char* stored;
        const char* list;
        int prepared;
        bool arrowPrepared;
        int clash;
        bool arrowClash;
        const char* code;
        const char* shown;
    } cases[] = {
        {"", "组合框12", -1, false, 10, false, "(001)", "F10"},
        {"[打开软件配置程序]\r\n1=0\r\n2=4\r\n[热键关机]\r\n1=0\r\n2=5\r\n", "组合框32", -1, false,
         4, false, "(001)", "F6"},
        {"[显示或隐藏窗口]\r\n1=1\r\n2=8\r\n[热键关机]\r\n1=2\r\n2=0\r\n[退出程序]\r\n1=0\r\n2="
         "8\r\n",
         "组合框41", -1, false, 1, false, "(002)", "Ctrl"},
        {"[显示或隐藏窗口]\r\n1=1\r\n2=8\r\n", "组合框21", -1, false, 0, false, "(002)", "Alt"},
        {"[打开软件配置程序]\r\n1=7\r\n2=11\r\n", "组合框11", -1, false, 0, false, "(002)", "Ctrl"},
        {"[显示或隐藏窗口]\r\n1=0\r\n2=30\r\n", "组合框22", -1, false, 8, false, "(001)", ""},
        {"[打开软件配置程序]\r\n1=0\r\n2=10\r\n", "组合框32", -1, false, 2, false, "", "F3"},
        {"[打开软件配置程序]\r\n1=0\r\n2=10\r\n", "组合框12", -1, false, 10, false, "(001)", "F11"},
        {"", "组合框12", 2, true, 11, true, "(001)", "F3"},
        {"", "组合框42", 1, false, 8, true, "(001)", "F2"},
    };
    for (const auto& c : cases) {
        fake.setSettings(c.stored + kDefaults);
        open(kHotkeyPage);
        fake.log.clear();
        const auto change = [&](int index, bool arrow) {
            if (!arrow) {
                return fake.pick(program.configWizard, c.list, index);
            }
            fake.setSelection(program.configWizard, c.list, index);
            fire(c.list, EventKind::SelectionChanged);
        };
        if (c.prepared >= 0) {
            change(c.prepared, c.arrowPrepared);
        }
        if (*c.code != '\0') {
            answer(kIdOk);
        }
        change(c.clash, c.arrowClash);
        EXPECT_EQ(fake.calls("box"),
                  *c.code != '\0'
                      ? Log{std::string("box 0 Varnel: 热键设置不能相同，请更正！") + c.code}
                      : Log{})
            << c.list << " " << c.clash;
        EXPECT_EQ(text(c.list), c.shown) << c.list << " " << c.clash;
    }
}

TEST_F(WizardTest, TheInformationPagesShowTheirTextsAndTheHomePage) {
    open(kFinishPage);
    std::vector<std::string> lines;
    const std::string welcome = text(kWelcomeLabel) + "\r\n";
    for (std::size_t at = 0, end; (end = welcome.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
        lines.push_back(welcome.substr(at, end - at));
    }
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], std::string(25, ' ') + "欢迎使用Varnel小程序");
    EXPECT_EQ(lines[1] + lines[2] + lines[4] + lines[6] + lines[8] + lines[10] + lines[12], "");
    EXPECT_EQ(lines[13], "  5.完成设置  (点击完成才能保存全部设置)");
    EXPECT_EQ(text(kVersionLabel), " 当前版本 V1.5\r\n欢迎下载最新版本！\r\nVarnel 主页下载地址：");
    EXPECT_EQ(text(kDownloadLink), kHomePage);
    click(kDownloadLink);
    click(kUpdateButton);
    for (const char* label : {kAboutLabel, kRestoreLabel, kLowerRestoreLabel}) {
        fire(label, EventKind::Clicked);  // only double clicks act
    }
    answer(kIdOk);
    fire(kAboutLabel, EventKind::DoubleClicked);
    EXPECT_EQ(fake.calls("url"), Log(2, "url " + std::string(kHomePage)));
    // No invented author: the home page, no e-mail address.
    const std::string about = fake.log.back();
    EXPECT_TRUE(about.starts_with("box 0x40 关于: 欢迎使用！") &&
                about.find(kHomePage) != std::string::npos && about.find('@') == std::string::npos)
        << about;
    EXPECT_EQ(buttons(), "5++完成");
}

TEST_F(WizardTest, RestoreLabelsAskAndRestoreAndRestartOnlyOnYes) {
    createMainWindow(program);
    fake.moveWindow(program.mainWindow, 785, 566);
    program.settings.writeSetting("关机时间", "小时", "20");
    open(kFinishPage);
    for (const char* label : {kRestoreLabel, kLowerRestoreLabel}) {
        answer(kIdNo);
        fire(label, EventKind::DoubleClicked);
    }
    EXPECT_EQ(fake.calls("box"), Log(2,
                                     "box 0x24 恢复默认置: 恢复程序的默认置! 程序重启后生效。\r\n"
                                     " 是否立刻重启？ \r\n‘是’为重启后生效‘否’为取消并返回"));
    EXPECT_EQ(program.settings.readSetting("关机时间", "小时"), "20");
    answer(kIdYes);
    fire(kRestoreLabel, EventKind::DoubleClicked);
    EXPECT_EQ(fake.settings(),
              kDefaults + "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n");
    EXPECT_EQ(program.wizardStartPage, 0);
    EXPECT_EQ(fake.calls("start"), Log{"start " + kExe});
    EXPECT_EQ(fake.calls("destroy"), (Log{"destroy Varnel 程序配置", "destroy "}));
}

// Row values differ wherever two controls could be mixed up.
const std::string kDistinct =
    "[开机自动运行Varnel]\r\n是=真\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=假\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=假\r\n"
    "[程序起动后立刻关机]\r\n是=真\r\n[关机时间]\r\n小时=07\r\n分钟=5\r\n"
    "[打开软件配置程序]\r\n1=2\r\n2=11\r\n[显示或隐藏窗口]\r\n1=1\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=3\r\n[热键关机]\r\n1=1\r\n2=8\r\n[窗口位置]\r\n1_1=1280\r\n2_1="
    "1024\r\n";

TEST_F(WizardTest, LoadsEveryRowIntoItsControlAndSavesItBackInOrder) {
    fake.screen = {1280, 1024};
    fake.setSettings("[句柄]\r\n窗口句柄=1\r\n" + kDistinct + "[倒计时]\r\n时间=15\r\n");
    open();
    std::string boxes;
    for (const char* box :
         {"选择框1", "选择框2", "选择框3", "选择框4", "选择框5", "选择框6", "选择框8"}) {
        boxes += checked(box) ? "1" : "0";
    }
    EXPECT_EQ(boxes, "1010110");
    std::string lists;
    for (const auto& group : kHotkeyCombos) {
        lists += text(group[0]) + "+" + text(group[1]) + " ";
    }
    EXPECT_EQ(lists, "Shift+F12 Alt+F11 Alt+F9 Ctrl+F4 ");
    EXPECT_EQ(text(kHourBox) + ":" + text(kMinuteBox), "07:5");
    saveWizardSettings(program);
    EXPECT_EQ(fake.settings(), "[句柄]\r\n窗口句柄=1\r\n" + kDistinct + "[倒计时]\r\n时间=15\r\n");
    fake.files.clear();
    saveWizardSettings(program);
    EXPECT_EQ(fake.settings(), kDistinct);
}

TEST_F(WizardTest, OnlyTrueChecksABoxIndexesAreTruncatedAndNoSelectionSavesMinusOne) {
    fake.setSettings(
        "[显示托盘图标]\r\n是=真\r\n[隐藏启动]\r\n是=1\r\n[强行关机]\r\n是=是\r\n"
        "[热键关机]\r\n1=2.9\r\n2=\r\n[退出程序]\r\n1=x\r\n2=7.5\r\n[关机时间]\r\n分钟=05\r\n");
    open();
    for (const char* box :
         {"选择框1", "选择框2", "选择框3", "选择框4", "选择框5", "选择框6", "选择框8"}) {
        EXPECT_EQ(checked(box), box == std::string("选择框8")) << box;
    }
    EXPECT_EQ(text("组合框31") + text("组合框32") + text("组合框41") + text("组合框42") +
                  text("组合框12"),
              "ShiftF1CtrlF8F1");
    fake.setSelection(program.configWizard, "组合框22", -1);
    fake.screen = {1600, 900};
    saveWizardSettings(program);
    EXPECT_EQ(program.settings.readSetting("显示或隐藏窗口", "2"), "-1");
    EXPECT_EQ(program.settings.readSetting("关机时间", "小时") + ":" +
                  program.settings.readSetting("关机时间", "分钟"),
              ":05");
    EXPECT_EQ(program.settings.readSetting("窗口位置", "1_1") + "x" +
                  program.settings.readSetting("窗口位置", "2_1"),
              "1600x900");
}

// The machine's Run key first; where a standard user may not write it, the user's.
TEST_F(WizardTest, StartWithWindowsRegistersTheQuotedPathUnderOneRootAndClearsBoth) {
    fake.exeDir = "C:\\My Tools";
    fake.exeName = "时钟.exe";
    open();
    for (const bool standardUser : {false, true}) {
        fake.machineRegistryRefused = standardUser;
        fake.setChecked(program.configWizard, kStartWithWindowsBox, true);
        saveWizardSettings(program);
        EXPECT_EQ(
            fake.registry,
            (std::map<std::string, std::string>{
                {(standardUser ? "HKCU\\" : "HKLM\\") + kRunValue, "\"C:\\My Tools\\时钟.exe\""}}));
        fake.registry["HKLM\\" + kRunValue] = fake.registry["HKCU\\" + kRunValue] = "x";
        fake.setChecked(program.configWizard, kStartWithWindowsBox, false);
        saveWizardSettings(program);
        EXPECT_TRUE(fake.registry.empty());
        EXPECT_EQ(program.settings.readSetting("开机自动运行Varnel", "是"), "假");
    }
    fake.registry["HKLM\\" + kRunValue] = "x";
    restoreDefaults(program);  // the file then says no start with Windows
    EXPECT_TRUE(fake.registry.empty());
}

TEST_F(WizardTest, DefaultsResetTheUserSettingsInOneWriteAndKeepTheRest) {
    fake.screen = {1920, 1080};
    fake.setSettings(
        "; 手改的\r\n[句柄]\r\n窗口句柄=65552\r\n[强行关机]\r\n是=假\r\n备注=留着\r\n"
        "[倒计时窗口样式]\r\n样式=3\r\n");
    restoreDefaults(program);  // first start: no main window yet
    const std::string position = "[窗口位置]\r\n1=1681\r\n2=878\r\n1_1=1920\r\n2_1=1080\r\n";
    const std::size_t forced = kDefaults.find("[强行关机]"), next = kDefaults.find("[倒记时");
    EXPECT_EQ(fake.settings(),
              "; 手改的\r\n[句柄]\r\n窗口句柄=65552\r\n[强行关机]\r\n是=真\r\n备注=留着\r\n"
              "[倒计时窗口样式]\r\n样式=3\r\n" +
                  kDefaults.substr(0, forced) + kDefaults.substr(next) + position);
    EXPECT_EQ(fake.files[program.settings.path()].writes, 1);
}

TEST_F(WizardTest, ARestartReleasesTheHotkeysFirstAndEndsThisCopy) {
    for (const auto variant : {RestartVariant::AfterSave, RestartVariant::AfterDefaults}) {
        testing::FakePlatform f;
        Program p{f};
        createMainWindow(p);
        p.toggleHotkeyId = 2;
        f.addTrayIcon(p.mainWindow, "icon", "tip");
        f.log.clear();
        restartProgram(p, variant);
        EXPECT_EQ(f.log, variant == RestartVariant::AfterSave
                             ? (Log{"unhotkey 0", "unhotkey 2", "unhotkey 0", "unhotkey 0",
                                    "pending", "untray", "start " + kExe, "exit 0"})
                             : (Log{"unhotkey 0", "unhotkey 2", "unhotkey 0", "unhotkey 0",
                                    "pending", "start " + kExe, "destroy ", "exit 0"}));
    }
}

}  // namespace
}  // namespace varnel
