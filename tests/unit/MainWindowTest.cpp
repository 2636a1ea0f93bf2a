// The main window: the window tables, the start-up sequence, the clock's
// labels and place, its desktop-gadget effects, the rebuild after an Explorer
// restart, the tray icon and its menu.
#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "clock/WindowEffects.h"
#include "config_ui/ConfigWizard.h"
#include "core/Program.h"
#include "schedule/CountdownWindow.h"
#include "support/FakePlatform.h"
#include "tray/TrayMenu.h"

namespace varnel {
namespace {

using Log = std::vector<std::string>;
using testing::FakePlatform;

TEST(WindowTables, ControlsAreUniqueAndInsideTheirContainersBuiltBeforeThem) {
    // The main window's top-level labels may overhang its shaped edge.
    for (const auto& [window, edgesInside] : {std::pair{mainWindowSpec(), false},
                                              {countdownWindowSpec(), true},
                                              {configWizardSpec(), true}}) {
        std::map<std::string, const ControlSpec*> seen;
        for (const ControlSpec& c : window.controls) {
            SCOPED_TRACE(window.title + ": " + c.name);
            EXPECT_TRUE(seen.emplace(c.name, &c).second);
            EXPECT_TRUE(c.kind != ControlKind::Edit || c.maxLength > 0);
            const ControlSpec* parent = c.parent.empty() ? nullptr : seen[c.parent];
            EXPECT_TRUE(c.parent.empty() || parent);
            const bool onPage = parent && parent->kind == ControlKind::Tab;
            EXPECT_TRUE(onPage ? c.page >= 0 && c.page < std::ssize(parent->items) : c.page == -1);
            const Rect outer =
                parent ? parent->rect : Rect{0, 0, window.rect.width, window.rect.height};
            EXPECT_TRUE(!(parent || edgesInside) || (c.rect.left >= 0 && c.rect.top >= 0 &&
                                                     c.rect.left + c.rect.width <= outer.width &&
                                                     c.rect.top + c.rect.height <= outer.height));
        }
    }
}

// A complete settings file as the defaults write it.
const std::string kSettings =
    "[开机自动运行Varnel]\r\n是=假\r\n[隐藏启动]\r\n是=假\r\n[强行关机]\r\n是=真\r\n"
    "[倒记时5分钟提示]\r\n是=真\r\n[窃入桌面背景中]\r\n是=真\r\n[显示托盘图标]\r\n是=真\r\n"
    "[程序起动后立刻关机]\r\n是=假\r\n[关机时间]\r\n小时=23\r\n分钟=0\r\n"
    "[打开软件配置程序]\r\n1=0\r\n2=9\r\n[显示或隐藏窗口]\r\n1=0\r\n2=10\r\n"
    "[退出程序]\r\n1=0\r\n2=11\r\n[热键关机]\r\n1=0\r\n2=8\r\n"
    "[窗口位置]\r\n1=785\r\n2=566\r\n1_1=1024\r\n2_1=768\r\n";
const std::string kIcon("\0\0\1\0icon", 8);

// What every start ends with.
void expectStarted(FakePlatform& f, Program& p, bool visible = true) {
    const WindowId main = p.mainWindow;
    EXPECT_EQ(f.windowVisible(main), visible);
    EXPECT_EQ(f.windowRect(main), (Rect{785, 566, 229, 152}));
    EXPECT_EQ(p.settings.readSetting("句柄", "窗口句柄"), std::to_string(f.nativeHandle(main)));
    EXPECT_EQ(p.settings.readSetting("倒计时窗口样式", "样式"), "1");
    EXPECT_EQ(f.hotkeys.size(), 4u);
    EXPECT_EQ(f.trayWindow, main);
    EXPECT_EQ(f.control(main, "图片框1").picture, kIcon);
    EXPECT_EQ(f.window(main).shape, f.exeDir + "\\窗口.bmp 0x8000");
    EXPECT_EQ(f.log.back(), "loop");
}

class StartUpTest : public ::testing::Test {
protected:
    StartUpTest() { fake.files[fake.path("\\图标.ico")].bytes = kIcon; }
    std::string setting(const char* section, const char* key) {
        return program.settings.readSetting(section, key);
    }
    std::string label(const char* name) { return fake.text(program.mainWindow, name); }

