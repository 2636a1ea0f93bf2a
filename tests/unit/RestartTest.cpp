#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_ui/Restart.h"
#include "core/Program.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

struct NoEvents : EventSink {
    void onEvent(const Event&) override {}
};

class RestartTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowSpec main;
        main.title = "main";
        program.mainWindow = fake.createWindow(main, sink, 0);
        WindowSpec wizard;
        wizard.title = "wizard";
        program.configWizard = fake.createWindow(wizard, sink, program.mainWindow);
        program.configHotkeyId = hotkey(121);
        program.toggleHotkeyId = hotkey(122);
        program.exitHotkeyId = hotkey(123);
        program.shutdownHotkeyId = hotkey(120);
        fake.addTrayIcon(program.mainWindow, "icon", "tip");
        logStart = fake.log.size();
    }

    int hotkey(unsigned vk) {
        return fake.registerHotkey(program.mainWindow, "标签4", kModControl, vk);
    }

    // What the restart did, in order.
    std::vector<std::string> calls() const {
        return {fake.log.begin() + static_cast<std::ptrdiff_t>(logStart), fake.log.end()};
    }

    FakePlatform fake;
    Program program{fake};
    NoEvents sink;
    std::size_t logStart = 0;
    const std::string commandLine = "\"C:\\Program Files\\Varnel\\varnel.exe\"";
};

TEST_F(RestartTest, TheCommandLineIsTheQuotedFullPath) {
    EXPECT_EQ(ownCommandLine(program), commandLine);
    fake.exeDir = "D:\\a b";
    fake.exeName = "时钟.exe";
    EXPECT_EQ(ownCommandLine(program), "\"D:\\a b\\时钟.exe\"");
}

TEST_F(RestartTest, AfterSavingReleasesTheHotkeysBeforeTheNewInstanceStarts) {
    restartProgram(program, RestartVariant::AfterSave);
    const std::vector<std::string> expected = {
        "unregisterHotkey 1", "unregisterHotkey 2", "unregisterHotkey 3",
        "unregisterHotkey 4", "removeTrayIcon",     "startProcess " + commandLine,
        "exitProcess 0",
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(fake.pendingEventRuns, 1);
    EXPECT_TRUE(fake.hotkeys.empty());
    EXPECT_FALSE(fake.trayIconShown);
}

TEST_F(RestartTest, AfterDefaultsClosesTheWindowsInsteadOfExiting) {
    restartProgram(program, RestartVariant::AfterDefaults);
    const std::vector<std::string> expected = {
        "unregisterHotkey 1", "unregisterHotkey 2",          "unregisterHotkey 3",
        "unregisterHotkey 4", "startProcess " + commandLine, "destroyWindow wizard",
        "destroyWindow main",
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(fake.pendingEventRuns, 1);
    EXPECT_FALSE(fake.exited);
}

TEST_F(RestartTest, AfterDefaultsWithoutAWizard) {
    fake.destroyWindow(program.configWizard);
    program.configWizard = 0;
    logStart = fake.log.size();
    restartProgram(program, RestartVariant::AfterDefaults);
    const std::vector<std::string> calls = this->calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "destroyWindow main");
    EXPECT_EQ(fake.startedProcesses, std::vector<std::string>{commandLine});
}

}  // namespace
}  // namespace varnel
