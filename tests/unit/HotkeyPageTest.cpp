// The hotkey page: a choice that makes two hotkeys equal is refused with a
// message and the changed list goes back to what it showed before.
#include <string>
#include <vector>

#include "core/Texts.h"
#include "unit/WizardFixture.h"

namespace varnel::testing {
namespace {

using namespace wizard;

constexpr int kCtrl = 0, kAlt = 1, kShift = 2;
constexpr int F(int n) {
    return n - 1;
}  // list position of function key Fn

const char* const kSections[4] = {keys::kConfigHotkey, keys::kToggleHotkey, keys::kShutdownHotkey,
                                  keys::kExitHotkey};

class HotkeyPageTest : public WizardTest {
protected:
    // Group counts from 1, as on the page.
    void storeBinding(int group, int modifier, int key) {
        store(kSections[group - 1], keys::kModifierKey, std::to_string(modifier));
        store(kSections[group - 1], keys::kFunctionKey, std::to_string(key));
    }
    const char* modifierList(int group) { return kHotkeyCombos[group - 1][0]; }
    const char* keyList(int group) { return kHotkeyCombos[group - 1][1]; }
    void pick(const char* list, int index) { fake.pick(wizard(), list, index); }
    // An arrow key on the closed list.
    void arrowTo(const char* list, int index) {
        fake.setSelection(wizard(), list, index);
        fire(list, EventKind::SelectionChanged);
    }
    void expectRefusal(const char* code) {
        ASSERT_EQ(fake.messageBoxes.size(), 1u);
        EXPECT_EQ(fake.messageBoxes[0].text, std::string("热键设置不能相同，请更正！") + code);
        EXPECT_EQ(fake.messageBoxes[0].title, kUntitledCaption);
        EXPECT_EQ(fake.messageBoxes[0].style, 0u);
        fake.messageBoxes.clear();
    }
};

struct Binding {
    int group, modifier, key;
};
const std::vector<Binding> kDefaults;  // Ctrl+F10, F11, F9, F12
const std::vector<Binding> kApart = {{1, kCtrl, F(5)}, {3, kCtrl, F(6)}};
const std::vector<Binding> kMixed = {{2, kAlt, F(9)}, {3, kShift, F(1)}, {4, kCtrl, F(9)}};

struct Clash {
    const std::vector<Binding>& stored;
    bool keyList;  // else the modifier list
    int group, index;
    const char* code;
    const char* reverted;
};

class HotkeyClashTest : public HotkeyPageTest, public ::testing::WithParamInterface<Clash> {};

TEST_P(HotkeyClashTest, IsRefusedAndRevertsTheChangedList) {
    const Clash& c = GetParam();
    for (const Binding& b : c.stored) {
        storeBinding(b.group, b.modifier, b.key);
    }
    open();
    const char* list = c.keyList ? keyList(c.group) : modifierList(c.group);
    fake.answerNextMessageBox(kIdOk);
    pick(list, c.index);
    expectRefusal(c.code);
    EXPECT_EQ(text(list), c.reverted);
}

INSTANTIATE_TEST_SUITE_P(Cases, HotkeyClashTest,
                         ::testing::Values(Clash{kDefaults, true, 1, F(11), "(001)", "F10"},
                                           Clash{kApart, true, 3, F(5), "(001)", "F6"},
                                           Clash{kMixed, false, 4, kAlt, "(002)", "Ctrl"},
                                           Clash{kMixed, false, 2, kCtrl, "(002)", "Alt"}));

TEST_F(HotkeyPageTest, SharingOnlyTheModifierOrOnlyTheKeyIsAccepted) {
    open();
    pick(keyList(1), F(1));         // Ctrl+F1 next to Ctrl+F11, F9, F12
    pick(modifierList(2), kShift);  // Shift+F11
    pick(keyList(2), F(1));         // Shift+F1 next to Ctrl+F1
    pick(modifierList(3), kShift);  // Shift+F9
    pick(modifierList(1), kCtrl);   // reopened without a change
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_EQ(text(keyList(2)), "F1");
    EXPECT_EQ(text(modifierList(3)), "Shift");
}

TEST_F(HotkeyPageTest, AClashFromTheFileIsOnlyReportedWhenOneOfItsListsCloses) {
    storeBinding(1, kCtrl, F(7));
    storeBinding(2, kCtrl, F(7));
    open();
    EXPECT_EQ(text(keyList(2)), "F7");  // shown as stored, no message
    pick(keyList(3), F(3));
    EXPECT_TRUE(fake.messageBoxes.empty());

    fake.answerNextMessageBox(kIdOk);
    pick(keyList(2), F(7));  // opened and closed unchanged
    expectRefusal("(001)");
    EXPECT_EQ(text(keyList(2)), "F7");  // the revert keeps the clash
}

TEST_F(HotkeyPageTest, ARevertWithoutARecognisablePreviousText) {
    store(kSections[0], keys::kModifierKey, "7");  // no such item: nothing selected
    store(kSections[0], keys::kFunctionKey, "11");
    store(kSections[1], keys::kModifierKey, "0");
    store(kSections[1], keys::kFunctionKey, "30");
    open();
    EXPECT_EQ(text(modifierList(1)), "");

    fake.answerNextMessageBox(kIdOk);
    pick(modifierList(1), kCtrl);  // Ctrl+F12 like group 4
    expectRefusal("(002)");
    EXPECT_EQ(text(modifierList(1)), "Ctrl");  // an empty text selects nothing new

    fake.answerNextMessageBox(kIdOk);
    pick(keyList(2), F(9));  // Ctrl+F9 like group 3
    expectRefusal("(001)");
    EXPECT_EQ(selection(keyList(2)), -1);  // back to "no key"
}

TEST_F(HotkeyPageTest, AnAcceptedArrowKeyIsWhatTheNextRevertRestores) {
    open();
    arrowTo(keyList(1), F(3));  // accepted
    EXPECT_TRUE(fake.messageBoxes.empty());
    fake.answerNextMessageBox(kIdOk);
    arrowTo(keyList(1), F(12));
    expectRefusal("(001)");
    EXPECT_EQ(text(keyList(1)), "F3");  // what the list showed just before

    arrowTo(modifierList(4), kShift);
    arrowTo(modifierList(3), kShift);
    fake.answerNextMessageBox(kIdOk);
    arrowTo(keyList(3), F(12));  // Shift+F12 like group 4
    expectRefusal("(001)");
    EXPECT_EQ(text(keyList(3)), "F9");
}

TEST_F(HotkeyPageTest, AKeyboardChangeAfterAPickRevertsToThePickedText) {
    open();
    pick(keyList(4), F(2));
    fake.answerNextMessageBox(kIdOk);
    arrowTo(keyList(4), F(9));
    expectRefusal("(001)");
    EXPECT_EQ(text(keyList(4)), "F2");
}

}  // namespace
}  // namespace varnel::testing