    FakePlatform fake;
    Program program{fake};
};

TEST_F(StartUpTest, AFirstStartWritesTheDefaultsAndWaitsForTheWizardBeforeTheHotkeys) {
    std::string during;
    fake.onModal = [&](WindowId) {
        during =
            setting("关机时间", "小时") + (fake.windowVisible(program.mainWindow) ? " shown" : "");
    };
    runProgram(program);
    EXPECT_EQ(during, "23");
    EXPECT_EQ(std::vector(fake.log.begin(), fake.log.begin() + 2),
              (Log{"modal Varnel 程序配置", "destroy Varnel 程序配置"}));
    EXPECT_EQ(label("标签4"), "关机时间为23:0");
    EXPECT_TRUE(program.fiveMinuteWarning);
    expectStarted(fake, program);
    EXPECT_FALSE(fake.files[fake.path("\\常用热键.txt")].bytes.empty());
}

TEST_F(StartUpTest, ALaterStartOpensNoWizardMayStartHiddenAndMakesAReadOnlyFileWritable) {
    for (const auto& [attributes, after] :
         {std::pair{kAttrArchive, kAttrArchive}, {kAttrReadOnly | kAttrArchive, 0x26u}}) {
        FakePlatform f;
        Program p{f};
        f.files[f.path("\\图标.ico")].bytes = kIcon;
        f.setSettings("[隐藏启动]\r\n是=真\r\n[倒记时5分钟提示]\r\n是=假\r\n" + kSettings);
        f.files[p.settings.path()].attributes = attributes;
        runProgram(p);
        EXPECT_EQ(f.openWindows().size(), 1u);
        EXPECT_FALSE(p.fiveMinuteWarning);
        EXPECT_EQ(f.files[p.settings.path()].attributes, after);
        expectStarted(f, p, false);  // placed before it hides
    }
}

TEST_F(StartUpTest, ShutdownAtStartAsksAndGoesOnWhateverTheAnswer) {
    for (const auto& [answer, forced, requests] : {std::tuple{kIdYes, "真", Log{"shutdown 1"}},
                                                   {kIdYes, "假", Log{"shutdown 0"}},
                                                   {kIdNo, "真", Log{}}}) {
        FakePlatform f;
        Program p{f};
        f.setSettings("[程序起动后立刻关机]\r\n是=真\r\n[强行关机]\r\n是=" + std::string(forced) +
                      "\r\n" + kSettings);
        f.answerNextMessageBox(answer);
        runProgram(p);
        EXPECT_EQ(f.calls("box"), Log{"box 0x44 立即关机: 是否立即关机！"});
        EXPECT_EQ(f.calls("shutdown"), requests);
        EXPECT_EQ(f.hotkeys.size(), 4u);
    }
}

TEST_F(StartUpTest, AnHourOutOfRangeOpensTheWizardWithoutWaiting) {
    for (const auto& [hour, opens] : {std::pair{"0", true}, {"24", true}, {"1", false}}) {
        FakePlatform f;
        Program p{f};
        f.setSettings("[关机时间]\r\n小时=" + std::string(hour) + "\r\n" + kSettings);
        runProgram(p);
        EXPECT_EQ(p.configWizard != 0, opens) << hour;
        EXPECT_TRUE(f.calls("modal").empty());
    }
}

TEST_F(StartUpTest, ExitResetsTheStyleReleasesTheHotkeysAndTheIconAndEnds) {
    fake.setSettings("[显示托盘图标]\r\n是=假\r\n" + kSettings);
    runProgram(program);
    program.settings.writeSetting("倒计时窗口样式", "样式", "3");
    fake.log.clear();
    exitProgram(program);
    EXPECT_EQ(setting("倒计时窗口样式", "样式"), "1");
    EXPECT_EQ(fake.log,
              (Log{"unhotkey 1", "unhotkey 2", "unhotkey 3", "unhotkey 4", "untray", "exit 0"}));
}

// Explorer ends: the desktop window takes the main window and the countdown
// window it owns down with it. Both come back at once, the main window
// top-level until the new desktop announces itself.
TEST_F(StartUpTest, AWindowLostWithTheDesktopIsBuiltAgainAndJoinsTheNextDesktop) {
    for (const bool shown : {true, false}) {
        FakePlatform f;
        Program p{f};
        f.setSettings(kSettings);
        f.files[f.path("\\图标.ico")].bytes = kIcon;
        f.topLevelByClass["ProgMan"] = 100;
        f.firstChild[100] = 101;
        runProgram(p);
        moveMainWindowTo(p, {700, 500});
        setMainWindowShown(p, shown);
        p.countdownRunning = true;
        openCountdownWindow(p, false);
        p.confirmTicks = 1;  // a shutdown hotkey press a second ago
        const WindowId lost = p.mainWindow;
        f.topLevelByClass.clear();
        f.log.clear();
        f.destroyBySystem(lost);
        const WindowId main = p.mainWindow;
        ASSERT_NE(main, lost);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
        EXPECT_EQ(f.windowVisible(main), shown);
        EXPECT_GT(f.timer(main, "时钟1"), 0);
        EXPECT_EQ(p.confirmTicks, 0);
        EXPECT_EQ(f.hotkeys.size(), 4u);
        EXPECT_EQ(
            (std::array{p.configHotkeyId, p.toggleHotkeyId, p.exitHotkeyId, p.shutdownHotkeyId}),
            (std::array{1, 2, 3, 4}));
        EXPECT_EQ(f.hotkeys[0].window, main);
        EXPECT_EQ(f.text(main, "标签4") + f.text(main, "标签9"),
                  "关机时间为23:0热键关机'Ctrl'＋'F9'键");
        EXPECT_EQ(f.trayWindow, main);
        EXPECT_EQ(f.control(main, "图片框1").picture, kIcon);
        EXPECT_EQ(f.window(main).exStyle, 0x80020);
        EXPECT_EQ(f.window(main).shape, f.exeDir + "\\窗口.bmp 0x8000");
        EXPECT_EQ(f.window(main).parent, 0u);
        EXPECT_EQ(p.settings.readSetting("句柄", "窗口句柄"), std::to_string(f.nativeHandle(main)));
        EXPECT_TRUE(p.countdownRunning);
        EXPECT_EQ(f.window(p.countdownWindow).owner, main);
        EXPECT_TRUE(f.calls("box").empty() && f.calls("exit").empty());

        f.topLevelByClass["ProgMan"] = 200;
        f.firstChild[200] = 201;
        f.fire(main, "", EventKind::ShellRestarted);
        EXPECT_EQ(f.window(main).parent, 201u);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
    }
}

TEST_F(StartUpTest, FilesStayBesideTheExeWhenItMayWriteThereElseGoToTheProfile) {
    const std::string exe = fake.exeDir, roaming = fake.roaming, profile = roaming + "\\Varnel";
    const struct {
        const char* name;
        std::set<std::string> unwritable;
        std::string roaming;
        const char *prepared, *kept;  // hours of settings files beside the exe and in the profile
        bool inProfile;
        int hour;
    } cases[] = {
        {"writable: beside the exe", {}, roaming, nullptr, "22", false, 23},
        {"refused: defaults in the profile", {exe}, roaming, nullptr, nullptr, true, 23},
        {"refused: prepared file copied", {exe}, roaming, "21", nullptr, true, 21},
        {"refused: profile copy never replaced", {exe}, roaming, "21", "22", true, 22},
        {"no roaming folder", {exe}, "", "21", nullptr, false, 21},
        {"profile folder cannot be made", {exe, roaming}, roaming, "21", nullptr, false, 21},
        {"profile folder refuses writes", {exe, profile}, roaming, "21", nullptr, false, 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform f;
        Program p{f};
        f.unwritable = c.unwritable;
        f.roaming = c.roaming;
        f.files[exe + "\\图标.ico"].bytes = kIcon;
        for (const auto& [dir, hour] : {std::pair{exe, c.prepared}, {profile, c.kept}}) {
            if (hour) {
                f.files[dir + "\\关机时间.ini"].bytes =
                    f.gbkFromUtf8("[关机时间]\r\n小时=" + std::string(hour) + "\r\n" + kSettings);
            }
        }
        runProgram(p);
        const std::string dir = c.inProfile ? profile : exe, other = c.inProfile ? exe : profile;
        EXPECT_EQ(p.shutdownTime[0], c.hour);
        for (const char* name : {"\\关机时间.ini", "\\常用热键.txt", "\\窗口.bmp"}) {
            EXPECT_EQ(f.files[dir + name].writes > 0, c.unwritable.count(dir) == 0) << name;
            EXPECT_EQ(f.files[other + name].writes, 0) << name;
        }
        EXPECT_EQ(f.control(p.mainWindow, "图片框1").picture, kIcon);
        EXPECT_EQ(f.calls("tray"), Log{"tray " + exe + "\\图标.ico Varnel程序"});
    }
}

TEST_F(StartUpTest, TheLabelsShowTheShutdownTimeTheDateAndByWeekdayTheLogoOrTheHints) {
    createMainWindow(program);
    program.shutdownTime = {23, 5};
    fake.clock = {2027, 3, 4, 4, 9, 5, 7, 0};
    fillStartupLabels(program);
    EXPECT_EQ(label("标签4") + " " + label("标签2"), "关机时间为23:5 2027年3月4日");
    EXPECT_EQ(label("时标签7"), "55");  // the design's digits until the first tick
    refreshClockDigits(program, fake.clock);
    EXPECT_EQ(label("时标签7") + label("分标签8") + label("秒标签9"), "090507");
    const char* captions[] = {"星期天", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    for (int weekday = 0; weekday < 7; ++weekday) {
        createMainWindow(program);
        fake.clock.weekday = weekday;
        fillStartupLabels(program);
        const auto shown = [&](const char* name) {
            return fake.visible(program.mainWindow, name) ? "1" : "0";
        };
        EXPECT_EQ(label("标签3"), captions[weekday]);
        EXPECT_EQ(std::string(shown("LOGO标签8")) + shown("图片框1") + " " + shown("标签5") +
                      shown("标签6") + shown("标签7") + shown("标签9"),
                  weekday == 0                      ? "11 0000"
                  : weekday % 2 == 1 && weekday < 6 ? "00 1111"
                                                    : "00 0000")
            << weekday;
    }
}

TEST_F(StartUpTest, PlacedAtTheBottomRightUnlessTheStoredScreenSizeSaysItIsThereAlready) {
    const std::pair<const char*, Rect> cases[] = {{"1_1=1024\r\n2_1=768", {785, 566, 229, 152}},
                                                  {"1_1=785\r\n2_1=768", {50, 566, 229, 152}},
                                                  {"1_1=1024\r\n2_1=566", {785, 50, 229, 152}}};
    for (const auto& [stored, rect] : cases) {
        createMainWindow(program);
        fake.setSettings("[窗口位置]\r\n" + std::string(stored) + "\r\n");
        placeMainWindow(program);
        EXPECT_EQ(fake.windowRect(program.mainWindow), rect) << stored;
        EXPECT_EQ(
            setting("窗口位置", "1") + "," + setting("窗口位置", "2"),
            std::string(rect.left == 785 ? "785" : "") + "," + (rect.top == 566 ? "566" : ""));
    }
}

TEST_F(StartUpTest, TheShapeComesFromASnapshotAndTheWindowIsClickThroughTranslucentAndEmbedded) {
    createMainWindow(program);
    const std::string bitmap = fake.exeDir + "\\窗口.bmp",
                      main = std::to_string(fake.nativeHandle(program.mainWindow));
    setWindowShape(program);
    EXPECT_EQ(fake.files[bitmap].bytes, "BM 229x152");
    const Log style = {"GetWindowLongA(" + main + ", -20)",
                       "SetWindowLongA(" + main + ", -20, 524576)",
                       "SetLayeredWindowAttributes(" + main + ", 0, 100, 2)"};
    const auto effects = [&](bool embed) {
        program.settings.writeOption("窃入桌面背景中", embed);
        fake.window(program.mainWindow).exStyle = 0x100;  // WS_EX_WINDOWEDGE must survive
        fake.log.clear();
        applyWindowEffects(program);
        return fake.log;
    };
    EXPECT_EQ(effects(false), style);
    Log embedded = style;
    embedded.insert(embedded.end(),
                    {"FindWindowA(ProgMan)", "GetWindow(0, 5)", "SetParent(" + main + ", 0)"});
    EXPECT_EQ(effects(true), embedded);  // without a desktop window null handles are passed on
    fake.topLevelByClass["ProgMan"] = 0x2000;
    fake.firstChild[0x2000] = 0x3000;
    embedded.end()[-2] = "GetWindow(8192, 5)";
    embedded.end()[-1] = "SetParent(" + main + ", 12288)";
    EXPECT_EQ(effects(true), embedded);
    fake.files[bitmap].bytes = "BM earlier";
    fake.unwritable.insert(fake.exeDir);
    fake.window(program.mainWindow).shape.clear();
    setWindowShape(program);  // a failed snapshot shapes from the previous one
    EXPECT_EQ(fake.window(program.mainWindow).shape, bitmap + " 0x8000");
    EXPECT_EQ(fake.files[bitmap].bytes, "BM earlier");
}

class TrayTest : public StartUpTest {
protected:
    TrayTest() {
        createMainWindow(program);
        fake.setWindowVisible(program.mainWindow, true);
    }
    // Picks the item with this text the way the user does.
    void choose(const std::string& item) {
        fake.onPopupMenu = [item](const std::vector<MenuItem>& menu) {
            for (const MenuItem& row : menu) {
                for (const MenuItem& sub : row.submenu) {
                    if (sub.text == item) {
                        return sub.command;
                    }
                }
                if (row.text == item) {
                    return row.command;
                }
            }
            ADD_FAILURE() << "no menu item " << item;
            return 0;
        };
        fake.fire(program.mainWindow, "", EventKind::TrayNotify, kTrayRightClick);
    }
    bool shown() { return fake.windowVisible(program.mainWindow); }
};

TEST_F(TrayTest, TheIconNeedsTheOptionAndAnyButARightClickTogglesTheWindow) {
    addTrayIcon(program);  // no settings file
    program.settings.writeSetting("显示托盘图标", "是", "是");
    addTrayIcon(program);
    EXPECT_TRUE(fake.calls("tray").empty());
    for (const int kind : {kTrayLeftClick, kTrayLeftClick, 2}) {
        const bool before = shown();
        fake.fire(program.mainWindow, "", EventKind::TrayNotify, kind);
        EXPECT_NE(shown(), before);
    }
    EXPECT_TRUE(fake.calls("menu").empty());
}

TEST_F(TrayTest, TheMenuListsItsItemsInOrderWithTheSettingsSubmenu) {
    std::string items;
    fake.onPopupMenu = [&](const std::vector<MenuItem>& menu) {
        for (const MenuItem& row : menu) {
            items += row.text + (row.command != 0 ? "" : "*") + "|";
            for (const MenuItem& sub : row.submenu) {
                items += ">" + sub.text + "|";
            }
        }
        return 0;  // dismissed: nothing happens
    };
    fake.fire(program.mainWindow, "", EventKind::TrayNotify, kTrayRightClick);
    EXPECT_EQ(items,
              "显示窗口|隐藏窗口|*|功能设置*|>设置关机时间|>设置全局热键|>调整窗口位置|"
              "倒计时关机窗口|*|帮助|关于|退出|");
    EXPECT_EQ(fake.log, Log{"menu"});
    EXPECT_TRUE(shown());
}

TEST_F(TrayTest, EachMenuItemDoesItsAction) {
    for (const char* item : {"隐藏窗口", "隐藏窗口", "显示窗口", "显示窗口"}) {
        choose(item);
        EXPECT_EQ(shown(), item == std::string("显示窗口"));
    }
    std::string modal;
    fake.onModal = [&](WindowId w) {
        modal += fake.window(w).design.title +
                 (program.configWizard == w ? std::to_string(fake.selection(w, "选择夹1")) : "") +
                 "|";
    };
    for (const char* item : {"设置关机时间", "设置全局热键", "调整窗口位置", "倒计时关机窗口"}) {
        choose(item);
    }
    EXPECT_EQ(modal, "Varnel 程序配置1|Varnel 程序配置3|Varnel 程序配置4| 关机提示|");
    fake.log.clear();
    for (const char* item : {"帮助", "关于"}) {
        fake.answerNextMessageBox(kIdOk);
        choose(item);
    }
    ASSERT_EQ(fake.calls("box").size(), 2u);
    EXPECT_TRUE(fake.calls("box")[0].starts_with("box 0x40 帮助: "));
    EXPECT_TRUE(fake.calls("box")[1].starts_with("box 0x40 关于: "));
    program.settings.writeOption("显示托盘图标", false);
    choose("退出");  // removes the icon even with the option off
    EXPECT_EQ(fake.log.end()[-2], "untray");
    EXPECT_EQ(fake.log.back(), "exit 0");
}

}  // namespace
}  // namespace varnel
