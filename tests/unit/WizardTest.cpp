// The configuration window: the page rule, each page's rules, the defaults, load and save.
#include <map>

#include "app/StartUp.h"
#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardSettings.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using namespace wizard;
using testing::Log;
using namespace std::string_literals;

const std::string kStart = "start \"C:\\Program Files\\Varnel\\varnel.exe\"";
const std::string kRun = std::string(keys::kRunKey) + "\\" + keys::kRunValue;
const std::string kDefaults =
    "[开机自动运行Varnel]\r\n是=假\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=真\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=真\r\n"
    "[程序起动后立刻关机]\r\n是=假\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n[关机日]\r\n星期="
    "1111111\r\n"
    "[打开软件配置程序]\r\n1=0\r\n2=9\r\n[显示或隐藏窗口]\r\n1=0\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=11\r\n[热键关机]\r\n1=0\r\n2=8\r\n"
    "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n";

class WizardTest : public testing::FakeProgramTest {
protected:
    // The defaults, written at once (the main window not yet there).
    WizardTest() {
        restoreDefaults(program);
        EXPECT_EQ(fake.settings(), kDefaults);
        EXPECT_EQ(fake.files[program.settings.path()].writes, 1);
    }
    // A fresh wizard on `page`, the settings file holding `settings` before the defaults.
    void open(int page = 0, const std::string& settings = "") {
        fake.setSettings(settings + kDefaults);
        if (program.configWizard != 0) {
            fake.destroyWindow(program.configWizard);
        }
        program.wizardStartPage = static_cast<std::int16_t>(page);
        showConfigWizard(program, false);
    }
    std::string text(const char* control) { return fake.text(wizard, control); }
    bool checked(const char* control) { return fake.checked(wizard, control); }
    void click(const char* control) { fake.click(wizard, control); }
    void fire(const char* control, EventKind kind, int arg = 0) {
        fake.fire(wizard, control, kind, arg);
    }
    void type(const char* control, const std::string& t) { fake.type(wizard, control, t); }
    // The page, "上一步" and "下一步" enabled (+) or not (-), and the right button's caption.
    std::string buttons() {
        const auto state = [&](const char* b) { return fake.enabled(wizard, b) ? "+" : "-"; };
        return std::to_string(fake.selection(wizard, kTabs)) + state(kPreviousButton) +
               state(kNextButton) + text(kNextButton);
    }
    // "完成" or a restore's "是" with the answers to the boxes that follow.
    void finish(std::vector<int> answers, const char* how = kNextButton) {
        for (const int answer : answers) {
            fake.answerNextMessageBox(answer);
        }
        how == kNextButton ? click(how) : fire(how, EventKind::DoubleClicked);
    }

    const WindowId& wizard = program.configWizard;
};

