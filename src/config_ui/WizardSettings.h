// Moving settings between the file and the configuration window's controls.
#pragma once

namespace varnel {

struct Program;

void loadWizardSettings(Program& program);
// Writes every option of the wizard and the start-with-Windows registration.
void saveWizardSettings(Program& program);

}  // namespace varnel
