#include <gtest/gtest.h>

#include <string>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "core/Program.h"
#include "hotkeys/HotkeyReference.h"
#include "hotkeys/Hotkeys.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakeFile;
using testing::FakePlatform;

constexpr const char* kHelpHeader = "\r\n程序全局热键如下：\r\n\r\n";
constexpr const char* kHelpFooter =
    "\r\n\r\n以上热键只做参考\r\n具体热键请参照‘功能设置>设置全局热键’\r\n"
    "使用热键可进入配置窗口更改为自己的的热键！";

class HotkeyReferenceTest : public ::testing::Test {
protected:
    std::string referencePath() { return fake.path("\\常用热键.txt"); }
    FakeFile& reference() { return fake.files[referencePath()]; }
    // Shows the help box and returns its text.
    std::string helpText() {
        fake.answerNextMessageBox(kIdOk);
        showHotkeyHelp(program);
        EXPECT_EQ(fake.messageBoxes.back().title, "帮助");
        EXPECT_EQ(fake.messageBoxes.back().style, kMbOkInformation);
        return fake.messageBoxes.back().text;
    }

    FakePlatform fake;
    Program program{fake};
};

TEST_F(HotkeyReferenceTest, WritesTheSummaryAsGbkWithoutFinalLineBreak) {
    writeHotkeyReference(program, "    ①配置\r\n   ②②");

    EXPECT_EQ(reference().bytes, "    \xA2\xD9\xC5\xE4\xD6\xC3\r\n   \xA2\xDA\xA2\xDA");
    EXPECT_EQ(reference().attributes, kAttrArchive);
}

TEST_F(HotkeyReferenceTest, ReadOnlyFileBecomesSystemArchiveAndIsReplaced) {
    reference() = FakeFile{"old content, longer than the new", kAttrReadOnly | kAttrArchive};

    writeHotkeyReference(program, "new");

    EXPECT_EQ(reference().bytes, "new");
    EXPECT_EQ(reference().attributes, kAttrSystem | kAttrArchive);
}

TEST_F(HotkeyReferenceTest, HiddenFileKeepsItsAttributesAndIsReplaced) {
    reference() = FakeFile{"old", kAttrHidden | kAttrArchive};
    fake.log.clear();

    writeHotkeyReference(program, "new");

    EXPECT_EQ(reference().bytes, "new");
    EXPECT_EQ(reference().attributes, kAttrHidden | kAttrArchive);
    EXPECT_TRUE(fake.log.empty());  // no attribute change
}

TEST_F(HotkeyReferenceTest, FailedWriteLeavesTheOldFileForTheHelp) {
    reference() = FakeFile{fake.gbkFromUtf8("旧的"), kAttrArchive};
    fake.writesFail = true;

    writeHotkeyReference(program, "new");

    EXPECT_EQ(helpText(), std::string(kHelpHeader) + "旧的" + kHelpFooter);
}

TEST_F(HotkeyReferenceTest, MissingOrEmptyFileGivesHeaderAndFooterOnly) {
    EXPECT_EQ(helpText(), std::string(kHelpHeader) + kHelpFooter);
    reference().bytes = "";
    EXPECT_EQ(helpText(), std::string(kHelpHeader) + kHelpFooter);
}

TEST_F(HotkeyReferenceTest, HelpTextEndsAtAZeroByteOfTheFile) {
    reference().bytes = std::string("ab\0cd", 5);
    EXPECT_EQ(helpText(), std::string(kHelpHeader) + "ab" + kHelpFooter);
}

// The whole path at start-up: registration, the file, then the menu's help.
TEST_F(HotkeyReferenceTest, HelpShowsTheHotkeysAsRegisteredAtStart) {
    createMainWindow(program);
    const auto bind = [&](const char* section, const char* modifier, const char* key) {
        program.settings.writeSetting(section, keys::kModifierKey, modifier);
        program.settings.writeSetting(section, keys::kFunctionKey, key);
    };
    bind(keys::kConfigHotkey, "0", "9");
    bind(keys::kToggleHotkey, "2", "0");
    bind(keys::kExitHotkey, "0", "11");
    bind(keys::kShutdownHotkey, "0", "8");
    registerHotkeys(program);
    writeHotkeyReference(program, program.hotkeySummary);

    // Saved without a restart: the help still shows the running bindings.
    bind(keys::kToggleHotkey, "1", "5");

    EXPECT_EQ(helpText(), std::string(kHelpHeader) +
                              "    ①配置选项'Ctrl'＋'F10'键"
                              "\r\n   ②②显示或/藏窗口Shift＋F1键"
                              "\r\n  ③  ③退出程序'Ctrl'＋'F12'键"
                              "\r\n ④    ④热键关机'Ctrl'＋'F9'键" +
                              kHelpFooter);
}

}  // namespace
}  // namespace varnel