// "确定" on the time page lets "下一步" on; Alt+1 and Alt+2 press the enabled
// buttons. The menu's openers wait on their page; the next opening starts on
// the welcome page.
TEST_F(WizardTest, TheButtonsFollowThePageRuleAndTheLastPageFinishes) {
    createMainWindow(program);
    fake.onModal = [&](WindowId) { EXPECT_EQ(buttons(), "3++下一步"); };
    openConfigWizard(program, 3);
    showConfigWizard(program, false);
    EXPECT_EQ(fake.window(wizard).owner, program.mainWindow);
    EXPECT_EQ(fake.windowRect(wizard), (Rect{246, 192, 532, 383}));
    // clang-format off
    const std::pair<const char*, const char*> kSteps[] = {
        {"", "0-+下一步"}, {kNextButton, "1+-下一步"}, {kNextButton, "1+-下一步"},
        {kConfirmButton, "1++下一步"}, {kNextButton, "2++下一步"}, {kNextButton, "3++下一步"},
        {kNextButton, "4++下一步"}, {kNextButton, "5++完成"}, {kPreviousButton, "4++下一步"},
        {"1", "3++下一步"}, {"3", "3++下一步"}, {"a", "3++下一步"}, {kPreviousButton, "2++下一步"},
        {kPreviousButton, "1+-下一步"}, {"1", "0-+下一步"}, {"1", "0-+下一步"}, {"2", "1+-下一步"}};
    // clang-format on
    for (const auto& [action, after] : kSteps) {
        if (std::string_view(action).size() == 1) {
            fire("", EventKind::AltKey, *action);
        } else if (*action != '\0') {
            click(action);
        }
        EXPECT_EQ(buttons(), after) << action;
    }
    fire(kNextButton, EventKind::KeyUp, '2');       // a plain digit
    fake.setSelection(wizard, kTabs, kFinishPage);  // as a click on the tab
    EXPECT_EQ(buttons(), "5+-完成");  // "下一步" stays disabled; pages 0 and 1 keep the caption
    fake.setSelection(wizard, kTabs, kWelcomePage);
    EXPECT_EQ(buttons(), "0-+完成");
    openConfigWizard(program, 4);  // an open wizard is only brought to the front
    EXPECT_EQ(fake.calls("front"), Log{"front Varnel 程序配置"});
    fake.answerNextMessageBox(kIdNo);
    click(kCancelButton);  // answered no: nothing happens
    type(kHourBox, "21");
    finish({kIdYes});  // "完成" saves, then restarts: the new copy needs the hotkeys
    EXPECT_EQ(fake.boxes(), "0x24 Varnel|0x24 设置已经成功，重启后生效！|");
    EXPECT_EQ(program.settings.readSetting("关机时间", "小时"), "21");
    EXPECT_EQ(fake.lastCalls(9), (Log{"unhotkey 0", "unhotkey 0", "unhotkey 0", "unhotkey 0",
                                      "pending", "untray", "release", kStart, "exit 0"}));
}

// Each box keeps its range while typed into; the spin steps the box that last
// had the focus, with wrap-around; a tip line tells what is under the mouse.
TEST_F(WizardTest, TheTimeBoxesKeepTheirRangeAndTheSpinStepsTheLastFocusedOne) {
    open(kTimePage, "[关机时间]\r\n小时=99\r\n分钟=-3\r\n");
    fire(kTimeSpin, EventKind::Spin, 1);                         // no box had the focus yet
    EXPECT_EQ(text(kHourBox) + ":" + text(kMinuteBox), "23:0");  // clamped when loaded
    // clang-format off
    const std::tuple<const char*, const char*, int, const char*> kTyping[] = {
        {kHourBox, "30", 0, "23"}, {kHourBox, "-5", 0, "0"}, {kHourBox, "7", 0, "7"},
        {kHourBox, "", 0, ""}, {kMinuteBox, "60", 0, "59"}, {kMinuteBox, "07", 0, "07"},
        {kHourBox, "23", 1, "00"}, {kHourBox, "00", -1, "23"}, {kHourBox, "7", 1, "08"},
        {kHourBox, "10", -1, "09"}, {kMinuteBox, "59", 1, "00"}, {kMinuteBox, "9", 1, "10"}};
    // clang-format on
    for (const auto& [box, typed, step, shown] : kTyping) {
        type(box, typed);  // focuses the box
        if (step != 0) {
            fire(kTimeSpin, EventKind::Spin, step);
        }
        EXPECT_EQ(text(box), shown) << box << " " << typed << " " << step;
    }
    open(kTimePage);  // the spin keeps its box across openings
    fire(kTimeSpin, EventKind::Spin, -1);
    EXPECT_EQ(text(kMinuteBox), "59");
    const std::pair<const char*, const char*> kTips[] = {{kHourBox, "输入小时"},
                                                         {kTipCaption, "输入小时"},
                                                         {kCancelButton, "取消更改"},
                                                         {kLowerRestoreLabel, "恢复程序的默认置"}};
    for (const auto& [control, tip] : kTips) {
        fire(control, EventKind::MouseOver);  // the caption "提示:" has no tip
        EXPECT_EQ(text(kTipLine), tip);
    }
    for (const char* box : kWeekdayBoxes) {
        fire(kHourBox, EventKind::MouseOver);
        fire(box, EventKind::MouseOver);
        EXPECT_EQ(text(kTipLine), "选择每周哪几天关机") << box;
    }
}

