// The window tables; the main window: start-up, the clock, the files' folder, the tray.
#include "app/StartUp.h"
#include "clock/ClockPlace.h"
#include "clock/MainWindow.h"
#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Tick.h"
#include "support/FakePlatform.h"
#include "tray/TrayMenu.h"

namespace varnel {
namespace {

using testing::FakePlatform;
using testing::Log;

// Unique names, each container before what it holds, a page only on a tab.
TEST(WindowTables, ControlsAreUniqueAndTheirContainersComeFirst) {
    for (const WindowSpec& window : {mainWindowSpec(), countdownWindowSpec(), configWizardSpec()}) {
        std::map<std::string, ControlKind> seen;
        for (const ControlSpec& c : window.controls) {
            const bool onTab = seen.count(c.parent) && seen[c.parent] == ControlKind::Tab;
            EXPECT_TRUE((c.parent.empty() || seen.count(c.parent)) &&
                        (onTab ? c.page >= 0 : c.page == -1) && seen.emplace(c.name, c.kind).second)
                << window.title << ": " << c.name;
        }
    }
}

const std::string kIcon("\0\0\1\0icon", 8);

// A later start: the defaults written, the icon beside the exe.
void start(FakePlatform& f, Program& p) {
    restoreDefaults(p);
    f.files[f.path("\\图标.ico")].bytes = kIcon;
    runProgram(p);
}

// Every start puts the clock at the bottom right, registers the hotkeys, adds
// the tray icon and shapes the window; then does what the settings ask. The
// first start writes the defaults and waits for the wizard before the hotkeys.
// None touches the registry: a value there may start another copy.
TEST(StartUp, EveryStartSetsUpTheClockAndDoesWhatItsSettingsSay) {
    const std::tuple<const char*, int, const char*> kStarts[] = {
        {nullptr, kIdYes, "first start"},
        {"[隐藏启动]\r\n是=真\r\n[倒记时5分钟提示]\r\n是=假\r\n", kIdOk, "hidden, no warning"},
        {"[程序起动后立刻关机]\r\n是=真\r\n", kIdYes, "asked, shutdown 1"},
        {"[程序起动后立刻关机]\r\n是=真\r\n[强行关机]\r\n是=假\r\n", kIdYes, "asked, shutdown 0"},
        {"[程序起动后立刻关机]\r\n是=真\r\n", kIdNo, "asked"},
        {"[关机时间]\r\n小时=0\r\n", kIdOk, "wizard"},
        {"[关机时间]\r\n小时=24\r\n", kIdOk, "wizard"},
        {"[关机时间]\r\n小时=1\r\n", kIdOk, ""}};
    for (const auto& [settings, answer, outcome] : kStarts) {
        // The settings (before the defaults) of a later start; read-only ones are
        // made hidden, system and archive, so they can be written.
        FakePlatform f;
        Program p{f};
        const bool readOnly = answer == kIdOk;
        if (settings != nullptr) {
            restoreDefaults(p);
            f.setSettings(settings + f.settings());
            f.files[p.settings.path()].attributes =
                readOnly ? kAttrReadOnly | kAttrArchive : kAttrArchive;
        }
        f.files[f.path("\\图标.ico")].bytes = kIcon;
        // This copy's start with Windows (another's all the more): no start touches it.
        f.registry["HKCU " + std::string(keys::kRunKey) + "\\devora"] =
            "\"" + f.exeDir + "\\varnel.exe\"";
        f.answerNextMessageBox(answer);
        f.onModal = [&](WindowId) {  // a second start while the first-start wizard waits
            f.fire(p.mainWindow, "", EventKind::ShowAsked);
            EXPECT_FALSE(f.windowVisible(p.mainWindow));
        };
        runProgram(p);
        const WindowId main = p.mainWindow;
        const auto at = [&](const char* call) {
            return std::ranges::find(f.log, call) - f.log.begin();
        };
        std::string seen = !f.windowVisible(main)                                  ? "hidden"
                           : p.configWizard                                        ? "wizard"
                           : at("modal Varnel 程序配置") < at("hotkey 0x4002 121") ? "first start"
                                                                                   : "";
        seen += f.text(main, "标签4") == "今日不关机" ? ", no warning" : "";  // no daily shutdown
        if (!f.calls("box").empty()) {
            EXPECT_EQ(f.calls("box"), Log{"box 0x144 立即关机: 是否立即关机！"});
            seen += "asked" + (f.calls("shutdown").empty() ? "" : ", " + f.calls("shutdown")[0]);
        }
        EXPECT_EQ(seen, outcome);
        EXPECT_EQ(f.files[p.settings.path()].attributes, readOnly ? 0x26u : kAttrArchive);
        EXPECT_EQ(f.windowRect(main), (Rect{785, 566, 229, 152}));  // placed before it hides
        EXPECT_EQ(p.settings.readSetting("句柄", "窗口句柄") + "|" +
                      p.settings.readSetting("倒计时窗口样式", "样式"),
                  std::to_string(f.nativeHandle(main)) + "|1");
        EXPECT_EQ(f.hotkeys.size(), 4u);
        EXPECT_EQ(f.trayWindow, main);
        EXPECT_EQ(f.calls("modal").size() + f.calls("front").size(), settings ? 0u : 2u);
        EXPECT_EQ(f.calls("HK"), Log{});
        EXPECT_EQ(f.control(main, "图片框1").picture, kIcon);
        // A Monday: the date, the weekday and the hotkey hints, no logo.
        const auto shown = [&](const char* name) {
            return f.visible(main, name) ? std::string(" ") + name : "";
        };
        EXPECT_EQ(f.text(main, "标签2") + f.text(main, "标签3") + shown("LOGO标签8") +
                      shown("图片框1") + shown("标签2") + shown("标签5") + shown("标签9"),
                  "2026年12月7日星期一 标签2 标签5 标签9");
        EXPECT_EQ(f.window(main).shape + " " + f.log.back(), f.exeDir + "\\窗口.bmp 0x8000 loop");
        // Click-through, translucent, set into the desktop's first child (none here).
        const std::string h = std::to_string(f.nativeHandle(main));
        EXPECT_EQ(f.calls("S"), (Log{"SetWindowLongA(" + h + ", -20, 524320)",
                                     "SetLayeredWindowAttributes(" + h + ", 0, 100, 2)",
                                     "SetParent(" + h + ", 0)"}));
        EXPECT_EQ(f.calls("F"), Log{"FindWindowA(ProgMan)"});
        EXPECT_EQ(f.calls("G"), (Log{"GetWindowLongA(" + h + ", -20)", "GetWindow(0, 5)"}));
    }
}

// The files it writes stay beside the exe where it may write there, else go
// to the profile, where a settings file prepared beside the exe is copied once.
TEST(StartUp, FilesStayBesideTheExeWhenItMayWriteThereElseGoToTheProfile) {
    const std::string exe = "C:\\Program Files\\Varnel",
                      roaming = "C:\\Users\\user\\AppData\\Roaming";
    const std::string profile = roaming + "\\Varnel";
    // Unwritable folders, roaming folder, hours prepared beside the exe and
    // kept in the profile; where the files go, the hour read.
    using Case =
        std::tuple<std::set<std::string>, std::string, const char*, const char*, std::string, int>;
    // clang-format off
    const Case kCases[] = {
        {{}, roaming, nullptr, "22", exe, 23}, {{exe}, roaming, nullptr, nullptr, profile, 23},
        {{exe}, roaming, "21", nullptr, profile, 21}, {{exe}, roaming, "21", "22", profile, 22},
        {{exe}, "", "21", nullptr, exe, 21}, {{exe, roaming}, roaming, "21", nullptr, exe, 21},
        {{exe, profile}, roaming, "21", nullptr, exe, 21}};
    // clang-format on
    FakePlatform first;
    Program defaultsWritten{first};
    restoreDefaults(defaultsWritten);
    const std::string defaults = first.settings();
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

// Explorer ends: its desktop window takes the clock and the countdown window
// the clock owns down with it. Both come back at once, the clock where and as
// it was, with its timer, hotkeys (same ids) and tray icon, top-level until the
// next desktop announces itself.
TEST(StartUp, AClockLostWithTheDesktopComesBackAndJoinsTheNextOne) {
    for (const bool shown : {true, false}) {
        FakePlatform f;
        Program p{f};
        start(f, p);
        moveMainWindowTo(p, {700, 500});
        (shown ? showMainWindow : hideMainWindow)(p);
        p.countdownRunning = true;
        openCountdownWindow(p, false);
        p.confirmTicks = 1;  // the shutdown hotkey pressed a second ago
        const WindowId lost = p.mainWindow;
        std::vector<int> ids;
        std::ranges::transform(f.hotkeys, std::back_inserter(ids), &testing::FakeHotkey::id);
        f.log.clear();

        f.destroyBySystem(lost);
        const WindowId main = p.mainWindow;
        const std::string h = std::to_string(f.nativeHandle(main));
        EXPECT_NE(main, lost);
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
        // Its timer 时钟2 went with the old window: the confirm count starts again.
        EXPECT_EQ(std::tuple(f.windowVisible(main), f.timer(main, "时钟1") > 0, p.confirmTicks),
                  std::tuple(shown, true, 0));
        for (std::size_t i = 0; i < ids.size(); ++i) {
            EXPECT_EQ(f.hotkeys.at(i).id * 100 + f.hotkeys.at(i).window, ids[i] * 100 + main);
        }
        EXPECT_EQ(f.text(main, "标签4") + f.text(main, "标签9"),
                  "关机时间为23:0热键关机'Ctrl'＋'F9'键");
        EXPECT_TRUE(f.trayWindow == main && f.control(main, "图片框1").picture == kIcon);
        EXPECT_EQ(f.window(main).shape + " " + std::to_string(f.window(main).exStyle),
                  f.exeDir + "\\窗口.bmp 0x8000 524320");
        EXPECT_EQ(f.calls("SetParent").size() + f.calls("box").size() + f.calls("exit").size(), 0u);
        EXPECT_EQ(p.settings.readSetting("句柄", "窗口句柄"), h);
        EXPECT_TRUE(p.countdownRunning && f.windowExists(p.countdownWindow));
        EXPECT_FALSE(p.reopenCountdownWindow);  // reopened once, not at a later loss

        f.desktop = 0x500;
        f.fire(main, "", EventKind::ShellRestarted);
        EXPECT_EQ(f.calls("SetParent"), Log{"SetParent(" + h + ", 1281)"});
        EXPECT_EQ(f.windowRect(main), (Rect{700, 500, 229, 152}));
    }
}

// From outside: a second start in the session, before it writes anything, only
// asks the running copy to show its clock, as "显示" does. WM_CLOSE, as an installer
// sends it to the clock, ends the program as the menu's "退出" does; closing its
// countdown window ends only that window.
TEST(StartUp, AskedFromOutsideTheClockShowsOrExitsAsTheMenuDoes) {
    FakePlatform f, second;
    Program p{f}, secondStart{second};
    second.otherCopy = true;
    runProgram(secondStart);
    EXPECT_EQ(second.log, (Log{"claim", "show the running copy"}));
    EXPECT_TRUE(second.files.empty() && second.windowCount() == 0);
    start(f, p);
    hideMainWindow(p);
    f.fire(p.mainWindow, "", EventKind::ShowAsked);
    EXPECT_TRUE(f.windowVisible(p.mainWindow));
    setSystemKeptAwake(p, true);
    openCountdownWindow(p, false);
    f.close(p.countdownWindow);
    EXPECT_TRUE(f.calls("exit").empty() && f.windowExists(p.mainWindow));
    f.log.clear();

    f.close(p.mainWindow);
    EXPECT_EQ(f.log, (Log{"unhotkey 1", "unhotkey 2", "unhotkey 3", "unhotkey 4", "untray",
                          "awake 0", "exit 0"}));
}

// The corner: 10 and 50 pixels from the right and bottom edges at the display's
// scale, moved up and left just enough to lie wholly within the work area.
TEST(ClockPlace, TheCornerAtEachScaleLiesWithinTheWorkArea) {
    // Screen, work area, window, DPI; where the window goes.
    const std::tuple<Size, Rect, Size, int, WindowPlace> kCases[] = {
        {{1024, 768}, {0, 0, 1024, 728}, {229, 152}, 96, {785, 566}},   // a 40-pixel taskbar
        {{1024, 768}, {0, 0, 1024, 696}, {344, 228}, 144, {665, 465}},  // 150 %: 72 pixels
        {{1280, 800}, {0, 0, 1280, 740}, {286, 190}, 120, {981, 547}},  // 125 %: 60 pixels
        {{1024, 768}, {0, 0, 962, 768}, {229, 152}, 96, {733, 566}},    // on the right
        {{1024, 768}, {0, 40, 1024, 728}, {229, 152}, 96, {785, 566}},  // on top
        {{1024, 768}, {62, 0, 962, 768}, {229, 152}, 96, {785, 566}},   // on the left
        {{200, 100}, {0, 0, 200, 100}, {229, 152}, 96, {0, 0}},         // its top left in sight
    };
    for (const auto& [screen, work, window, dpi, place] : kCases) {
        const WindowPlace corner = cornerPlace(screen, work, window, dpi);
        EXPECT_EQ(std::pair(corner.left, corner.top), std::pair(place.left, place.top)) << dpi;
    }
}

// A display or work-area change moves a clock in its corner to the new corner;
// one the user moved stays while it lies wholly within the work area. Changed
// back, each goes back. The settings file is left alone.
TEST(ClockPlace, AClockInItsCornerFollowsTheScreenAMovedOneStaysInSight) {
    // Where the user put it (none: in the corner), the new screen and work area
    // (empty: the whole screen); where it goes.
    const std::tuple<std::optional<WindowPlace>, Size, Rect, WindowPlace> kCases[] = {
        {{}, {800, 600}, {}, {561, 398}},
        {{}, {1280, 1024}, {}, {1041, 822}},
        {{}, {1024, 768}, {0, 0, 1024, 668}, {785, 516}},
        {WindowPlace{571, 0}, {800, 600}, {}, {571, 0}},      // flush with the edges
        {WindowPlace{600, 100}, {800, 600}, {}, {561, 398}},  // partly off the screen
        {WindowPlace{700, 500}, {1024, 768}, {0, 0, 1024, 600}, {785, 448}},  // under the taskbar
        {WindowPlace{0, 448}, {1024, 768}, {0, 0, 1024, 600}, {0, 448}},
    };
    for (const auto& [moved, screen, work, place] : kCases) {
        FakePlatform f;
        Program p{f};
        restoreDefaults(p);
        p.settings.writeSetting("窗口位置", "1", "0");  // start-up writes the place
        p.settings.writeSetting("窗口位置", "2", "0");
        runProgram(p);
        EXPECT_EQ(p.settings.readSetting("窗口位置", "1") + p.settings.readSetting("窗口位置", "2"),
                  "785566");
        if (moved) {
            moveMainWindowTo(p, *moved);
        }
        const std::string file = f.settings();
        const auto changeTo = [&](Size size, Rect area) {
            f.screen = size;
            f.work = area;
            f.fire(p.mainWindow, "", EventKind::ScreenChanged);
            return f.windowRect(p.mainWindow);
        };
        EXPECT_EQ(changeTo(screen, work), (Rect{place.left, place.top, 229, 152}));
        const WindowPlace back = moved == place ? place : WindowPlace{785, 566};
        EXPECT_EQ(changeTo({1024, 768}, {}), (Rect{back.left, back.top, 229, 152}));
        EXPECT_EQ(f.settings(), file);
    }
}

// The tray icon, shown when its option holds exactly "真": a right click
// pops the menu up, any other click shows or hides the window.
class Tray : public testing::FakeProgramTest {};

TEST_F(Tray, TheMenuListsItsItemsAndEachDoesItsAction) {
    createMainWindow(program);
    program.settings.writeSetting("显示托盘图标", "是", "是");
    addTrayIcon(program);
    std::string menu, chosen, done;
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
        done += fake.window(w).design.title +
                (w == program.configWizard ? std::to_string(fake.selection(w, "选择夹1")) : "") +
                "|";
    };
    // The help shows the hotkey reference file up to a zero byte.
    fake.files[fake.path("\\常用热键.txt")].bytes = std::string("a\0b", 3);
    fake.answerNextMessageBox(kIdOk);
    fake.answerNextMessageBox(kIdOk);
    program.settings.writeSetting("倒计时窗口样式", "样式", "3");
    // clang-format off
    const std::pair<const char*, int> kChoices[] = {
        {"", kTrayRightClick}, {"", kTrayLeftClick}, {"", 2}, {"隐藏窗口", kTrayRightClick},
        {"隐藏窗口", kTrayRightClick}, {"显示窗口", kTrayRightClick},
        {"设置关机时间", kTrayRightClick}, {"设置全局热键", kTrayRightClick},
        {"调整窗口位置", kTrayRightClick}, {"倒计时关机窗口", kTrayRightClick},
        {"帮助", kTrayRightClick}, {"关于", kTrayRightClick}, {"退出", kTrayRightClick}};
    // clang-format on
    for (const auto& [item, click] : kChoices) {
        chosen = item;
        fake.fire(program.mainWindow, "", EventKind::TrayNotify, click);
        done += fake.windowVisible(program.mainWindow) ? "1" : "0";
    }
    EXPECT_EQ(menu,
              "显示窗口|隐藏窗口|*|功能设置*|>设置关机时间|>设置全局热键|>调整窗口位置|"
              "倒计时关机窗口|*|帮助|关于|退出|");
    EXPECT_EQ(done, "010001Varnel 程序配置1|1Varnel 程序配置3|1Varnel 程序配置4|1 关机提示|1111");
    EXPECT_EQ(fake.calls("beep"), Log{});  // opened by the user: no sound
    EXPECT_EQ(fake.boxes(), "0x40 帮助|0x40 关于|");
    EXPECT_TRUE(fake.calls("box")[0].starts_with(  // up to the zero byte
        "box 0x40 帮助: \r\n程序全局热键如下：\r\n\r\na\r\n\r\n以上热键只做参考\r\n"));
    // "退出" even without the option: the style reset, the hotkeys released, the icon removed.
    EXPECT_EQ(fake.lastCalls(6),
              (Log{"unhotkey 0", "unhotkey 0", "unhotkey 0", "unhotkey 0", "untray", "exit 0"}));
    EXPECT_EQ(program.settings.readSetting("倒计时窗口样式", "样式") +
                  std::to_string(fake.calls("tray").size()),
              "10");
}

// A refused tray icon is tried again every 2 s until it is added, for at most
// two minutes.
TEST_F(Tray, ARefusedIconIsTriedAgainEveryTwoSecondsForTwoMinutes) {
    for (const auto& [refusals, tries] : {std::pair{3, 4u}, {100, 61u}}) {
        FakePlatform f;
        f.trayRefusals = refusals;
        Program p{f};
        start(f, p);
        for (int i = 0; i < 100 && f.timer(p.mainWindow, kTrayRetryTimer) == 2000; ++i) {
            f.fire(p.mainWindow, kTrayRetryTimer, EventKind::Timer);
        }
        EXPECT_EQ(std::tuple(f.calls("tray").size(), f.timer(p.mainWindow, kTrayRetryTimer),
                             f.trayWindow),
                  std::tuple(tries, 0, refusals < 61 ? p.mainWindow : 0));
    }
}

}  // namespace
}  // namespace varnel
