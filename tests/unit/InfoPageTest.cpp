// The welcome and finish pages and the About box.
#include <regex>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "config_ui/HomePage.h"
#include "unit/WizardFixture.h"

namespace varnel::testing {
namespace {

using namespace wizard;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        result.push_back(text.substr(start, end - start));
    }
    result.push_back(text.substr(start));
    return result;
}

class InfoPageTest : public WizardTest {
protected:
    void SetUp() override {
        open();
        goToPage(kFinishPage);
    }
};

TEST_F(InfoPageTest, WelcomeTextHasItsFourteenLines) {
    const std::vector<std::string> welcome = lines(text(kWelcomeLabel));
    ASSERT_EQ(welcome.size(), 14u);
    EXPECT_EQ(welcome[0], std::string(25, ' ') + "欢迎使用Varnel小程序");
    for (int blank : {1, 2, 4, 6, 8, 10, 12}) {
        EXPECT_EQ(welcome[blank], "") << "line " << blank + 1;
    }
    for (int step = 1; step <= 5; ++step) {
        EXPECT_EQ(welcome[3 + 2 * step].rfind("  " + std::to_string(step) + ".", 0), 0u)
            << "step " << step;
    }
    EXPECT_EQ(welcome[13], "  5.完成设置  (点击完成才能保存全部设置)");
}

TEST_F(InfoPageTest, VersionLineAndLinkNameTheHomePage) {
    const std::vector<std::string> version = lines(text(kVersionLabel));
    ASSERT_EQ(version.size(), 3u);
    EXPECT_EQ(version[0], " 当前版本 V1.5");
    EXPECT_EQ(version[1], "欢迎下载最新版本！");
    EXPECT_EQ(version[2], std::string(kHomePageName) + "下载地址：");
    EXPECT_EQ(text(kDownloadLink), kHomePage);
    EXPECT_NE(std::string(kHomePage).find(".example.org/"), std::string::npos);
}

TEST_F(InfoPageTest, LinkAndUpdateButtonOpenTheHomePageSingleClicksOnLabelsDoNothing) {
    click(kDownloadLink);
    click(kUpdateButton);
    EXPECT_EQ(fake.openedUrls, (std::vector<std::string>{kHomePage, kHomePage}));
    for (const char* label : {kAboutLabel, kRestoreLabel, kLowerRestoreLabel}) {
        fire(label, EventKind::Clicked);  // any message box would fail the test
    }
    EXPECT_EQ(page(), kFinishPage);
}

TEST_F(InfoPageTest, AboutOpensOverTheWizardAndLeavesThePageAsItWas) {
    fake.answerNextMessageBox(kIdOk);
    fire(kAboutLabel, EventKind::DoubleClicked);
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    const ShownMessageBox& box = fake.messageBoxes[0];
    EXPECT_EQ(box.owner, wizard());
    EXPECT_EQ(box.title, "关于");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.text.rfind("欢迎使用！", 0), 0u);
    EXPECT_NE(box.text.find("Varnel"), std::string::npos);
    EXPECT_NE(box.text.find(kHomePage), std::string::npos);
    EXPECT_NE(box.text.find("版权所有"), std::string::npos);
    // Nobody invented: no e-mail address, no phone or messenger number.
    EXPECT_EQ(box.text.find('@'), std::string::npos);
    EXPECT_FALSE(std::regex_search(box.text, std::regex("[0-9]{5,}")));
    EXPECT_EQ(page(), kFinishPage);
    EXPECT_EQ(text(kNextButton), "完成");
}

TEST_F(InfoPageTest, RestoreLabelsAskAndKeepTheWizardOnNo) {
    store(keys::kShutdownTime, keys::kHour, "20");
    const std::string before = settingsFile();
    for (const char* label : {kRestoreLabel, kLowerRestoreLabel}) {
        fake.answerNextMessageBox(kIdNo);
        fire(label, EventKind::DoubleClicked);
    }
    ASSERT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_EQ(fake.messageBoxes[1].title, "恢复默认置");
    EXPECT_EQ(settingsFile(), before);
    EXPECT_EQ(page(), kFinishPage);
    EXPECT_TRUE(fake.startedProcesses.empty());
}

TEST_F(InfoPageTest, RestoreLabelsAnsweredYesRestoreRestartAndCloseTheWizard) {
    createMainWindow(program);
    store(keys::kShutdownTime, keys::kHour, "20");
    program.wizardStartPage = 3;
    fake.answerNextMessageBox(kIdYes);
    fire(kLowerRestoreLabel, EventKind::DoubleClicked);
    EXPECT_NE(settingsFile().find("小时=23"), std::string::npos);
    EXPECT_EQ(fake.startedProcesses.size(), 1u);
    EXPECT_EQ(program.configWizard, 0);
    EXPECT_EQ(program.wizardStartPage, 0);
}

}  // namespace
}  // namespace varnel::testing
