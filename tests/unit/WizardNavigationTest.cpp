// Opening the configuration window, its page rule, the navigation buttons
// and their shortcuts, finishing, cancelling and the tip line.
#include <algorithm>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Texts.h"
#include "unit/WizardFixture.h"

namespace varnel::testing {
namespace {

using namespace wizard;

constexpr const char* kTitle = "Varnel 程序配置";
constexpr unsigned kAlt1 = 0x31;
constexpr unsigned kAlt2 = 0x32;

struct Buttons {
    int page;
    bool previous;
    bool next;
    std::string caption;
};

class WizardNavigationTest : public WizardTest {
protected:
    Buttons buttons() {
        return {page(), enabled(kPreviousButton), enabled(kNextButton), text(kNextButton)};
    }
    void next() { click(kNextButton); }
    void previous() { click(kPreviousButton); }
    void altKey(unsigned key) { fake.fire(wizard(), "", EventKind::AltKey, key); }
    int openWizardCount() {
        const std::vector<WindowId> ids = fake.openWindows();
        return static_cast<int>(std::count_if(ids.begin(), ids.end(), [&](WindowId id) {
            return fake.window(id).design.title == kTitle;
        }));
    }
};

void expectButtons(const Buttons& seen, const Buttons& expected) {
    EXPECT_EQ(seen.page, expected.page);
    EXPECT_EQ(seen.previous, expected.previous) << "page " << seen.page;
    EXPECT_EQ(seen.next, expected.next) << "page " << seen.page;
    EXPECT_EQ(seen.caption, expected.caption) << "page " << seen.page;
}

// ---- openers ----

TEST_F(WizardNavigationTest, MenuOpenersShowTheirPageModallyAndResetItAfterwards) {
    const Buttons cases[] = {
        {1, true, false, "下一步"},  // "设置关机时间": held back until "确定"
        {3, true, true, "下一步"},   // "设置全局热键"
        {4, true, true, "下一步"},   // "调整窗口位置"
    };
    for (const Buttons& expected : cases) {
        bool sawModal = false;
        fake.onModal = [&](WindowId window) {
            sawModal = true;
            EXPECT_EQ(window, program.configWizard);
            EXPECT_TRUE(fake.windowVisible(window));
            expectButtons(buttons(), expected);
        };
        openConfigWizard(program, static_cast<std::int16_t>(expected.page));
        EXPECT_TRUE(sawModal) << "page " << expected.page;
        EXPECT_EQ(program.configWizard, 0);
        EXPECT_EQ(program.wizardStartPage, 0);
        EXPECT_EQ(fake.findWindow(kTitle), 0);
    }
}

// After any close the next opening starts on the welcome page.
TEST_F(WizardNavigationTest, OpenersWithoutAPageShowTheWelcomePageOwnedByTheMainWindow) {
    createMainWindow(program);
    program.wizardStartPage = 4;
    open();
    fake.destroyWindow(wizard());  // the title bar's close box
    EXPECT_EQ(program.wizardStartPage, 0);
    open();
    expectButtons(buttons(), {0, false, true, "下一步"});
    EXPECT_EQ(fake.window(wizard()).owner, program.mainWindow);
    EXPECT_TRUE(fake.windowVisible(wizard()));
    EXPECT_EQ(fake.window(wizard()).modalDepth, 0);
}

TEST_F(WizardNavigationTest, AnOpenWizardIsOnlyBroughtToTheFront) {
    const WindowId first = open();
    goToPage(2);
    openConfigWizard(program, 4);
    showConfigWizard(program, false);
    EXPECT_EQ(program.configWizard, first);
    EXPECT_EQ(openWizardCount(), 1);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), std::string("bringToFront ") + kTitle),
              2);
    EXPECT_EQ(fake.window(first).modalDepth, 0);
}

// ---- page rule and buttons ----

TEST_F(WizardNavigationTest, NextStepsThroughThePagesAndTurnsIntoFinishOnlyOnTheLast) {
    open();
    const Buttons expected[] = {
        {1, true, false, "下一步"}, {2, true, true, "下一步"}, {3, true, true, "下一步"},
        {4, true, true, "下一步"},  {5, true, true, "完成"},
    };
    for (const Buttons& step : expected) {
        if (page() == kTimePage) {
            click(kConfirmButton);
        }
        next();
        expectButtons(buttons(), step);
    }
    // Back again: the time page holds "下一步" back each time it is entered.
    for (const Buttons& step : {Buttons{4, true, true, "下一步"}, Buttons{3, true, true, "下一步"},
                                Buttons{2, true, true, "下一步"}, Buttons{1, true, false, "下一步"},
                                Buttons{0, false, true, "下一步"}}) {
        previous();
        expectButtons(buttons(), step);
    }
}

