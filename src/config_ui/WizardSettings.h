// Moving settings between the file and the configuration window's controls.
#pragma once

namespace varnel {

struct Program;

void loadWizardSettings(Program& program);
// Writes every option of the wizard in one write of the settings file, then
// the start-with-Windows registration to match. False when the file could not
// be written: then neither changed.
bool saveWizardSettings(Program& program);
// The message box of a save that did not reach the file.
void reportUnsavedSettings(Program& program);

}  // namespace varnel
