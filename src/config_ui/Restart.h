#pragma once

#include <string>

namespace varnel {

struct Program;

enum class RestartVariant { AfterSave, AfterDefaults };

// The executable's full path in double quotes, as a command line.
std::string ownCommandLine(Program& program);
// Releases the hotkeys, starts a new instance and ends this one.
void restartProgram(Program& program, RestartVariant variant);

}  // namespace varnel
