#include "clock/MainWindow.h"

#include "clock/ClockPlace.h"
#include "common/Number.h"
#include "core/Program.h"
#include "schedule/ShutdownDay.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr Color kDigitText = 0xF0F0F0;
constexpr Color kBoxFill = 0x303030;
constexpr Color kBoxBorder = 0xC8C8C8;
constexpr Color kLabelText = 0xFFFFFF;

ControlSpec shapeBox(const char* name, Rect rect) {
    ControlSpec c;
    c.name = name;
    c.kind = ControlKind::ShapeBox;
    c.rect = rect;
    c.textColor = kBoxBorder;
    c.backColor = kBoxFill;
    return c;
}

ControlSpec digits(const char* name, const char* parent, Rect rect) {
    ControlSpec c;
    c.name = name;
    c.parent = parent;
    c.rect = rect;
    c.text = "55";
    c.font.pixelHeight = 24;
    c.font.bold = true;
    c.textColor = kDigitText;
    c.backColor = kBoxFill;
    return c;
}

ControlSpec label(const char* name, Rect rect, int pixelHeight, bool visible = true) {
    ControlSpec c;
    c.name = name;
    c.rect = rect;
    c.visible = visible;
    c.font.pixelHeight = pixelHeight;
    c.textColor = kLabelText;
    return c;
}

// Plain numerals of the weekdays Monday (1) to Saturday (6).
constexpr const char* kWeekdayNumerals[] = {"", "一", "二", "三", "四", "五", "六"};

std::string twoDigits(int value) {
    std::string text = decimal(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

WindowSpec mainWindowSpec() {
    WindowSpec w;
    w.rect = {WindowPlace{}.left, WindowPlace{}.top, kMainWindowWidth, kMainWindowHeight};
    w.background = kMainWindowBackground;
    w.caption = false;
    w.toolWindow = true;
    w.shellEvents = true;

    ControlSpec logo = label("LOGO标签8", {81, 91, 105, 13}, 12, false);
    logo.text = "Varnel 小程序v1.5";
    ControlSpec picture;
    picture.name = "图片框1";
    picture.kind = ControlKind::Picture;
    picture.rect = {50, 90, 16, 16};
    picture.visible = false;

    w.controls = {
        shapeBox("外形框1", {24, 0, 60, 41}),
        digits("时标签7", "", {37, 7, 32, 27}),
        shapeBox("外形框2", {84, 0, 60, 41}),
        digits("分标签8", "外形框2", {13, 7, 32, 27}),
        shapeBox("外形框3", {143, 0, 60, 41}),
        digits("秒标签9", "外形框3", {14, 7, 32, 27}),
        shapeBox("外形框4", {80, 12, 9, 7}),
        shapeBox("外形框5", {80, 22, 9, 7}),
        shapeBox("外形框7", {139, 11, 9, 7}),
        shapeBox("外形框6", {139, 21, 9, 7}),
        label("标签2", {2, 38, 148, 26}, 16),
        label("标签3", {145, 38, 74, 26}, 16),
        label("标签4", {49, 62, 132, 17}, 14),
        label("标签9", {22, 78, 198, 15}, 12, false),
        logo,
        picture,
        label("标签7", {18, 95, 208, 15}, 12, false),
        label("标签6", {-1, 111, 227, 15}, 12, false),
        label("标签5", {18, 128, 198, 15}, 12, false),
    };
    return w;
}

void fillStartupLabels(Program& program) {
    Platform& platform = program.platform;
    const WindowId window = program.mainWindow;
    const LocalTime now = platform.now();
    showShutdownTime(program, now);
    platform.setText(
        window, "标签2",
        decimal(now.year) + "年" + decimal(now.month) + "月" + decimal(now.day) + "日");

    const bool sunday = now.weekday == 0;
    platform.setText(
        window, "标签3",
        sunday ? std::string("星期天") : std::string("星期") + kWeekdayNumerals[now.weekday % 7]);
    if (sunday) {
        platform.setVisible(window, "LOGO标签8", true);
        platform.setVisible(window, "图片框1", true);
    }
    // Monday, Wednesday and Friday show the hotkey hints.
    if (now.weekday == 1 || now.weekday == 3 || now.weekday == 5) {
        for (const char* hint : {"标签5", "标签6", "标签7", "标签9"}) {
            platform.setVisible(window, hint, true);
        }
    }
}

void showShutdownTime(Program& program, const LocalTime& time) {
    // A time shown that will not come would tell the user something false.
    const std::string text = nextShutdownComes(program, time)
                                 ? "关机时间为" + decimal(program.shutdownTime[0]) + ":" +
                                       decimal(program.shutdownTime[1])
                                 : "今日不关机";
    program.platform.setText(program.mainWindow, "标签4", text);
}

void refreshClockDigits(Program& program, const LocalTime& time) {
    Platform& platform = program.platform;
    platform.setText(program.mainWindow, "时标签7", twoDigits(time.hour));
    platform.setText(program.mainWindow, "分标签8", twoDigits(time.minute));
    platform.setText(program.mainWindow, "秒标签9", twoDigits(time.second));
}

void placeMainWindow(Program& program) {
    Platform& platform = program.platform;
    const WindowId window = program.mainWindow;
    Rect rect = platform.windowRect(window);
    const WindowPlace corner = cornerPlace(platform, {rect.width, rect.height});
    program.mainWindowCorner = corner;
    if (program.settings.readInt(keys::kWindowPosition, keys::kScreenWidth) != corner.left) {
        program.settings.writeSetting(keys::kWindowPosition, keys::kLeft, decimal(corner.left));
        moveMainWindowTo(program, {corner.left, rect.top});
    }

    rect = platform.windowRect(window);
    if (program.settings.readInt(keys::kWindowPosition, keys::kScreenHeight) != corner.top) {
        program.settings.writeSetting(keys::kWindowPosition, keys::kTop, decimal(corner.top));
        moveMainWindowTo(program, {rect.left, corner.top});
    }
}

void keepMainWindowInSight(Program& program) {
    Platform& platform = program.platform;
    const Rect rect = platform.windowRect(program.mainWindow);
    const bool inCorner = program.mainWindowPlace == program.mainWindowCorner;
    program.mainWindowCorner = cornerPlace(platform, {rect.width, rect.height});
    if (inCorner || !liesWithin(rect, platform.workArea())) {
        moveMainWindowTo(program, program.mainWindowCorner);
    }
}

void moveMainWindow(Program& program, bool vertical, int step) {
    const Rect rect = program.platform.windowRect(program.mainWindow);
    const int pixels = scaledPixels(10, program.platform.displayDpi());
    if (vertical) {
        moveMainWindowTo(program, {rect.left, rect.top + (step == -1 ? pixels : -pixels)});
    } else {
        moveMainWindowTo(program, {rect.left + (step == 1 ? pixels : -pixels), rect.top});
    }
}

void moveMainWindowTo(Program& program, const WindowPlace& place) {
    program.mainWindowPlace = place;
    program.platform.moveWindow(program.mainWindow, place.left, place.top);
}

}  // namespace varnel
