// Checks every window table for mistakes no single handler test would see.
#include <gtest/gtest.h>

#include <set>

#include "app/MainWindow.h"
#include "config_ui/ConfigWizard.h"
#include "schedule/CountdownWindow.h"

namespace varnel {
namespace {

struct NamedSpec {
    const char* name;
    WindowSpec spec;
};

std::vector<NamedSpec> allWindows() {
    return {{"main", mainWindowSpec()},
            {"countdown", countdownWindowSpec()},
            {"wizard", configWizardSpec()}};
}

const ControlSpec* find(const WindowSpec& spec, const std::string& name) {
    for (const ControlSpec& c : spec.controls) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

TEST(WindowTables, NamesAreUniqueAndParentsComeFirst) {
    for (const NamedSpec& window : allWindows()) {
        std::set<std::string> seen;
        for (const ControlSpec& c : window.spec.controls) {
            EXPECT_FALSE(c.name.empty()) << window.name;
            EXPECT_TRUE(seen.insert(c.name).second) << window.name << ": " << c.name;
            if (!c.parent.empty()) {
                // Containers are built before what they hold.
                EXPECT_TRUE(seen.count(c.parent)) << window.name << ": " << c.name;
            }
        }
    }
}

TEST(WindowTables, ControlsOnTabPagesNameAValidPage) {
    for (const NamedSpec& window : allWindows()) {
        for (const ControlSpec& c : window.spec.controls) {
            const ControlSpec* parent = c.parent.empty() ? nullptr : find(window.spec, c.parent);
            if (parent && parent->kind == ControlKind::Tab) {
                EXPECT_GE(c.page, 0) << window.name << ": " << c.name;
                EXPECT_LT(c.page, static_cast<int>(parent->items.size()))
                    << window.name << ": " << c.name;
            } else {
                EXPECT_EQ(c.page, -1) << window.name << ": " << c.name;
            }
        }
    }
}

TEST(WindowTables, ContainedControlsFitInsideTheirContainer) {
    for (const NamedSpec& window : allWindows()) {
        for (const ControlSpec& c : window.spec.controls) {
            const ControlSpec* parent = c.parent.empty() ? nullptr : find(window.spec, c.parent);
            if (!parent || parent->kind == ControlKind::Tab) {
                continue;
            }
            EXPECT_GE(c.rect.left, 0) << window.name << ": " << c.name;
            EXPECT_GE(c.rect.top, 0) << window.name << ": " << c.name;
            EXPECT_LE(c.rect.left + c.rect.width, parent->rect.width)
                << window.name << ": " << c.name;
            EXPECT_LE(c.rect.top + c.rect.height, parent->rect.height)
                << window.name << ": " << c.name;
        }
    }
}

TEST(WindowTables, ListsHaveItemsAndEditsHaveALengthLimit) {
    for (const NamedSpec& window : allWindows()) {
        for (const ControlSpec& c : window.spec.controls) {
            if (c.kind == ControlKind::DropDownList || c.kind == ControlKind::Tab) {
                EXPECT_FALSE(c.items.empty()) << window.name << ": " << c.name;
            }
            if (c.kind == ControlKind::Edit) {
                EXPECT_GT(c.maxLength, 0) << window.name << ": " << c.name;
            }
        }
    }
}

}  // namespace
}  // namespace varnel