TEST_F(WizardNavigationTest, TabClicksRunThePageRuleWhichLeavesSomeStatesAlone) {
    open();
    goToPage(kTimePage);
    goToPage(kFinishPage);  // the finish page does not touch the enabled state
    expectButtons(buttons(), {5, true, false, "完成"});
    goToPage(kWelcomePage);  // nor do pages 0 and 1 touch the caption
    expectButtons(buttons(), {0, false, true, "完成"});
    goToPage(kOptionsPage);
    expectButtons(buttons(), {2, true, true, "下一步"});
}

// ---- finishing ----

TEST_F(WizardNavigationTest, FinishSavesAsksAndRestartsOnlyOnYes) {
    const auto finish = [&](const char* box, const char* value, int answer, auto press) {
        open();
        goToPage(kTimePage);
        fake.type(wizard(), box, value);
        goToPage(kPositionPage);
        goToPage(kFinishPage);
        fake.answerNextMessageBox(answer);
        press();
    };
    finish(kMinuteBox, "45", kIdNo, [&] { altKey(kAlt2); });
    EXPECT_NE(settingsFile().find("分钟=45"), std::string::npos);
    EXPECT_EQ(program.configWizard, 0);
    EXPECT_TRUE(fake.startedProcesses.empty());
    EXPECT_FALSE(fake.exited);

    finish(kHourBox, "21", kIdYes, [&] { next(); });
    ASSERT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_EQ(fake.messageBoxes[1].text,
              "设置成功! 程序重启后生效。\r\n 是否立刻重启？ \r\n‘是’为立刻重新启动程序");
    EXPECT_EQ(fake.messageBoxes[1].title, "设置已经成功，重启后生效！");
    EXPECT_EQ(fake.messageBoxes[1].style, 0x24u);
    EXPECT_NE(settingsFile().find("小时=21"), std::string::npos);
    ASSERT_EQ(fake.startedProcesses.size(), 1u);
    EXPECT_EQ(fake.startedProcesses[0], "\"C:\\Program Files\\Varnel\\varnel.exe\"");
    EXPECT_TRUE(fake.exited);
}

// ---- shortcuts ----

TEST_F(WizardNavigationTest, OnlyAltDigitsOfEnabledButtonsNavigate) {
    open();
    altKey(kAlt1);  // "上一步" is disabled on the welcome page
    EXPECT_EQ(page(), 0);
    altKey(kAlt2);
    EXPECT_EQ(page(), kTimePage);
    altKey(kAlt2);  // held back until "确定"
    EXPECT_EQ(page(), kTimePage);
    click(kConfirmButton);
    altKey(kAlt2);
    EXPECT_EQ(page(), kOptionsPage);
    // Plain digits never navigate.
    fire(kNextButton, EventKind::KeyUp, kAlt2);
    fire(kPreviousButton, EventKind::KeyUp, kAlt1);
    fake.type(wizard(), kHourBox, "12");
    EXPECT_EQ(page(), kOptionsPage);
    altKey(kAlt1);
    EXPECT_EQ(page(), kTimePage);
    altKey('3');
    altKey(0x61);  // numpad 1
    EXPECT_EQ(page(), kTimePage);
}

// ---- cancel and tips ----

TEST_F(WizardNavigationTest, CancelAnsweredNoKeepsEverythingYesClosesWithoutWriting) {
    open();
    goToPage(kTimePage);
    fake.type(wizard(), kHourBox, "5");
    const std::string before = settingsFile();

    fake.answerNextMessageBox(kIdNo);
    click(kCancelButton);
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].text, "退出‘向导’即将载入默认置\r\n是否继续？");
    EXPECT_EQ(fake.messageBoxes[0].title, kUntitledCaption);
    EXPECT_EQ(fake.messageBoxes[0].style, 0x24u);
    EXPECT_EQ(page(), kTimePage);
    EXPECT_EQ(text(kHourBox), "5");

    fake.answerNextMessageBox(kIdYes);
    click(kCancelButton);
    EXPECT_EQ(program.configWizard, 0);
    EXPECT_EQ(settingsFile(), before);
}

TEST_F(WizardNavigationTest, TipsStayUntilAnotherReplacesThem) {
    open();
    const std::pair<const char*, const char*> tips[] = {
        {kConfirmButton, "确定更改重启生效"},
        {kCancelButton, "取消更改"},
        {kHourBox, "输入小时"},
        {kMinuteBox, "输入分钟"},
        {kLowerRestoreLabel, "恢复程序的默认置"},
    };
    EXPECT_EQ(text(kTipLine), "");
    for (const auto& [control, tip] : tips) {
        fire(control, EventKind::MouseOver);
        EXPECT_EQ(text(kTipLine), tip) << control;
    }
    // Controls without a tip, the "提示:" label among them, leave the line alone.
    for (const char* control : {kTipCaption, kRestoreLabel, kAboutLabel, kNextButton}) {
        fire(control, EventKind::MouseOver);
    }
    EXPECT_EQ(text(kTipLine), "恢复程序的默认置");
}

}  // namespace
}  // namespace varnel::testing
