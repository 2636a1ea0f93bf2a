// Checks every window table for mistakes no single handler test would see.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "clock/MainWindow.h"
#include "config_ui/ConfigWizard.h"
#include "schedule/CountdownWindow.h"

namespace varnel {
namespace {

TEST(WindowTables, ControlsAreWellFormedAndInsideTheirContainers) {
    // The main window's top-level labels may overhang its shaped edge.
    for (const auto& [window, edgesInside] : {std::pair{mainWindowSpec(), false},
                                              {countdownWindowSpec(), true},
                                              {configWizardSpec(), true}}) {
        std::map<std::string, const ControlSpec*> seen;
        for (const ControlSpec& c : window.controls) {
            const std::string where = window.title + ": " + c.name;
            EXPECT_FALSE(c.name.empty()) << where;
            EXPECT_TRUE(seen.emplace(c.name, &c).second) << where;
            if (c.kind == ControlKind::DropDownList || c.kind == ControlKind::Tab) {
                EXPECT_FALSE(c.items.empty()) << where;
            }
            if (c.kind == ControlKind::Edit) {
                EXPECT_GT(c.maxLength, 0) << where;
            }
            // Containers are built before what they hold.
            const ControlSpec* parent = c.parent.empty() ? nullptr : seen[c.parent];
            EXPECT_TRUE(c.parent.empty() || parent) << where;
            if (parent && parent->kind == ControlKind::Tab) {
                EXPECT_GE(c.page, 0) << where;
                EXPECT_LT(c.page, static_cast<int>(parent->items.size())) << where;
            } else {
                EXPECT_EQ(c.page, -1) << where;
            }
            if (!parent && !edgesInside) {
                continue;
            }
            // A tab page's origin is the tab's, so its controls fit the tab too.
            const Rect outer =
                parent ? parent->rect : Rect{0, 0, window.rect.width, window.rect.height};
            EXPECT_GE(c.rect.left, 0) << where;
            EXPECT_GE(c.rect.top, 0) << where;
            EXPECT_LE(c.rect.left + c.rect.width, outer.width) << where;
            EXPECT_LE(c.rect.top + c.rect.height, outer.height) << where;
        }
    }
}

}  // namespace
}  // namespace varnel
