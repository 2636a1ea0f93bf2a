#pragma once

#include <string>

namespace varnel {

struct Program;

enum class RestartVariant { AfterSave, AfterDefaults };

// The executable's full path in double quotes, as a command line.
std::string ownCommandLine(Program& program);
// Releases the hotkeys, the tray icon and the claim, starts a new instance and
// ends this one once the new one holds the claim; else runs on and says so.
void restartProgram(Program& program, RestartVariant variant);

}  // namespace varnel