// The finish page's clickable labels read as links (underlined, plain); the
// buttons and the closing words stand out (bold).
TEST(WizardTable, LinksReadAsLinksAndButtonsStandOut) {
    std::map<std::string, Font> fonts;
    for (const ControlSpec& c : configWizardSpec().controls) {
        fonts[c.name] = c.font;
    }
    for (const char* link : {kAboutLabel, kRestoreLabel, kLowerRestoreLabel}) {
        EXPECT_TRUE(fonts[link].underline && !fonts[link].bold) << link;
    }
    for (const char* bold :
         {kConfirmButton, kCancelButton, kUpdateButton, kDoneLabel, kPreviousButton, kNextButton}) {
        EXPECT_TRUE(fonts[bold].bold && !fonts[bold].underline) << bold;
    }
}

// Fractions come from a hand-edited file; the first field out of range is corrected.
TEST_F(WizardTest, ConfirmCorrectsTheFirstFieldOutOfRangeAndSaysSo) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> kTimes[] = {
        {"23.5", "59.5", "23:59.5"}, {"-0.5", "0", "0:0"}, {"12", "59.5", "12:59"},
        {"12", "-0.25", "12:0"}, {"23", "59", ""}, {"23.00000005", "59.00000009", ""},
        {"-0.00000009", "0", ""}, {"", "", ""}};
    // clang-format on
    for (const auto& [hour, minute, after] : kTimes) {
        open(kTimePage, "[关机时间]\r\n小时=" + std::string(hour) + "\r\n分钟=" + minute + "\r\n");
        fake.log.clear();
        if (*after != '\0') {
            fake.answerNextMessageBox(kIdOk);
        }
        click(kConfirmButton);  // an unexpected message fails the test
        EXPECT_EQ(fake.log, *after ? Log{"box 0 Varnel: 时间设置超出范围！请返回修改！"} : Log{});
        EXPECT_EQ(text(kHourBox) + ":" + text(kMinuteBox),
                  *after ? after : hour + std::string(":") + minute);
        EXPECT_EQ(buttons(), "1++下一步");
    }
}

TEST_F(WizardTest, StartWithWindowsExcludesShutdownAtStartWhichNeedsAYesAndArrowsMoveTheClock) {
    open(kOptionsPage, "[开机自动运行Varnel]\r\n是=真\r\n");
    EXPECT_FALSE(fake.enabled(wizard, kShutdownAtStartBox));
    open(kOptionsPage);
    const auto states = [&] {
        std::string all;
        for (const char* box :
             {kStartWithWindowsBox, kShutdownAtStartBox, kStartMinimisedBox, kTrayIconBox}) {
            all += std::string(checked(box) ? "1" : "0") + (fake.enabled(wizard, box) ? "" : "-");
        }
        return all;
    };
    for (const int answer : {kIdNo, kIdYes}) {
        fake.answerNextMessageBox(answer);
        click(kShutdownAtStartBox);
    }
    EXPECT_EQ(states() + fake.boxes(),
              "01010x44 程序起动后立即关机 选项|0x44 程序起动后立即关机 选项|");
    for (const char* box :
         {kStartWithWindowsBox, kShutdownAtStartBox, kStartMinimisedBox, kTrayIconBox}) {
        click(box);  // the second reaches no disabled box; the others flip without a question
    }
    EXPECT_EQ(states(), "10-10");
    click(kStartWithWindowsBox);
    EXPECT_EQ(states(), "0010");

    // 10 pixels a step at 96 DPI, scaled as the window is.
    for (const auto& [dpi, moved] :
         {std::pair{96, Rect{510, 390, 229, 152}}, {144, Rect{515, 385, 344, 228}}}) {
        fake.dpi = dpi;
        createMainWindow(program);
        fake.moveWindow(program.mainWindow, 500, 400);
        for (const int step : {1, 1, -1}) {  // vertical: +1 up, -1 down
            fire(kHorizontalSpin, EventKind::Spin, step);
            fire(kVerticalSpin, EventKind::Spin, step);
        }
        EXPECT_EQ(fake.windowRect(program.mainWindow), moved);
    }
}

