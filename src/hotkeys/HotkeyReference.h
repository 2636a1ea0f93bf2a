// "常用热键.txt": the hotkeys of the running instance, and the help box showing it.
#pragma once

#include <string>

namespace varnel {

struct Program;

void writeHotkeyReference(Program& program, const std::string& summary);
void showHotkeyHelp(Program& program);

}  // namespace varnel
