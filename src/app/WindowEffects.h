// The desktop-gadget look of the main window: shape, translucency,
// click-through and the optional embedding into the desktop.
#pragma once

namespace varnel {

struct Program;

void setWindowShape(Program& program);
void applyWindowEffects(Program& program);

}  // namespace varnel