TEST_F(WizardTest, LoadsEveryRowIntoItsControlAndSavesItBackInOrder) {
    // Row values differ wherever two controls could be mixed up.
    const std::string rows =
        "[开机自动运行Varnel]\r\n是=真\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
        "[倒记时5分钟提示]\r\n是=假\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=假\r\n"
        "[程序起动后立刻关机]\r\n是=真\r\n[关机时间]\r\n小时=07\r\n分钟=5\r\n"
        "[关机日]\r\n星期=0110101\r\n[打开软件配置程序]\r\n1=2\r\n2=11\r\n[显示或隐藏窗口]\r\n1="
        "1\r\n2=10\r\n"
        "[退出程序]\r\n1=0\r\n2=3\r\n[热键关机]\r\n1=1\r\n2=8\r\n"
        "[窗口位置]\r\n1_1=1280\r\n2_1=1024\r\n";
    fake.screen = {1280, 1024};
    open(0, rows);
    std::string shown;
    for (const char* box :
         {"选择框1", "选择框2", "选择框3", "选择框4", "选择框5", "选择框6", "选择框8"}) {
        shown += checked(box) ? "1" : "0";
    }
    shown += " ";
    for (const char* box : kWeekdayBoxes) {
        shown += checked(box) ? "1" : "0";
    }
    // Each hotkey's caption names the section that keeps it.
    const char* kSections[] = {"打开软件配置程序", "显示或隐藏窗口", "热键关机", "退出程序"};
    for (int g = 0; g < 4; ++g) {
        shown += " " + text(kHotkeyCombos[g][0]) + "+" + text(kHotkeyCombos[g][1]);
        EXPECT_EQ(text(kHotkeyCaptions[g]), kSections[g] + "："s);
    }
    EXPECT_EQ(shown + " " + text(kHourBox) + ":" + text(kMinuteBox),
              "1010110 0110101 Shift+F12 Alt+F11 Alt+F9 Ctrl+F4 07:5");
    fake.files.clear();
    saveWizardSettings(program);
    EXPECT_EQ(fake.settings(), rows);
    // An arrow key makes Alt+F9 Alt+F11, as another: refused, back to what it showed.
    fake.setSelection(wizard, "组合框32", 10);
    fake.answerNextMessageBox(kIdOk);
    fire("组合框32", EventKind::SelectionChanged);
    EXPECT_EQ(text("组合框32") + fake.log.back(),
              "F9box 0 Varnel: 热键设置不能相同，请更正！(001)");
    // Only "真" checks a box, indexes are truncated, and no selection saves -1.
    open(0, "[显示托盘图标]\r\n是=1\r\n[热键关机]\r\n1=2.9\r\n2=\r\n[关机时间]\r\n小时=\r\n");
    EXPECT_EQ(text("组合框31") + text("组合框32") + std::to_string(checked(kTrayIconBox)),
              "ShiftF10");
    fake.setSelection(wizard, "组合框22", -1);
    saveWizardSettings(program);
    EXPECT_EQ(program.settings.readSetting("显示或隐藏窗口", "2") +
                  program.settings.readSetting("关机时间", "小时"),
              "-1");
}

