#include "hotkeys/HotkeyBinding.h"

#include "common/Number.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr long long kVirtualKeyF1 = 112;

}  // namespace

HotkeyBinding readHotkeyBinding(const SettingsFile& settings, const std::string& section) {
    return HotkeyBinding{settings.readSetting(section, keys::kModifierKey),
                         textToInt(settings.readSetting(section, keys::kFunctionKey))};
}

std::optional<HotkeyModifier> hotkeyModifier(const HotkeyBinding& binding) {
    if (binding.modifierText == "0") {
        return HotkeyModifier::Ctrl;
    }
    if (binding.modifierText == "1") {
        return HotkeyModifier::Alt;
    }
    if (binding.modifierText == "2") {
        return HotkeyModifier::Shift;
    }
    return std::nullopt;
}

unsigned hotkeyModifierMask(HotkeyModifier modifier) {
    switch (modifier) {
        case HotkeyModifier::Ctrl:
            return kModControl | kModNoRepeat;
        case HotkeyModifier::Alt:
            return kModAlt | kModNoRepeat;
        case HotkeyModifier::Shift:
            return kModShift | kModNoRepeat;
    }
    return kModNoRepeat;
}

unsigned hotkeyVirtualKey(const HotkeyBinding& binding) {
    return static_cast<unsigned>(kVirtualKeyF1 + binding.keyIndex);
}

std::string hotkeyKeyNumber(const HotkeyBinding& binding) {
    return decimal(static_cast<long long>(binding.keyIndex) + 1);
}

}  // namespace varnel
