#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "clock/WindowEffects.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::EffectCall;
using testing::FakePlatform;

// One call as "Function(arg, arg, ...)" with the text argument first.
std::vector<std::string> calls(const std::vector<EffectCall>& effectCalls) {
    std::vector<std::string> result;
    for (const EffectCall& call : effectCalls) {
        std::string line = call.function + "(";
        std::string separator;
        if (!call.text.empty()) {
            line += "\"" + call.text + "\"";
            separator = ", ";
        }
        for (const long long arg : call.args) {
            line += separator + std::to_string(arg);
            separator = ", ";
        }
        result.push_back(line + ")");
    }
    return result;
}

class WindowEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        createMainWindow(program);
        fake.window(program.mainWindow).exStyle = 0x100;  // WS_EX_WINDOWEDGE, must survive
        main = std::to_string(fake.nativeHandle(program.mainWindow));
    }
    // A desktop with the program manager and its icon view.
    void provideDesktop() {
        fake.topLevelByClass["ProgMan"] = 0x2000;
        fake.firstChild[0x2000] = 0x3000;
    }

    FakePlatform fake;
    Program program{fake};
    std::string main;
};

TEST_F(WindowEffectsTest, ShapeComesFromASnapshotBesideTheExeWithTheBackgroundAsKey) {
    fake.window(program.mainWindow).rect = {50, 50, 229, 152};
    setWindowShape(program);

    const std::string bitmap = "C:\\Program Files\\Varnel\\窗口.bmp";
    ASSERT_TRUE(fake.fileExists(bitmap));
    EXPECT_EQ(fake.files[bitmap].bytes, "BM snapshot 229x152");
    EXPECT_EQ(calls(fake.effectCalls),
              (std::vector<std::string>{"SetWindowShape(\"" + bitmap + "\", 32768)"}));
}

TEST_F(WindowEffectsTest, FailedSnapshotStillShapesFromThePreviousBitmap) {
    const std::string bitmap = "C:\\Program Files\\Varnel\\窗口.bmp";
    fake.files[bitmap].bytes = "BM earlier";
    fake.writesFail = true;
    setWindowShape(program);
    EXPECT_EQ(fake.files[bitmap].bytes, "BM earlier");
    EXPECT_EQ(fake.window(program.mainWindow).shapeBitmap, bitmap);
}

TEST_F(WindowEffectsTest, WithoutEmbeddingTheWindowStaysTopLevel) {
    provideDesktop();
    program.settings.writeOption(keys::kEmbedInDesktop, false);
    applyWindowEffects(program);

    EXPECT_EQ(calls(fake.effectCalls),
              (std::vector<std::string>{"GetWindowLongA(" + main + ", -20)",
                                        "SetWindowLongA(" + main + ", -20, " +
                                            std::to_string(0x100 | 0x20 | 0x80000) + ")",
                                        "SetLayeredWindowAttributes(" + main + ", 0, 100, 2)"}));
    EXPECT_EQ(fake.window(program.mainWindow).parent, 0u);
}

TEST_F(WindowEffectsTest, EmbeddingParentsTheWindowToTheFirstChildOfProgMan) {
    provideDesktop();
    program.settings.writeOption(keys::kEmbedInDesktop, true);
    applyWindowEffects(program);

    EXPECT_EQ(
        calls(fake.effectCalls),
        (std::vector<std::string>{
            "GetWindowLongA(" + main + ", -20)",
            "SetWindowLongA(" + main + ", -20, " + std::to_string(0x100 | 0x20 | 0x80000) + ")",
            "SetLayeredWindowAttributes(" + main + ", 0, 100, 2)", "FindWindowA(\"ProgMan\")",
            "GetWindow(8192, 5)", "SetParent(" + main + ", 12288)"}));
    EXPECT_EQ(fake.window(program.mainWindow).parent, 0x3000u);
}

TEST_F(WindowEffectsTest, WithoutADesktopWindowNullHandlesArePassedOn) {
    program.settings.writeOption(keys::kEmbedInDesktop, true);
    applyWindowEffects(program);

    const std::vector<std::string> all = calls(fake.effectCalls);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[4], "GetWindow(0, 5)");
    EXPECT_EQ(all[5], "SetParent(" + main + ", 0)");
}

}  // namespace
}  // namespace varnel
