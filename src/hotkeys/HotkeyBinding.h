// One hotkey as stored under its action's section: key "1" holds the modifier
// index as text ("0" Ctrl, "1" Alt, "2" Shift), key "2" the function-key
// index (0 = F1). Only those three exact modifier texts count; the key index
// is not range-checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace varnel {

class SettingsFile;

struct HotkeyBinding {
    std::string modifierText;
    std::int32_t keyIndex = 0;
};

HotkeyBinding readHotkeyBinding(const SettingsFile& settings, const std::string& section);

// Empty for any text but "0", "1" and "2".
std::optional<HotkeyModifier> hotkeyModifier(const HotkeyBinding& binding);
// The registration's modifier bits; a held key must not repeat the press (the
// shutdown hotkey's second press confirms).
unsigned hotkeyModifierMask(HotkeyModifier modifier);
// 112 is F1, so index 11 gives F12 (123); larger indexes go on past it.
unsigned hotkeyVirtualKey(const HotkeyBinding& binding);
// The number shown after "F": the index plus one, as decimal text.
std::string hotkeyKeyNumber(const HotkeyBinding& binding);

}  // namespace varnel
