// The desktop-gadget look of the main window: shape, translucency,
// click-through and the optional embedding into the desktop.
#pragma once

namespace varnel {

struct Program;

// A snapshot of the window to "窗口.bmp", then the shape cut from it.
void setWindowShape(Program& program);
// The shape cut from the snapshot already on disk.
void applySavedWindowShape(Program& program);
// Click-through and translucency, then the embedding when the option is on.
void applyWindowEffects(Program& program);
void applyWindowStyle(Program& program);
void embedInDesktop(Program& program);  // when option "窃入桌面背景中" is on

}  // namespace varnel
