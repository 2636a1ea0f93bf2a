// The four global hotkeys: bindings as data, registration, captions, dispatch
// and the confirm-within-three-seconds rule of the shutdown hotkey.
#pragma once

#include <string>

namespace varnel {

struct Program;

// Registers in table order, fills the hint labels and program.hotkeySummary.
void registerHotkeys(Program& program);
void unregisterHotkeys(Program& program);
void onHotkey(Program& program, int id);
void onConfirmTick(Program& program);  // timer 时钟2

}  // namespace varnel
