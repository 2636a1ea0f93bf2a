// The main window: the window tables, the start-up sequence, the clock's
// labels, place and effects, the rebuild after an Explorer restart, the tray
// icon and its menu.
#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "clock/WindowEffects.h"
#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "core/Program.h"
#include "schedule/CountdownWindow.h"
#include "support/FakePlatform.h"
#include "tray/TrayMenu.h"

namespace varnel {
namespace {

using testing::FakePlatform;
using testing::Log;

// The main window's top-level labels may overhang its shaped edge.
TEST(WindowTables, ControlsAreUniqueAndInsideTheirContainersBuiltBeforeThem) {
    for (const WindowSpec& window : {mainWindowSpec(), countdownWindowSpec(), configWizardSpec()}) {
        std::map<std::string, const ControlSpec*> seen;
        for (const ControlSpec& c : window.controls) {
            const ControlSpec* parent = c.parent.empty() ? nullptr : seen[c.parent];
            const Rect outer = parent ? parent->rect : window.rect;
            const bool onPage = parent && parent->kind == ControlKind::Tab;
            const bool inside = c.rect.left >= 0 && c.rect.top >= 0 &&
                                c.rect.left + c.rect.width <= outer.width &&
                                c.rect.top + c.rect.height <= outer.height;
            EXPECT_TRUE(
                seen.emplace(c.name, &c).second && (c.parent.empty() || parent) &&
                (onPage ? c.page >= 0 && c.page < std::ssize(parent->items) : c.page == -1) &&
                (c.kind != ControlKind::Edit || c.maxLength > 0) &&
                (inside || (!parent && window.rect.width == kMainWindowWidth)))
                << window.title << ": " << c.name;
        }
    }
}

const std::string kIcon("\0\0\1\0icon", 8);

// A program started with its icon beside the exe and a settings file that
// begins with `settings` and holds the defaults after them; nullptr: no file.
struct Started {
    explicit Started(const char* settings, int answer = kIdOk,
                     std::uint32_t attributes = kAttrArchive) {
        if (settings != nullptr) {
            restoreDefaults(program);
            fake.setSettings(settings + fake.settings());
            fake.files[program.settings.path()].attributes = attributes;
        }
        fake.files[fake.path("\\图标.ico")].bytes = kIcon;
        fake.answerNextMessageBox(answer);
        runProgram(program);
    }
    FakePlatform fake;
    Program program{fake};
};

// Later starts: the clock at its place, the hotkeys, the tray icon, the
// shape; then what the settings ask for.
TEST(StartUp, ALaterStartSetsUpTheClockAndDoesWhatItsSettingsSay) {
    const std::tuple<const char*, int, const char*> kStarts[] = {
        {"[隐藏启动]\r\n是=真\r\n[倒记时5分钟提示]\r\n是=假\r\n", kIdOk, "hidden, no warning"},
        {"[程序起动后立刻关机]\r\n是=真\r\n", kIdYes, "asked, shutdown 1"},
        {"[程序起动后立刻关机]\r\n是=真\r\n[强行关机]\r\n是=假\r\n", kIdYes, "asked, shutdown 0"},
        {"[程序起动后立刻关机]\r\n是=真\r\n", kIdNo, "asked"},
        {"[关机时间]\r\n小时=0\r\n", kIdOk, "wizard"},
        {"[关机时间]\r\n小时=24\r\n", kIdOk, "wizard"},
        {"[关机时间]\r\n小时=1\r\n", kIdOk, ""}};
    for (const auto& [settings, answer, outcome] : kStarts) {
        // Read-only settings are made hidden, system and archive, so they can be written.
        Started s(settings, answer, answer == kIdOk ? kAttrReadOnly | kAttrArchive : kAttrArchive);
        FakePlatform& f = s.fake;
        const WindowId main = s.program.mainWindow;
        std::string seen = !f.windowVisible(main)   ? "hidden"
                           : s.program.configWizard ? "wizard"
                                                    : "";
        seen += s.program.fiveMinuteWarning ? "" : ", no warning";
        if (!f.calls("box").empty()) {
            EXPECT_EQ(f.calls("box"), Log{"box 0x44 立即关机: 是否立即关机！"});
            seen += "asked" + (f.calls("shutdown").empty() ? "" : ", " + f.calls("shutdown")[0]);
        } else {
            EXPECT_EQ(f.files[s.program.settings.path()].attributes, 0x26u);
        }
        EXPECT_EQ(seen, outcome);
        EXPECT_EQ(f.windowRect(main), (Rect{785, 566, 229, 152}));  // placed before it hides
        EXPECT_EQ(s.program.settings.readSetting("句柄", "窗口句柄"),
                  std::to_string(f.nativeHandle(main)));
        EXPECT_EQ(s.program.settings.readSetting("倒计时窗口样式", "样式"), "1");
        EXPECT_EQ(f.hotkeys.size(), 4u);
        EXPECT_EQ(f.trayWindow, main);
        EXPECT_EQ(f.control(main, "图片框1").picture, kIcon);
        EXPECT_EQ(f.window(main).shape, f.exeDir + "\\窗口.bmp 0x8000");
        EXPECT_TRUE(f.calls("modal").empty());
        EXPECT_EQ(f.log.back(), "loop");
    }
}

TEST(StartUp, AFirstStartWritesTheDefaultsAndWaitsForTheWizardBeforeTheHotkeys) {
    FakePlatform fake;
    Program program{fake};
    fake.onModal = [&](WindowId) {
        EXPECT_FALSE(fake.windowVisible(program.mainWindow));
        EXPECT_TRUE(fake.settings().starts_with("[开机自动运行Varnel]\r\n是=假\r\n"));
        EXPECT_TRUE(fake.hotkeys.empty());
    };
    runProgram(program);
    EXPECT_EQ(fake.calls("modal"), Log{"modal Varnel 程序配置"});
    EXPECT_EQ(fake.text(program.mainWindow, "标签4"), "关机时间为23:0");
    EXPECT_TRUE(program.fiveMinuteWarning && fake.windowVisible(program.mainWindow));
    EXPECT_FALSE(fake.files[fake.path("\\常用热键.txt")].bytes.empty());
}

TEST(StartUp, ExitResetsTheStyleReleasesTheHotkeysAndTheIconAndEnds) {
    Started s("[显示托盘图标]\r\n是=假\r\n");
    s.program.settings.writeSetting("倒计时窗口样式", "样式", "3");
    s.fake.log.clear();
    exitProgram(s.program);
    EXPECT_EQ(s.program.settings.readSetting("倒计时窗口样式", "样式"), "1");
    EXPECT_EQ(s.fake.log,
              (Log{"unhotkey 1", "unhotkey 2", "unhotkey 3", "unhotkey 4", "untray", "exit 0"}));
}

// Explorer ends: the desktop window takes the main window and the countdown
// window it owns down with it. Both come back at once, the main window
// top-level until the new desktop announces itself.
TEST(StartUp, AWindowLostWithTheDesktopIsBuiltAgainAndJoinsTheNextDesktop) {
    for (const bool shown : {true, false}) {
        Started s("");
        FakePlatform& f = s.fake;
        Program& p = s.program;
        moveMainWindowTo(p, {700, 500});
        setMainWindowShown(p, shown);
        p.countdownRunning = true;
        openCountdownWindow(p, false);
        p.confirmTicks = 1;  // a shutdown hotkey press a second ago
        const WindowId lost = p.mainWindow;
        f.destroyBySystem(lost);
        const WindowId main = p.mainWindow;
        ASSERT_NE(main, lost);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
        EXPECT_EQ(f.windowVisible(main), shown);
        EXPECT_TRUE(f.timer(main, "时钟1") > 0 && p.confirmTicks == 0 && p.countdownRunning);
        EXPECT_EQ(
            (std::array{p.configHotkeyId, p.toggleHotkeyId, p.exitHotkeyId, p.shutdownHotkeyId}),
            (std::array{1, 2, 3, 4}));
        EXPECT_EQ(f.hotkeys[3].window, main);
        EXPECT_EQ(f.text(main, "标签4") + f.text(main, "标签9"),
                  "关机时间为23:0热键关机'Ctrl'＋'F9'键");
        EXPECT_EQ(f.trayWindow, main);
        EXPECT_EQ(f.control(main, "图片框1").picture, kIcon);
        EXPECT_EQ(f.window(main).exStyle, 0x80020);
        EXPECT_EQ(f.window(main).shape, f.exeDir + "\\窗口.bmp 0x8000");
        EXPECT_EQ(f.window(main).parent, 0u);
        EXPECT_EQ(p.settings.readSetting("句柄", "窗口句柄"), std::to_string(f.nativeHandle(main)));
        EXPECT_EQ(f.window(p.countdownWindow).owner, main);
        EXPECT_TRUE(f.calls("box").empty() && f.calls("exit").empty());
        f.topLevelByClass["ProgMan"] = 100;
        f.firstChild[100] = 101;
        f.fire(main, "", EventKind::ShellRestarted);
        EXPECT_EQ(f.window(main).parent, 101u);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
    }
}

// The files it writes stay beside the exe where it may write there, else go
// to the profile, where a settings file prepared beside the exe is copied once.
TEST(StartUp, FilesStayBesideTheExeWhenItMayWriteThereElseGoToTheProfile) {
    const std::string exe = "C:\\Program Files\\Varnel",
                      roaming = "C:\\Users\\user\\AppData\\Roaming";
    const std::string profile = roaming + "\\Varnel";
    // Unwritable folders, roaming folder, hours prepared beside the exe and
    // kept in the profile, where the files go, the hour read.
    const std::tuple<std::set<std::string>, std::string, const char*, const char*, std::string, int>
        kCases[] = {{{}, roaming, nullptr, "22", exe, 23},
                    {{exe}, roaming, nullptr, nullptr, profile, 23},
                    {{exe}, roaming, "21", nullptr, profile, 21},
                    {{exe}, roaming, "21", "22", profile, 22},
                    {{exe}, "", "21", nullptr, exe, 21},
                    {{exe, roaming}, roaming, "21", nullptr, exe, 21},
                    {{exe, profile}, roaming, "21", nullptr, exe, 21}};
    const std::string defaults = [] {
        FakePlatform f;
        Program p{f};
        restoreDefaults(p);
        return f.settings();
    }();
    for (const auto& [unwritable, roamingFolder, prepared, kept, dir, hour] : kCases) {
        FakePlatform f;
        Program p{f};
        f.unwritable = unwritable;
        f.roaming = roamingFolder;
        f.files[exe + "\\图标.ico"].bytes = kIcon;
        for (const auto& [folder, stored] : {std::pair{exe, prepared}, {profile, kept}}) {
            if (stored) {
                f.files[folder + "\\关机时间.ini"].bytes =
                    f.gbkFromUtf8("[关机时间]\r\n小时=" + std::string(stored) + "\r\n" + defaults);
            }
        }
        runProgram(p);
        EXPECT_EQ(p.shutdownTime[0], hour);
        for (const char* name : {"\\关机时间.ini", "\\常用热键.txt", "\\窗口.bmp"}) {
            EXPECT_EQ(f.files[dir + name].writes > 0, unwritable.count(dir) == 0) << dir << name;
            EXPECT_EQ(f.files[(dir == exe ? profile : exe) + name].writes, 0) << dir << name;
        }
        EXPECT_EQ(f.control(p.mainWindow, "图片框1").picture, kIcon);
        EXPECT_EQ(f.calls("tray"), Log{"tray " + exe + "\\图标.ico Varnel程序"});
    }
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { createMainWindow(program); }
    std::string label(const char* name) { return fake.text(program.mainWindow, name); }
    std::string shown(const char* name) {
        return fake.visible(program.mainWindow, name) ? "1" : "0";
    }

    FakePlatform fake;
    Program program{fake};
};

TEST_F(MainWindowTest, TheLabelsShowTheShutdownTimeTheDateAndByWeekdayTheLogoOrTheHints) {
    program.shutdownTime = {23, 5};
    fake.clock = {2027, 3, 4, 4, 9, 5, 7, 0};
    EXPECT_EQ(label("时标签7"), "55");  // the design's digits until the first tick
    refreshClockDigits(program, fake.clock);
    EXPECT_EQ(label("时标签7") + label("分标签8") + label("秒标签9"), "090507");
    const char* const kWeekdays[] = {"星期天 logo", "星期一 hints", "星期二", "星期三 hints",
                                     "星期四",      "星期五 hints", "星期六"};
    for (int weekday = 0; weekday < 7; ++weekday) {
        createMainWindow(program);
        fake.clock.weekday = weekday;
        fillStartupLabels(program);
        EXPECT_EQ(label("标签4") + " " + label("标签2"), "关机时间为23:5 2027年3月4日");
        const std::string logo = shown("LOGO标签8") + shown("图片框1");
        const std::string hints = shown("标签5") + shown("标签6") + shown("标签7") + shown("标签9");
        EXPECT_EQ(
            label("标签3") + (logo == "11" ? " logo" : "") + (hints == "1111" ? " hints" : ""),
            kWeekdays[weekday]);
        EXPECT_TRUE((logo == "00" || logo == "11") && (hints == "0000" || hints == "1111"));
    }
}

TEST_F(MainWindowTest, ItGoesToTheBottomRightUnlessTheStoredScreenSizeSaysItIsThereAlready) {
    const std::pair<const char*, Rect> kPlaces[] = {{"1_1=1024\r\n2_1=768", {785, 566, 229, 152}},
                                                    {"1_1=785\r\n2_1=768", {50, 566, 229, 152}},
                                                    {"1_1=1024\r\n2_1=566", {785, 50, 229, 152}}};
    for (const auto& [stored, rect] : kPlaces) {
        createMainWindow(program);
        fake.setSettings("[窗口位置]\r\n" + std::string(stored) + "\r\n");
        placeMainWindow(program);
        EXPECT_EQ(fake.windowRect(program.mainWindow), rect) << stored;
        EXPECT_EQ(
            program.settings.readSetting("窗口位置", "1") + "," +
                program.settings.readSetting("窗口位置", "2"),
            std::string(rect.left == 785 ? "785" : "") + "," + (rect.top == 566 ? "566" : ""));
    }
}

TEST_F(MainWindowTest, TheShapeComesFromASnapshotAndTheWindowIsClickThroughTranslucentAndEmbedded) {
    const std::string bitmap = fake.exeDir + "\\窗口.bmp";
    const std::string main = std::to_string(fake.nativeHandle(program.mainWindow));
    const auto effects = [&](bool embed) {
        program.settings.writeOption("窃入桌面背景中", embed);
        fake.window(program.mainWindow).exStyle = 0x100;  // WS_EX_WINDOWEDGE must survive
        fake.log.clear();
        applyWindowEffects(program);
        return fake.log;
    };
    Log expected = {"GetWindowLongA(" + main + ", -20)",
                    "SetWindowLongA(" + main + ", -20, 524576)",
                    "SetLayeredWindowAttributes(" + main + ", 0, 100, 2)"};
    EXPECT_EQ(effects(false), expected);
    expected.insert(expected.end(),
                    {"FindWindowA(ProgMan)", "GetWindow(0, 5)", "SetParent(" + main + ", 0)"});
    EXPECT_EQ(effects(true), expected);  // without a desktop window null handles are passed on
    fake.topLevelByClass["ProgMan"] = 0x2000;
    fake.firstChild[0x2000] = 0x3000;
    expected.end()[-2] = "GetWindow(8192, 5)";
    expected.end()[-1] = "SetParent(" + main + ", 12288)";
    EXPECT_EQ(effects(true), expected);
    setWindowShape(program);
    EXPECT_EQ(fake.files[bitmap].bytes, "BM 229x152");
    fake.files[bitmap].bytes = "BM earlier";
    fake.unwritable.insert(fake.exeDir);
    fake.window(program.mainWindow).shape.clear();
    setWindowShape(program);  // a failed snapshot shapes from the previous one
    EXPECT_EQ(fake.files[bitmap].bytes + "|" + fake.window(program.mainWindow).shape,
              "BM earlier|" + bitmap + " 0x8000");
}

// The tray icon, shown when its option holds exactly "真": a right click
// pops the menu up, any other click shows or hides the window.
TEST_F(MainWindowTest, TheTrayMenuListsItsItemsAndEachDoesItsAction) {
    addTrayIcon(program);  // no settings file
    program.settings.writeSetting("显示托盘图标", "是", "是");
    addTrayIcon(program);
    EXPECT_TRUE(fake.calls("tray").empty());
    std::string menu, chosen, modal;
    fake.onPopupMenu = [&](const std::vector<MenuItem>& items) {
        int command = 0;
        menu.clear();
        for (const MenuItem& row : items) {
            menu += row.text + (row.command != 0 ? "|" : "*|");
            for (const MenuItem& sub : row.submenu) {
                menu += ">" + sub.text + "|";
                command = sub.text == chosen ? sub.command : command;
            }
            command = row.text == chosen ? row.command : command;
        }
        return command;
    };
    fake.onModal = [&](WindowId w) {
        const bool wizard = w == program.configWizard;
        modal += fake.window(w).design.title +
                 (wizard ? std::to_string(fake.selection(w, "选择夹1")) : "") + "|";
    };
    const std::pair<const char*, int> kChoices[] = {{"", kTrayRightClick},
                                                    {"", kTrayLeftClick},
                                                    {"", 2},
                                                    {"隐藏窗口", kTrayRightClick},
                                                    {"隐藏窗口", kTrayRightClick},
                                                    {"显示窗口", kTrayRightClick},
                                                    {"设置关机时间", kTrayRightClick},
                                                    {"设置全局热键", kTrayRightClick},
                                                    {"调整窗口位置", kTrayRightClick},
                                                    {"倒计时关机窗口", kTrayRightClick}};
    std::string visibility;
    for (const auto& [item, click] : kChoices) {
        chosen = item;
        fake.fire(program.mainWindow, "", EventKind::TrayNotify, click);
        visibility += fake.windowVisible(program.mainWindow) ? "1" : "0";
    }
    EXPECT_EQ(menu,
              "显示窗口|隐藏窗口|*|功能设置*|>设置关机时间|>设置全局热键|>调整窗口位置|"
              "倒计时关机窗口|*|帮助|关于|退出|");
    EXPECT_EQ(visibility, "0100011111");
    EXPECT_EQ(modal, "Varnel 程序配置1|Varnel 程序配置3|Varnel 程序配置4| 关机提示|");
    for (const char* item : {"帮助", "关于"}) {
        chosen = item;
        fake.answerNextMessageBox(kIdOk);
        fake.fire(program.mainWindow, "", EventKind::TrayNotify, kTrayRightClick);
        EXPECT_TRUE(fake.log.back().starts_with(std::string("box 0x40 ") + item + ": ")) << item;
    }
    chosen = "退出";
    fake.fire(program.mainWindow, "", EventKind::TrayNotify, kTrayRightClick);
    EXPECT_EQ(Log(fake.log.end() - 2, fake.log.end()),
              (Log{"untray", "exit 0"}));  // even without the icon
}

}  // namespace
}  // namespace varnel
