// Hotkey bindings read from arbitrary settings-file bytes, through the
// program's own path against the fake platform: readHotkeyBinding, then
// registerHotkeys. A recognised binding is registered with its modifier and
// key, and its hint caption reads back to the same binding; an unrecognised
// one gets neither. The recognised bindings written back (the index as
// decimal text) leave every binding reading the same.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "app/StartUp.h"
#include "clock/MainWindow.h"
#include "common/Number.h"
#include "core/Program.h"
#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/Hotkeys.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace varnel::fuzz {
namespace {

struct Action {
    const char* section;
    const char* hintLabel;
    std::int32_t Program::*identifier;
};

const std::array<Action, 4> kActions{{
    {keys::kConfigHotkey, "标签7", &Program::configHotkeyId},
    {keys::kToggleHotkey, "标签6", &Program::toggleHotkeyId},
    {keys::kExitHotkey, "标签5", &Program::exitHotkeyId},
    {keys::kShutdownHotkey, "标签9", &Program::shutdownHotkeyId},
}};

constexpr long long kVirtualKeyF1 = 112;
// RegisterHotKey's bits for Ctrl, Alt and Shift, each with MOD_NOREPEAT.
constexpr std::array<unsigned, 3> kRegisteredModifiers{0x4002, 0x4001, 0x4004};

// The binding a hint caption shows: the modifier's name and the number after
// "＋" and "F" (e.g. "退出程序'Alt'＋'F5'键"), read independently of the code
// that built it.
struct Shown {
    std::optional<HotkeyModifier> modifier;
    long long number = 0;
};

Shown readCaption(const std::string& caption) {
    Shown shown;
    int names = 0;
    for (const auto& [name, modifier] :
         {std::pair{"Ctrl", HotkeyModifier::Ctrl}, std::pair{"Alt", HotkeyModifier::Alt},
          std::pair{"Shift", HotkeyModifier::Shift}}) {
        if (caption.find(name) != std::string::npos) {
            shown.modifier = modifier;
            ++names;
        }
    }
    require(names == 1, "a caption names no modifier or several");
    const std::size_t plus = caption.find("＋");
    const std::size_t f = caption.find('F', plus);
    require(plus != std::string::npos && f != std::string::npos, "a caption shows no key");
    char* end = nullptr;
    shown.number = std::strtoll(caption.c_str() + f + 1, &end, 10);
    require(end != caption.c_str() + f + 1, "a caption shows no key number");
    return shown;
}

const testing::Hotkey* registration(const testing::FakePlatform& fake, int id) {
    for (const testing::Hotkey& hotkey : fake.hotkeys) {
        if (hotkey.id == id) {
            return &hotkey;
        }
    }
    return nullptr;
}

void checkBindings(const std::string& fileBytes) {
    testing::FakePlatform fake;
    Program program{fake};
    fake.files[program.settings.path()].bytes = fileBytes;
    createMainWindow(program);
    std::array<HotkeyBinding, 4> bindings;
    for (std::size_t i = 0; i < kActions.size(); ++i) {
        bindings[i] = readHotkeyBinding(program.settings, kActions[i].section);
        fake.answerNextMessageBox(kIdOk);
    }

    registerHotkeys(program);
    std::size_t failures = 0;
    for (std::size_t i = 0; i < kActions.size(); ++i) {
        const HotkeyBinding& binding = bindings[i];
        const int id = program.*kActions[i].identifier;
        const std::string caption = fake.text(program.mainWindow, kActions[i].hintLabel);
        failures += id == 0 ? 1 : 0;
        const std::optional<HotkeyModifier> modifier = hotkeyModifier(binding);
        if (!modifier) {
            require(id == 0 && caption.empty(), "an unrecognised modifier registered or captioned");
            continue;
        }
        const Shown shown = readCaption(caption);
        require(shown.modifier == modifier, "the caption shows another modifier");
        require(shown.number == static_cast<long long>(binding.keyIndex) + 1,
                "the caption shows another key");
        const unsigned virtualKey = static_cast<unsigned>(kVirtualKeyF1 + binding.keyIndex);
        const unsigned modifiers = kRegisteredModifiers[static_cast<std::size_t>(*modifier)];
        if (const testing::Hotkey* hotkey = registration(fake, id)) {
            require(hotkey->modifiers == modifiers && hotkey->virtualKey == virtualKey,
                    "registered another combination");
        } else {
            // The fake refuses only a combination an earlier action holds.
            bool held = false;
            for (std::size_t j = 0; j < i; ++j) {
                const testing::Hotkey* earlier =
                    registration(fake, program.*kActions[j].identifier);
                held = held || (earlier && earlier->modifiers == modifiers &&
                                earlier->virtualKey == virtualKey);
            }
            require(id == 0 && held, "a free combination was not registered");
        }
    }
    require(fake.messageBoxes.size() == failures, "not one message per missing hotkey");

    // Written back in place, the index as decimal text, all in one write as the
    // defaults are written; every binding, written or not, reads back the same.
    std::vector<Setting> writes;
    for (std::size_t i = 0; i < kActions.size(); ++i) {
        if (hotkeyModifier(bindings[i])) {
            writes.push_back({kActions[i].section, keys::kModifierKey, bindings[i].modifierText});
            writes.push_back(
                {kActions[i].section, keys::kFunctionKey, decimal(bindings[i].keyIndex)});
        }
    }
    program.settings.writeSettings(writes);
    for (std::size_t i = 0; i < kActions.size(); ++i) {
        const HotkeyBinding again = readHotkeyBinding(program.settings, kActions[i].section);
        require(again.modifierText == bindings[i].modifierText &&
                    again.keyIndex == bindings[i].keyIndex,
                "a binding reads back changed after the write");
    }
}

}  // namespace
}  // namespace varnel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::fuzz::checkBindings(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