// A save or a restore that cannot write the file says so and keeps the wizard
// open, the file whole and the registry as it was, after one attempt only. One
// that wrote it but not the Run value goes on after a warning.
TEST_F(WizardTest, ASaveOrRestoreThatCannotWriteSaysSoAndRestartsNothing) {
    createMainWindow(program);
    open(kFinishPage, "[关机时间]\r\n小时=21\r\n");  // not the defaults
    click(kStartWithWindowsBox);
    const std::string before = fake.files[program.settings.path()].bytes, page = buttons();
    fake.unwritable.insert(fake.exeDir);  // a full disk, a file another program holds
    fake.log.clear();
    for (const char* how : {kNextButton, kRestoreLabel}) {
        const int attempts = fake.writeAttempts;
        finish(how == kNextButton ? std::vector{kIdOk} : std::vector{kIdYes, kIdOk}, how);
        EXPECT_TRUE(fake.log.back().starts_with("box 0x10 设置未保存: 无法写入设置文件：\r\n" +
                                                program.settings.path() + "\r\n"))
            << fake.log.back();
        EXPECT_EQ(fake.writeAttempts - attempts, 1) << how;
    }
    EXPECT_EQ(fake.files[program.settings.path()].bytes, before);
    EXPECT_EQ(fake.calls("HK").size() + fake.calls("start").size() + fake.calls("exit").size(), 0u);
    EXPECT_TRUE(fake.windowExists(wizard));
    EXPECT_EQ(buttons(), page);
    // Tried again once the file is free, the Run key refused: saved, then warned
    // before "设置成功"; a restore that cannot delete it warns before it restarts.
    fake.unwritable.clear();
    fake.refusedRoots = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
    fake.log.clear();
    std::string savedAtBox;
    fake.whileBoxOpen = [&] {
        savedAtBox += program.settings.readSetting("开机自动运行Varnel", "是");
    };
    finish({kIdOk, kIdNo, kIdYes, kIdOk});  // answers for this save and the restore below
    EXPECT_EQ(wizard, 0);
    open(kFinishPage, "[开机自动运行Varnel]\r\n是=真\r\n");
    fake.registry["HKCU " + kRun] = kStart.substr(6);
    fire(kRestoreLabel, EventKind::DoubleClicked);
    EXPECT_EQ(fake.boxes(),
              "0x30 开机自动运行未设置|0x24 设置已经成功，重启后生效！|0x24 恢复默认置|"
              "0x30 开机自动运行未取消|");
    EXPECT_EQ(savedAtBox, "真真真假");  // each warning after its write of the file
    EXPECT_EQ(fake.calls("start"), Log{kStart});
}

// A new copy that cannot be started, or does not take the claim within 10 s: this
// one takes back its claim, hotkeys (no box for one taken meanwhile) and tray icon,
// says so and runs on. Saved in the first-start wizard, start-up then sets them up.
TEST_F(WizardTest, ARestartWhoseNewCopyDoesNotComeUpLeavesThisOneRunning) {
    using NewCopy = testing::FakePlatform::NewCopy;
    const std::string box =
        "box 0x30 无法重新启动: 设置已保存，但程序无法重新启动。\r\n"
        "新的设置将在下次启动程序时生效。";
    fake.files.clear();
    fake.newCopy = NewCopy::NotStarted;
    fake.onModal = [&](WindowId) {
        fake.setSelection(wizard, kTabs, kFinishPage);
        finish({kIdYes, kIdOk});
        EXPECT_EQ(fake.lastCalls(3), (Log{kStart, "claim", box}));
    };
    runProgram(program);
    EXPECT_EQ(fake.calls("hotkey").size(), 4u);  // once, by start-up
    fake.taken = {fake.hotkeys.back()};
    fake.newCopy = NewCopy::Stalls;
    open(kFinishPage);
    fake.log.clear();
    finish({kIdYes, kIdOk}, kRestoreLabel);
    EXPECT_EQ(fake.calls("pause 100").size(), 100u);
    EXPECT_EQ(fake.lastCalls(7),
              (Log{"claim", "hotkey 0x4002 121", "hotkey 0x4002 122", "hotkey 0x4002 123",
                   "hotkey 0x4002 120", "tray " + fake.exeDir + "\\图标.ico Varnel程序", box}));
    EXPECT_EQ(fake.hotkeys.size() * 10 + (fake.trayWindow == program.mainWindow), 31u);
    EXPECT_TRUE(fake.calls("exit").empty() && wizard == 0);
}

