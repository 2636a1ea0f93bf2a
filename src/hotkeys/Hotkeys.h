// The four global hotkeys: bindings as data, registration, captions, dispatch
// and the confirm-within-three-seconds rule of the shutdown hotkey.
#pragma once

#include <string>

namespace varnel {

struct Program;

enum class RefusalMessages { Show, Skip };

// Registers in table order, fills the hint labels and program.hotkeySummary.
// A refused registration shows its message unless told to skip it (the
// user has seen it at start-up).
void registerHotkeys(Program& program, RefusalMessages refusals = RefusalMessages::Show);
void unregisterHotkeys(Program& program);
void onHotkey(Program& program, int id);
void onConfirmTick(Program& program);  // timer 时钟2

}  // namespace varnel
