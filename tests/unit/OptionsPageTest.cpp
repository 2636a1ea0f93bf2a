// The option check boxes and the position page.
#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "unit/WizardFixture.h"

namespace varnel::testing {
namespace {

using namespace wizard;

class OptionsPageTest : public WizardTest {
protected:
    void confirmAnswer(int answer) { fake.answerNextMessageBox(answer); }
};

TEST_F(OptionsPageTest, ShutdownAtStartIsOfferedAtCreationOnlyWithoutStartWithWindows) {
    open();
    EXPECT_FALSE(checked(kStartWithWindowsBox));
    EXPECT_TRUE(enabled(kShutdownAtStartBox));
    fake.destroyWindow(wizard());

    program.settings.writeOption(keys::kStartWithWindows, true);
    open();
    EXPECT_TRUE(checked(kStartWithWindowsBox));
    EXPECT_FALSE(enabled(kShutdownAtStartBox));
}

TEST_F(OptionsPageTest, StartWithWindowsExcludesShutdownAtStart) {
    open();
    confirmAnswer(kIdYes);
    click(kShutdownAtStartBox);
    ASSERT_TRUE(checked(kShutdownAtStartBox));

    click(kStartWithWindowsBox);
    EXPECT_FALSE(checked(kShutdownAtStartBox));
    EXPECT_FALSE(enabled(kShutdownAtStartBox));
    click(kShutdownAtStartBox);  // disabled: the click does not reach it
    EXPECT_FALSE(checked(kShutdownAtStartBox));

    click(kStartWithWindowsBox);
    EXPECT_TRUE(enabled(kShutdownAtStartBox));
    EXPECT_FALSE(checked(kShutdownAtStartBox));
}

TEST_F(OptionsPageTest, ShutdownAtStartIsOnlyTakenAfterAYes) {
    open();
    confirmAnswer(kIdNo);
    click(kShutdownAtStartBox);
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].text,
              "此项请谨慎选择！\r\n点击‘是’确定选择 点击 ‘否’ 取消选择。");
    EXPECT_EQ(fake.messageBoxes[0].title, "程序起动后立即关机 选项");
    EXPECT_EQ(fake.messageBoxes[0].style, 0x44u);
    EXPECT_FALSE(checked(kShutdownAtStartBox));

    confirmAnswer(kIdYes);
    click(kShutdownAtStartBox);
    EXPECT_TRUE(checked(kShutdownAtStartBox));

    click(kShutdownAtStartBox);  // unchecking asks nothing
    EXPECT_FALSE(checked(kShutdownAtStartBox));
    EXPECT_EQ(fake.messageBoxes.size(), 2u);
}

TEST_F(OptionsPageTest, OtherBoxesFlipWithoutQuestions) {
    open();
    for (const char* box :
         {kStartMinimisedBox, kQuickShutdownBox, kFiveMinuteBox, kNotInFrontBox, kTrayIconBox}) {
        const bool before = checked(box);
        click(box);
        EXPECT_NE(checked(box), before) << box;
    }
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(OptionsPageTest, PositionArrowsMoveTheMainWindowTenPixelsAtOnce) {
    createMainWindow(program);
    fake.moveWindow(program.mainWindow, 500, 400);
    open();
    goToPage(kPositionPage);
    for (int i = 0; i < 10; ++i) {
        fire(kHorizontalSpin, EventKind::Spin, +1);
    }
    EXPECT_EQ(fake.windowRect(program.mainWindow).left, 600);
    fire(kHorizontalSpin, EventKind::Spin, -1);
    fire(kVerticalSpin, EventKind::Spin, +1);
    fire(kVerticalSpin, EventKind::Spin, +1);
    fire(kVerticalSpin, EventKind::Spin, -1);
    const Rect rect = fake.windowRect(program.mainWindow);
    EXPECT_EQ(rect.left, 590);
    EXPECT_EQ(rect.top, 390);
}

}  // namespace
}  // namespace varnel::testing