// "devora" under HKLM and HKCU, a letter each: 'o' this copy's as it writes it,
// 'O' this copy's unquoted in capitals, 'x' another copy's, '-' none; runValues
// sets them first when given letters.
std::string runValue(const testing::FakePlatform& f, char letter) {
    std::string upper = f.exeDir + "\\VARNEL.EXE";
    std::ranges::transform(upper, upper.begin(), ::toupper);
    return letter == 'o'   ? "\"" + f.exeDir + "\\varnel.exe\""
           : letter == 'O' ? upper
           : letter == 'x' ? "D:\\Other\\varnel.exe"
                           : "";
}

std::string runValues(testing::FakePlatform& f, std::string_view set = "") {
    std::string letters;
    for (const std::string root : {"HKLM ", "HKCU "}) {
        if (!set.empty()) {
            f.registry[root + kRun] = runValue(f, set[letters.size()]);
            std::erase_if(f.registry, [](const auto& entry) { return entry.second.empty(); });
        }
        const std::string value = f.registry.contains(root + kRun) ? f.registry[root + kRun] : "";
        letters += *std::ranges::find_if(std::string_view("oOx-?"), [&](char letter) {
            return letter == '?' || runValue(f, letter) == value;
        });
    }
    return letters;
}

// One root names this copy, HKLM only where no standard user can replace the
// file (Program Files); off, and the defaults, delete only this copy's values;
// a refusal that leaves the registry otherwise than the file says is told.
TEST(StartWithWindows, ThisCopyUnderOneSafeRootAnotherCopysValueKept) {
    const std::string pf = "C:\\Program Files\\Varnel", d = "D:\\Varnel";
    const std::set<RegistryRoot> none, lm{RegistryRoot::LocalMachine},
        cu{RegistryRoot::CurrentUser};
    const std::string notSet = " box 0x30 开机自动运行未设置",
                      notUnset = " box 0x30 开机自动运行未取消";
    // The exe's folder, roots refused, "devora" before; after a save with the
    // option on, after a save with it cleared (and after a restore).
    const std::tuple<std::string, std::set<RegistryRoot>, const char*, std::string, std::string>
        kCases[] = {
            {pf, none, "oo", "o-", "--"},
            {pf, none, "Ox", "o-", "-x"},
            {pf, none, "xO", "o-", "x-"},
            {pf, none, "--", "o-", "--"},
            {"C:\\Program Files (x86)", none, "x-", "o-", "x-"},
            {"c:\\program files\\Tools\\Varnel", none, "-x", "o-", "-x"},
            {"C:\\Program Files Evil\\Varnel", none, "--", "-o", "--"},
            {"C:\\Program Files\\..\\Users\\Public", none, "--", "-o", "--"},
            {"C:\\Users\\user\\AppData\\Local\\Programs\\Varnel", none, "oo", "-o", "--"},
            {d, none, "x-", "xo", "x-"},
            {pf, lm, "--", "-o", "--"},
            {pf, lm, "Ox", "O-", "Ox" + notUnset},
            {pf, lm, "x-", "xo", "x-"},
            {d, lm, "O-", "O-", "O-" + notUnset},
            {d, cu, "-o", "-o", "-o" + notUnset},
            {d, cu, "--", "--" + notSet, "--"},
        };
    for (const auto& [folder, refused, before, on, off] : kCases) {
        testing::FakePlatform f;
        Program p{f};
        f.exeDir = folder;
        writeDefaults(p, false);  // the first start's, without the weekdays
        EXPECT_EQ(f.settings().find("[关机日]"), std::string::npos);
        showConfigWizard(p, false);
        f.refusedRoots = refused;
        for (const int action : {1, 0, -1}) {  // save with the option on, cleared; restore
            runValues(f, before);
            f.log.clear();
            f.answerNextMessageBox(kIdOk);  // the warning's, where one comes up
            if (action >= 0) {
                f.setChecked(p.configWizard, kStartWithWindowsBox, action == 1);
                saveWizardSettings(p);
            } else {
                restoreDefaults(p);
            }
            std::string seen = runValues(f);
            for (const std::string& box : f.calls("box")) {
                seen += " " + box.substr(0, box.find(':'));
            }
            EXPECT_EQ(seen, action == 1 ? on : off) << folder << " " << before << " " << action;
        }
    }
}

}  // namespace
}  // namespace varnel
