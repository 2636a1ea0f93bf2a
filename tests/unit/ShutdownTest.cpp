#include <gtest/gtest.h>

#include "core/Program.h"
#include "schedule/Shutdown.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel::testing {
namespace {

class ShutdownTest : public ::testing::Test {
protected:
    void forcedShutdownKey(const std::string& value) {
        fake.setFileUtf8(fake.path(keys::kFileName), "[强行关机]\r\n是=" + value + "\r\n");
    }

    FakePlatform fake;
    Program program{fake};
};

TEST_F(ShutdownTest, OnlyTheExactTrueTextForcesTheShutdown) {
    const struct {
        const char* value;
        bool forced;
    } cases[] = {{"真", true}, {"假", false}, {"是", false}, {"true", false}, {"", false}};
    for (const auto& c : cases) {
        fake.shutdownRequests.clear();
        forcedShutdownKey(c.value);
        requestShutdown(program);
        ASSERT_EQ(fake.shutdownRequests.size(), 1u) << c.value;
        EXPECT_EQ(fake.shutdownRequests[0], c.forced) << c.value;
        EXPECT_EQ(readShutdownMode(program.settings) == ShutdownMode::ForcedShutdown, c.forced)
            << c.value;
    }
}

TEST_F(ShutdownTest, MissingKeyOrFileMeansANormalShutdown) {
    requestShutdown(program);  // no settings file at all
    fake.setFileUtf8(fake.path(keys::kFileName), "[关机时间]\r\n小时=23\r\n");
    requestShutdown(program);
    EXPECT_EQ(fake.shutdownRequests, (std::vector<bool>{false, false}));
}

TEST_F(ShutdownTest, TheModeIsReadAfreshAtEveryRequest) {
    forcedShutdownKey("假");
    requestShutdown(program);
    forcedShutdownKey("真");
    requestShutdown(program);
    forcedShutdownKey("假");
    requestShutdown(program);
    EXPECT_EQ(fake.shutdownRequests, (std::vector<bool>{false, true, false}));
    EXPECT_FALSE(fake.exited);  // the system ends the program, not the request
}

}  // namespace
}  // namespace varnel::testing
